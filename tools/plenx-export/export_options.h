// Command line of plenx-export.
#pragma once

#include <optional>
#include <string>

#include "platform/local_time.h"

struct ExportOptions {
  // Configuration file with the layout and labels; empty: the one the window
  // reads, beside plenx-logger.
  std::string iniPath;
  // Cells hold the numbers behind the texts instead of the texts.
  bool values = false;
  // Only records stamped from `from` to `to`, both included.
  std::optional<LocalTime> from;
  std::optional<LocalTime> to;
  // The log; "-" is standard input.
  std::string logPath;
  // The CSV file; empty: standard output.
  std::string outputPath;
};

enum class OptionsResult {
  kRun,           // options holds what to do
  kDone,          // --help or --version was answered on standard output
  kBadArguments,  // a message and the usage went to standard error
};

OptionsResult ParseExportOptions(int argc, char** argv, ExportOptions& options);
