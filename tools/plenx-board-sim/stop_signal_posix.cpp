// SIGINT and SIGTERM as the simulator's stop request.
#include <signal.h>

#include "stop_signal.h"

namespace {

void OnStopSignal(int) { RequestStop(); }

}  // namespace

void InstallStopSignalHandlers() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}
