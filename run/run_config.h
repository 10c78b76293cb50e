// The configuration a program's runs use, loaded once at start-up, with the
// warnings the user is shown about it.
#pragma once

#include <optional>
#include <string>

#include "config/logger_config.h"

struct RunConfig {
  LoggerConfig config;
  // The file read; empty when none was found and the built-in settings are used.
  std::string path;
  // What could not be used, one text each; also a layout with more values
  // than the lists can show.
  ConfigWarnings warnings;
};

// Reads iniPath when given (an empty one reads no file), else the first
// configuration file found for the running program (FindConfigFile).
RunConfig LoadRunConfig(const std::optional<std::string>& iniPath = std::nullopt);

// The one message of the start-up warnings: an introduction, then one line
// each.
std::string ConfigWarningsText(const ConfigWarnings& warnings);
