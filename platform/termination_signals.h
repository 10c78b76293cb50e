// SIGINT, SIGTERM and SIGHUP (on Windows the console's Ctrl+C, Ctrl+Break,
// close, log-off and shut-down events) turned into an orderly end: a call on
// a thread of the watch's own instead of the end of the process, so that a
// run is stopped and its log archived first.
#pragma once

#include <functional>
#include <thread>

// While it exists, each of the signals runs `onSignal` on the watch's
// thread (one call per delivery, never two at once). One watch at a time;
// create and destroy it on one thread.
//
// Windows ends a process whose console is closed (or whose user logs off, or
// whose machine shuts down) once the handler of that event returns, and
// after a time limit of its own even if it does not (5 s for a closed
// console): the handler waits, so the program has that long to end.
class TerminationSignalWatch {
 public:
  explicit TerminationSignalWatch(std::function<void()> onSignal);
  // Ends the thread; the signals are ignored from then on, since the
  // program is ending and what it ends with is decided: a signal during its
  // last steps must not turn a finished run into one killed.
  ~TerminationSignalWatch();
  TerminationSignalWatch(const TerminationSignalWatch&) = delete;
  TerminationSignalWatch& operator=(const TerminationSignalWatch&) = delete;

  // False when the watch could not be set up (no pipe, handler or thread):
  // the signals then keep their default handling.
  bool Active() const { return m_thread.joinable(); }

 private:
  void Watch();

  std::function<void()> m_onSignal;
  std::thread m_thread;
};

// Makes a write to a pipe whose reader is gone fail (EPIPE) instead of
// ending the program (Linux's SIGPIPE; Windows never ends a program for it).
void IgnoreBrokenPipes();
