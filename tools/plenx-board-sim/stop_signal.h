// Ctrl-C (and on Linux SIGTERM) as a stop request, and sleeps that end early
// on it.
#pragma once

#include <chrono>

// Installs the handlers; afterwards StopRequested turns true on SIGINT or
// SIGTERM (Linux), or on Ctrl-C, Ctrl-Break or the console window closing
// (Windows).
void InstallStopSignalHandlers();

// Asks for a stop, as the handlers do. Safe in a signal handler.
void RequestStop();

bool StopRequested();

// Sleeps until deadline or until a stop is requested. False on a stop.
bool SleepUntil(std::chrono::steady_clock::time_point deadline);
