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
  // The events of the log (state changes, COMMUNICATION ERROR) instead of
  // its records.
  bool events = false;
  // Only records (or events) stamped from `from` to `to`, both included;
  // --around T --before B --after A gives T - B to T + A.
  std::optional<LocalTime> from;
  std::optional<LocalTime> to;
  // The log; "-" is standard input.
  std::string logPath;
  // The CSV file; empty: standard output.
  std::string outputPath;
};

// Reads the command line into options. nullopt when the export goes on;
// otherwise the exit status to end with: 0 after --help or --version, 2
// after a bad argument (reported with the help on standard error).
std::optional<int> ParseExportOptions(int argc, char** argv, ExportOptions& options);
