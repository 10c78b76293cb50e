// Parsing of plenx-export's command line with CLI11.
#include "tools/plenx-export/export_options.h"

#include <string>

#include "cli/command_line.h"
#include "decode/time_stamp.h"
#include "tools/plenx-export/time_bound.h"

namespace {

constexpr const char* kUsage =
    "usage: plenx-export [--ini FILE] [--values | --events] [--from T] [--to T | --around T [--before D] "
    "[--after D]] LOG [-o OUT.csv]";

// The span --around takes in without --before and --after: the minutes
// before a fault, and a little after.
constexpr const char* kDefaultBefore = "2m";
constexpr const char* kDefaultAfter = "30s";

constexpr const char* kDescription =
    "Turns a Plenx Logger log into a CSV table (RFC 4180, UTF-8): a header row, then one row\n"
    "per record: its time stamp and the Value text of every list row the window shows.\n"
    "With --events, the events of the log instead: one row per change of a state the\n"
    "window shows as a text (mode, compressor, fan, pump, valve, defrost, faults) and per\n"
    "COMMUNICATION ERROR (a gap of 10 s or more between lines), with the columns\n"
    "Time,Severity,Unit,Parameter,Before,After; Severity is state, fault or cleared.";

constexpr const char* kFooter =
    "T is a local time as logged: 2015-03-07, 2015-03-07T14:05, 2015-03-07T14:05:09.042 or\n"
    "the log's own 2015/03/07-14:05:09.042. Parts left out of a --to time are the latest, so\n"
    "--to 2015-03-07 takes in the whole day. --around T --before D --after D takes in\n"
    "the span around T (default 2m before, 30s after); D is 2m, 30s, 1m30s, 500ms or 1h.\n"
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

// --around T --before B --after A as the bounds T - B and T + A, or a
// message in error.
bool ReadSpan(const std::string& aroundText, const std::string& beforeText, const std::string& afterText,
              ExportOptions& options, std::string& error) {
  const std::optional<LocalTime> around = ParseTimeBound(aroundText, BoundSide::kFrom, error);
  if (!around) {
    error = "--around " + error;
    return false;
  }
  const std::optional<int64_t> beforeMs = ParseDurationMs(beforeText, error);
  if (!beforeMs) {
    error = "--before " + error;
    return false;
  }
  const std::optional<int64_t> afterMs = ParseDurationMs(afterText, error);
  if (!afterMs) {
    error = "--after " + error;
    return false;
  }
  const int64_t aroundMs = WallClockMs(*around);
  options.from = WallClockTime(aroundMs - *beforeMs);
  options.to = WallClockTime(aroundMs + *afterMs);
  return true;
}

}  // namespace

std::optional<int> ParseExportOptions(int argc, char** argv, ExportOptions& options) {
  CLI::App app(kDescription, "plenx-export");
  SetUpCommandLine(app, kUsage);
  app.footer(kFooter);
  app.add_option("--ini", options.iniPath,
                 "layout and labels (default: the file plenx-logger reads, see below)")
      ->type_name("FILE");
  CLI::Option* values = app.add_flag("--values", options.values, "numbers instead of texts (see below)");
  app.add_flag("--events", options.events, "the events of the log instead of its records (see above)")
      ->excludes(values);
  std::string fromText;
  std::string toText;
  std::string aroundText;
  std::string beforeText = kDefaultBefore;
  std::string afterText = kDefaultAfter;
  CLI::Option* from = app.add_option("--from", fromText, "first time exported, inclusive")->type_name("T");
  CLI::Option* to = app.add_option("--to", toText, "last time exported, inclusive")->type_name("T");
  CLI::Option* around = app.add_option("--around", aroundText, "export the span around this time (see below)")
                            ->type_name("T")
                            ->excludes(from)
                            ->excludes(to);
  app.add_option("--before", beforeText, "with --around: the span before it (default 2m)")
      ->type_name("D")
      ->needs(around);
  app.add_option("--after", afterText, "with --around: the span after it (default 30s)")
      ->type_name("D")
      ->needs(around);
  app.add_option("LOG", options.logPath, "the log file; - reads standard input")->required();
  app.add_option("-o,--output", options.outputPath, "the CSV file; - or none: standard output")
      ->type_name("OUT.csv");
  if (const std::optional<int> exitStatus = ParseCommandLine(app, argc, argv)) return exitStatus;

  std::string error;
  if (!ReadBound(fromText, BoundSide::kFrom, options.from, error) ||
      !ReadBound(toText, BoundSide::kTo, options.to, error)) {
    return RefuseArguments(app, error);
  }
  if (!aroundText.empty() && !ReadSpan(aroundText, beforeText, afterText, options, error)) {
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
