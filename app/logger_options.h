// How plenx-logger was asked to run: its command-line options, free of Qt,
// so that the program chooses between the window and the unattended run
// before anything of the window exists.
#pragma once

#include <optional>
#include <string>

#include "config/rotation_settings.h"
#include "faces/optional_faces.h"

struct LoggerRunOptions {
  // An unattended run (RunHeadless): no window and no display, started at
  // once, messages written to standard error, the views printed on standard
  // output. With a screenshot path, the window is photographed on Qt's
  // offscreen platform instead.
  bool headless = false;
  // Click Start once the window is shown (implied by headless).
  bool start = false;
  // The port list's item to select ("COM3"), as a user would.
  std::optional<std::string> portName;
  // The log file to choose as the save dialog would (relative to the
  // current folder).
  std::optional<std::string> logFile;
  // Unattended: answer Yes to the question whether to append to an
  // existing log.
  bool append = false;
  // Unattended: the run ends after this long (else at a termination signal).
  std::optional<int> runMs;
  // Unattended: the views are also printed this often during the run.
  std::optional<int> dumpEveryMs;
  // Replay this log instead of a run, at replaySpeed; an unattended replay
  // prints the views after the last record.
  std::optional<std::string> replayPath;
  double replaySpeed = 1.0;
  // Write the window as a PNG to this path once it is shown, then close it.
  std::optional<std::string> screenshotPath;
  // Keep the raw capture of every run in this file.
  std::optional<std::string> rawCapturePath;
  // The upkeep of a log left on site (--rotate, --keep-days, --min-free):
  // the remembered settings, where the command line says nothing else.
  RotationSettings upkeep;
  // The broker to publish to and the live page to serve (--mqtt, --serve,
  // ...); the window takes the remembered broker settings when none is
  // given.
  FaceSettings faces;
};

// Runs the window program (Qt) with these options and returns the exit
// status: 1 when the screenshot could not be written, else 0. argv0 is the
// program's name for Qt.
int RunWindowProgram(const LoggerRunOptions& options, char* argv0);
