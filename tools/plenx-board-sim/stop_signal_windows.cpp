// Ctrl-C, Ctrl-Break and the console's closing as the simulator's stop
// request.
#include <windows.h>

#include "stop_signal.h"

namespace {

// Runs on a thread of its own that the console starts; the main loop sees
// the flag within one poll interval.
BOOL WINAPI OnConsoleControl(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
      RequestStop();
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void InstallStopSignalHandlers() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }
