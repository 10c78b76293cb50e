// Signal watch through a self-pipe: the handler only writes one byte, which
// the event loop then reads.
#include "app/termination_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix_io.h"

namespace {

constexpr int kWatchedSignals[] = {SIGINT, SIGTERM, SIGHUP};
// Read and write ends of the self-pipe; -1 while no watch exists.
int g_pipe[2] = {-1, -1};

extern "C" void WriteSignalByte(int) {
  const int savedErrno = errno;
  const char byte = 1;
  // A full pipe already holds a pending wake-up, so a failed write loses nothing.
  [[maybe_unused]] const ssize_t written = WriteSome(g_pipe[1], &byte, 1);
  errno = savedErrno;
}

void SetDisposition(void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signalNumber : kWatchedSignals) sigaction(signalNumber, &action, nullptr);
}

}  // namespace

TerminationSignalWatch::TerminationSignalWatch(std::function<void()> onSignal)
    : m_onSignal(std::move(onSignal)) {
  if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
  QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] {
    char bytes[16];
    while (ReadSome(g_pipe[0], bytes, sizeof bytes) > 0) {
    }
    m_onSignal();
  });
  SetDisposition(WriteSignalByte);
}

TerminationSignalWatch::~TerminationSignalWatch() {
  if (!m_notifier) return;
  SetDisposition(SIG_DFL);
  m_notifier.reset();
  CloseFile(g_pipe[0]);
  CloseFile(g_pipe[1]);
  g_pipe[0] = g_pipe[1] = -1;
}
