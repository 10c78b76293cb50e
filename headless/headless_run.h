// A logging run, or a replay, that nobody watches: no window and no display,
// started at once, ended by a time limit or a termination signal as Stop
// ends it, and the unit views printed during and after it.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "run/run_observer.h"

#include "config/rotation_settings.h"

// What the command line asks of an unattended run.
struct HeadlessOptions {
  // The port list's item to choose ("COM3"); else the remembered one.
  std::optional<std::string> portName;
  // The log file to choose, as the window's save dialog would take it (a
  // relative name from the current folder); else the remembered one.
  std::optional<std::string> logFile;
  // Answer Yes to the question whether to append to an existing log.
  bool append = false;
  // The run ends after this long; else at a termination signal.
  std::optional<int> runMs;
  // The views are also printed this often during the run.
  std::optional<int> dumpEveryMs;
  // Replay this log instead of a run, at replaySpeed.
  std::optional<std::string> replayPath;
  double replaySpeed = 1.0;
  // Keep the raw capture of the line in this file.
  std::optional<std::string> rawCapturePath;
  // The log's rotation, the days of archives kept and the free space
  // guarded (remembered at the start of a run).
  RotationSettings upkeep;
};

// Exit status after the run: 0 after a run (a replay: that read its log to
// the end, or until it was ended); 1 when none started; 3 after a live run
// that lost log lines or could not write its archive (RunEndedWell).
inline constexpr int kExitRunEnded = 0;
inline constexpr int kExitNoRun = 1;
inline constexpr int kExitRunNotWhole = 3;

// Runs it: the views (UTF-8) go to `views`, every message and note to
// `notes`, each note starting with `program` and a colon. Returns the exit
// status. SIGINT, SIGTERM and SIGHUP (on Windows Ctrl+C, Ctrl+Break and the
// console's closing) end the run as Stop does; SIGPIPE is ignored, so a
// reader of the views that goes away does not end the run before its log is
// archived. The caller's faces (events, a broker, the live page) are
// subscribed after the run's own, in this order, and must outlive the call.
int RunHeadless(const HeadlessOptions& options, std::FILE* views, std::FILE* notes,
                const std::string& program, const std::vector<RunObserver*>& faces = {});
