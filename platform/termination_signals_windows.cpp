// Console control events through SetConsoleCtrlHandler: the system calls the
// handler on a thread of its own, which only counts the event; the watch's
// thread takes it from there.
#include "platform/termination_signals.h"

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <system_error>

namespace {

// What the handler and the watch's thread share.
std::mutex g_mutex;
std::condition_variable g_changed;
// Events come in while a watch exists and are not yet handed on.
int g_pending = 0;
bool g_watching = false;
// The watch's thread is to end.
bool g_ending = false;
// The handler stays registered once it is: after the watch it ignores the
// events, as the Linux side ignores the signals.
bool g_registered = false;

BOOL WINAPI OnConsoleEvent(DWORD event) {
  {
    const std::lock_guard lock(g_mutex);
    if (g_watching) {
      ++g_pending;
      g_changed.notify_all();
    }
  }
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) return TRUE;
  // A closed console, a log-off or a shut-down: the process ends as soon as
  // this returns. It does not: the program ends meanwhile (its exit ends
  // this thread), or the system ends it after its time limit.
  Sleep(INFINITE);
  return TRUE;
}

}  // namespace

TerminationSignalWatch::TerminationSignalWatch(std::function<void()> onSignal)
    : m_onSignal(std::move(onSignal)) {
  std::unique_lock lock(g_mutex);
  if (g_watching) return;
  if (!g_registered) g_registered = SetConsoleCtrlHandler(OnConsoleEvent, TRUE) != 0;
  if (!g_registered) return;
  g_pending = 0;
  g_ending = false;
  try {
    m_thread = std::thread(&TerminationSignalWatch::Watch, this);
  } catch (const std::system_error&) {
    return;
  }
  g_watching = true;
}

TerminationSignalWatch::~TerminationSignalWatch() {
  if (!Active()) return;
  {
    const std::lock_guard lock(g_mutex);
    g_watching = false;
    g_ending = true;
  }
  g_changed.notify_all();
  m_thread.join();
}

void TerminationSignalWatch::Watch() {
  std::unique_lock lock(g_mutex);
  for (;;) {
    g_changed.wait(lock, [] { return g_pending > 0 || g_ending; });
    if (g_ending) return;
    --g_pending;
    lock.unlock();
    m_onSignal();
    lock.lock();
  }
}

void IgnoreBrokenPipes() {}
