// plenx-board-sim's options.
#include "sim_options.h"

#include "cli/command_line.h"

namespace {

// A frame longer than this is no plausible layout; it also bounds the
// simulator's allocations.
constexpr int64_t kMaxValueCount = 20000;

constexpr const char* kUsage = "usage: plenx-board-sim [--pty | --device PATH] [options]";

const CLI::Range kRate(0.0, 1.0);
const CLI::Validator kNonEmpty(
    [](const std::string& text) { return text.empty() ? std::string("an empty path") : std::string(); }, "");

// The scenarios' names and what each does, for --help.
std::string ScenarioList() {
  std::string list = "Scenarios (--scenario NAME):";
  for (const ScenarioEntry& entry : Scenarios()) {
    list += "\n  ";
    list += entry.name;
    list += ": ";
    list += entry.description;
  }
  return list;
}

// The text of the built-in layout, "S,N,A".
std::string DefaultLayoutText() {
  return std::to_string(kDefaultStatusParams) + "," + std::to_string(kDefaultNumDevices) + "," +
         std::to_string(kDefaultAcParams);
}

// The layout of "S,N,A" when it gives 1 to kMaxValueCount values.
std::optional<RecordLayout> UsableLayout(const std::string& text) {
  const std::optional<RecordLayout> layout = ParseRecordLayout(text);
  if (!layout) return std::nullopt;
  const int64_t count = RecordValueCount(*layout);
  if (count < 1 || count > kMaxValueCount) return std::nullopt;
  return layout;
}

}  // namespace

void AddSimOptions(CLI::App& app, SimOptions& options) {
  app.description(
      "Stands in for the installation's control board: writes telemetry frames\n"
      "to a serial line at 9600 baud. SIGINT or SIGTERM ends it.");
  SetUpCommandLine(app, kUsage);
  CLI::Option* pty = app.add_flag("--pty")->description(
      "create a pseudo-terminal (the default) and print its device path as the first line");
  app.add_option("--device", options.devicePath, "write to an existing serial device instead")
      ->type_name("PATH")
      ->check(kNonEmpty)
      ->excludes(pty);
  const CLI::Validator layoutCheck(
      [](std::string& text) -> std::string {
        return UsableLayout(text) ? "" : "not a layout S,N,A of 1 to 20000 values: " + text;
      },
      "");
  app.add_option_function<std::string>(
         "--layout", [&options](const std::string& text) { options.layout = *UsableLayout(text); },
         "status values, units, values per unit (" + DefaultLayoutText() + ")")
      ->type_name("S,N,A")
      ->check(layoutCheck);
  app.add_option("--frames", options.frames, "frames to send (default: until stopped)")
      ->type_name("N")
      ->check(CLI::NonNegativeNumber);
  app.add_option_function<int>(
         "--interval-ms", [&options](int intervalMs) { options.intervalMs = intervalMs; },
         "start-to-start time of frames (default: the frame's wire time at 9600 baud; 0: as fast as the line "
         "takes)")
      ->type_name("MS")
      ->check(CLI::NonNegativeNumber);
  app.add_option_function<uint32_t>(
         "--seed", [&options](uint32_t seed) { options.seed = seed; },
         "seed of the simulated installation and the faults")
      ->type_name("N");
  app.add_option("--replay", options.replayPath,
                 "send the bytes of a capture once, at the line rate, instead of generated frames")
      ->type_name("FILE")
      ->check(kNonEmpty);
  const CLI::Validator scenarioCheck(
      [](std::string& text) -> std::string {
        return ScenarioNamed(text) ? "" : "no such scenario: " + text + " (see --help)";
      },
      "");
  CLI::Option* scenario =
      app.add_option_function<std::string>(
             "--scenario", [&options](const std::string& name) { options.scenario = ScenarioNamed(name); },
             "make events on purpose: the installation follows the scenario NAME (listed below)")
          ->type_name("NAME")
          ->check(scenarioCheck);
  app.get_option("--replay")->excludes(scenario);
  app.footer(ScenarioList());
  app.add_option("--bad-checksum-rate", options.faults.badChecksum,
                 "chance per frame of a wrong checksum (0 to 1)")
      ->type_name("R")
      ->check(kRate);
  app.add_option("--garbage-rate", options.faults.garbage, "chance per frame of noise bytes after it")
      ->type_name("R")
      ->check(kRate);
  app.add_option("--silence-rate", options.faults.silence, "chance per frame of an 11 s silence after it")
      ->type_name("R")
      ->check(kRate);
  app.add_option("--gap-rate", options.faults.gap, "chance per frame of a 300 ms pause inside it")
      ->type_name("R")
      ->check(kRate);
}
