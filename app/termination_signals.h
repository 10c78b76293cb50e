// SIGINT, SIGTERM and SIGHUP turned into an orderly close of the window.
#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>

// While it exists, each of the three signals runs `onSignal` on the
// user-interface thread (from its event loop) instead of killing the
// process, so that a run is stopped and its log archived first. One watch
// at a time; create and destroy it on the user-interface thread.
class TerminationSignalWatch {
 public:
  explicit TerminationSignalWatch(std::function<void()> onSignal);
  // Gives the signals their default handling back.
  ~TerminationSignalWatch();
  TerminationSignalWatch(const TerminationSignalWatch&) = delete;
  TerminationSignalWatch& operator=(const TerminationSignalWatch&) = delete;

 private:
  std::function<void()> m_onSignal;
  std::unique_ptr<QSocketNotifier> m_notifier;
};
