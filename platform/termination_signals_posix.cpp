// Signal watch through a self-pipe: the handler only writes one byte, which
// the watch's thread reads.
#include "platform/termination_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/posix_io.h"

namespace {

constexpr int kWatchedSignals[] = {SIGINT, SIGTERM, SIGHUP};
// What the pipe carries: a signal came, or the watch ends.
constexpr char kSignalByte = 1;
constexpr char kEndByte = 0;
// Read and write ends of the self-pipe; -1 while no watch exists.
int g_pipe[2] = {-1, -1};

extern "C" void WriteSignalByte(int) {
  const int savedErrno = errno;
  // A full pipe already holds a pending wake-up, so a failed write loses nothing.
  [[maybe_unused]] const ssize_t written = WriteSome(g_pipe[1], &kSignalByte, 1);
  errno = savedErrno;
}

void SetDisposition(void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signalNumber : kWatchedSignals) sigaction(signalNumber, &action, nullptr);
}

void ClosePipe() {
  CloseFile(g_pipe[0]);
  CloseFile(g_pipe[1]);
  g_pipe[0] = g_pipe[1] = -1;
}

}  // namespace

TerminationSignalWatch::TerminationSignalWatch(std::function<void()> onSignal)
    : m_onSignal(std::move(onSignal)) {
  if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC) != 0) return;
  // Only the handler's end must never block.
  ::fcntl(g_pipe[1], F_SETFL, O_NONBLOCK);
  try {
    m_thread = std::thread(&TerminationSignalWatch::Watch, this);
  } catch (const std::system_error&) {
    ClosePipe();
    return;
  }
  SetDisposition(WriteSignalByte);
}

TerminationSignalWatch::~TerminationSignalWatch() {
  if (!Active()) return;
  SetDisposition(SIG_IGN);
  // Blocking is fine here: the thread reads until it sees this byte.
  ::fcntl(g_pipe[1], F_SETFL, 0);
  WriteAll(g_pipe[1], &kEndByte, 1);
  m_thread.join();
  ClosePipe();
}

void TerminationSignalWatch::Watch() {
  for (;;) {
    char byte = kEndByte;
    if (ReadSome(g_pipe[0], &byte, 1) != 1 || byte == kEndByte) return;
    m_onSignal();
  }
}

void IgnoreBrokenPipes() { ::signal(SIGPIPE, SIG_IGN); }
