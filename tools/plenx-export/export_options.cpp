// Parsing of plenx-export's command line with CLI11.
#include "tools/plenx-export/export_options.h"

#include <string>

#include "cli/command_line.h"
#include "decode/time_stamp.h"
#include "tools/plenx-export/time_bound.h"

namespace {

constexpr const char* kUsage =
    "usage: plenx-export [--ini FILE] [--values] [--from T] [--to T] LOG [-o OUT.csv]";

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

// The --from or --to time of text, or a message in error.
bool ReadBound(const std::string& text, BoundSide side, std::optional<LocalTime>& bound, std::string& error) {
  if (text.empty()) return true;
  bound = ParseTimeBound(text, side, error);
  if (!bound) error = std::string(side == BoundSide::kFrom ? "--from " : "--to ") + error;
  return bound.has_value();
}

}  // namespace

std::optional<int> ParseExportOptions(int argc, char** argv, ExportOptions& options) {
  CLI::App app(kDescription, "plenx-export");
  SetUpCommandLine(app, kUsage);
  app.footer(kFooter);
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
  if (const std::optional<int> exitStatus = ParseCommandLine(app, argc, argv)) return exitStatus;

  std::string error;
  if (!ReadBound(fromText, BoundSide::kFrom, options.from, error) ||
      !ReadBound(toText, BoundSide::kTo, options.to, error)) {
    return RefuseArguments(app, error);
  }
  if (options.from && options.to && *options.from > *options.to) {
    std::string from;
    std::string to;
    AppendIsoTime(*options.from, from);
    AppendIsoTime(*options.to, to);
    return RefuseArguments(app, "--from " + from + " is after --to " + to);
  }
  return std::nullopt;
}
