// SIGINT and SIGTERM as a stop request, and sleeps that end early on it.
#pragma once

#include <chrono>

// Installs the handlers; afterwards StopRequested turns true on SIGINT or
// SIGTERM.
void InstallStopSignalHandlers();

bool StopRequested();

// Sleeps until deadline or until a stop is requested. False on a stop.
bool SleepUntil(std::chrono::steady_clock::time_point deadline);
