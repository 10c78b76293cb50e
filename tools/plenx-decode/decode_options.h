// Command line of plenx-decode.
#pragma once

#include <optional>
#include <string>

struct DecodeOptions {
  int valueCount = 0;
  // Capture to read; "-" is standard input.
  std::string input = "-";
};

// Parses argv; nullopt (after a message on stderr) when the arguments are bad.
std::optional<DecodeOptions> ParseDecodeOptions(int argc, char** argv);

// The usage text printed for bad arguments.
const char* DecodeUsage();
