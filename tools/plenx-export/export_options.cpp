// Parsing of plenx-export's command line with CLI11.
#include "tools/plenx-export/export_options.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>

#include "plenx_version.h"
#include "tools/plenx-export/time_bound.h"

namespace {

constexpr const char* kProgram = "plenx-export";

constexpr const char* kDescription =
    "Turns a Plenx Logger log into a CSV table (RFC 4180, UTF-8): a header row, then one row\n"
    "per record: its time stamp and the Value text of every list row the window shows.";

constexpr const char* kFooter =
    "T is a local time as logged: 2015-03-07, 2015-03-07T14:05, 2015-03-07T14:05:09.042 or\n"
    "the log's own 2015/03/07-14:05:09.042. Parts left out of a --to time are the latest, so\n"
    "--to 2015-03-07 takes in the whole day.\n"
    "--values: temperatures in degrees F, the compressor in % (0 when stopped), I Feel Mode\n"
    "1 or 0, the code the control board sent for other modes, states and faults; cells\n"
    "showing - or NA stay empty.\n"
    "Without --ini the first found of these is read: plenx-logger.ini beside plenx-logger,\n"
    "${XDG_CONFIG_HOME:-~/.config}/plenx-logger/plenx-logger.ini, and plenx-logger/plenx-logger.ini\n"
    "in each folder of ${XDG_CONFIG_DIRS:-/etc/xdg}.\n"
    "Lines that are not log lines are skipped with a warning on standard error.\n"
    "Exit status: 0 the log was read, 1 the log, the configuration file or the output\n"
    "could not be read or written, 2 bad arguments.";

// Reports a bad argument the way CLI11 reports its own: message, then usage.
OptionsResult BadArguments(const CLI::App& app, const std::string& message) {
  std::fprintf(stderr, "%s: %s\n\n%s", kProgram, message.c_str(), app.help().c_str());
  return OptionsResult::kBadArguments;
}

// The --from or --to time of text, or a message in error.
bool ReadBound(const std::string& text, BoundSide side, std::optional<LocalTime>& bound, std::string& error) {
  if (text.empty()) return true;
  bound = ParseTimeBound(text, side, error);
  if (!bound) error = std::string(side == BoundSide::kFrom ? "--from " : "--to ") + error;
  return bound.has_value();
}

}  // namespace

OptionsResult ParseExportOptions(int argc, char** argv, ExportOptions& options) {
  CLI::App app(kDescription, kProgram);
  app.footer(kFooter);
  app.set_version_flag("--version", std::string(kProgram) + " " + std::string(kPlenxVersionText));
  app.add_option("--ini", options.iniPath,
                 "layout and labels (default: the file plenx-logger reads, see below)")
      ->type_name("FILE");
  app.add_flag("--values", options.values, "numbers instead of texts (see below)");
  std::string fromText;
  std::string toText;
  app.add_option("--from", fromText, "first time exported, inclusive")->type_name("T");
  app.add_option("--to", toText, "last time exported, inclusive")->type_name("T");
  app.add_option("LOG", options.logPath, "the log file; - reads standard input")->required();
  app.add_option("-o,--output", options.outputPath, "the CSV file; - or none: standard output")
      ->type_name("OUT.csv");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
      app.exit(error);  // --help or --version
      return OptionsResult::kDone;
    }
    return BadArguments(app, error.what());
  }

  std::string error;
  if (!ReadBound(fromText, BoundSide::kFrom, options.from, error) ||
      !ReadBound(toText, BoundSide::kTo, options.to, error)) {
    return BadArguments(app, error);
  }
  if (options.from && options.to && *options.from > *options.to) {
    std::string from;
    std::string to;
    AppendIsoTime(*options.from, from);
    AppendIsoTime(*options.to, to);
    return BadArguments(app, "--from " + from + " is after --to " + to);
  }
  return OptionsResult::kRun;
}
