// Command line of plenx-decode.
#pragma once

#include <CLI/CLI.hpp>

#include <string>

#include "config/record_layout.h"

struct DecodeOptions {
  // Values per frame; the built-in layout's unless --layout or --values says.
  int valueCount = static_cast<int>(RecordValueCount(RecordLayout{}));
  // Capture to read; "-" is standard input.
  std::string input = "-";
};

// Declares plenx-decode's usage and options on app; app.parse then fills
// options (and throws CLI::ParseError for bad arguments, --help and --version).
void AddDecodeOptions(CLI::App& app, DecodeOptions& options);
