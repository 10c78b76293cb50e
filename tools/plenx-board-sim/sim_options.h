// Command line of plenx-board-sim.
#pragma once

#include <CLI/CLI.hpp>

#include <cstdint>
#include <optional>
#include <string>

#include "config/record_layout.h"
#include "scenario.h"

// Chance per frame (0 to 1) of each fault the simulator can put on the line.
struct FaultRates {
  // The checksum pair does not match: the logger drops the frame.
  double badChecksum = 0;
  // A burst of noise bytes (never a start byte) after the frame.
  double garbage = 0;
  // More than 10 s without a byte after the frame: the logger's watchdog fires.
  double silence = 0;
  // A pause longer than the read time-out inside the frame: the frame is lost.
  double gap = 0;
};

struct SimOptions {
  // Empty: create a pseudo-terminal; otherwise the device to write to.
  std::string devicePath;
  RecordLayout layout;
  // Frames to send; negative: until stopped.
  long long frames = -1;
  // Start-to-start time of frames; empty: the frame's wire time at 9600 baud.
  std::optional<int> intervalMs;
  std::optional<uint32_t> seed;
  // A capture whose bytes are sent instead of generated frames.
  std::string replayPath;
  // The installation follows this scenario's script; none: it runs freely.
  std::optional<Scenario> scenario;
  FaultRates faults;
};

// Declares plenx-board-sim's usage and options on app; app.parse then fills
// options (and throws CLI::ParseError for bad arguments, --help and --version).
void AddSimOptions(CLI::App& app, SimOptions& options);
