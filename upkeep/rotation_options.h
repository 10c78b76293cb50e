// The command-line options of a run left on site: --rotate, --keep-days
// and --min-free, for every program that runs the logger.
#pragma once

#include <CLI/CLI.hpp>

#include "config/rotation_settings.h"

// Adds the three options to app, each checked as it is parsed (a bad value
// refuses the command line with the reason) and stored into settings, which
// the caller fills beforehand with what applies when an option is not
// given (the remembered settings).
void AddRotationOptions(CLI::App& app, RotationSettings& settings);
