// Entry point of plenx-logger: reads the options, then runs either the
// unattended run (no window, no display, nothing of Qt) or the window.
#include <strings.h>

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

#include "app/logger_options.h"
#include "cli/command_line.h"
#include "cli/number_range.h"
#include "faces/unattended_faces.h"
#include "headless/headless_run.h"
#include "run/port_list.h"
#include "upkeep/rotation_options.h"

namespace {

constexpr const char* kProgramName = "plenx-logger";

constexpr const char* kUsage =
    "usage: plenx-logger [--start] [--port COMn] [--log FILE] [--rotate WHEN] [--keep-days N] [--min-free "
    "MB]\n"
    "       plenx-logger --headless [--port COMn] [--log FILE] [--append] [--seconds S] [--dump-every S]\n"
    "                    [--raw FILE] [--rotate WHEN] [--keep-days N] [--min-free MB]\n"
    "       plenx-logger [--headless] --replay LOG [--speed X] [--seconds S] [--dump-every S]\n"
    "       plenx-logger [--headless] --screenshot FILE.png\n"
    "       plenx-logger --version";

// The usage with the options of the faces this build has, which a run in
// the window and an unattended one both take.
std::string Usage() {
  std::string usage = kUsage;
  std::string faces;
  if (BrokerFaceBuiltIn()) faces += " [--mqtt URL [--site NAME] ...]";
  if (PageFaceBuiltIn()) faces += " [--serve [ADDR:]PORT ...]";
  if (!faces.empty()) usage += "\n       a run, in the window or --headless, also takes:" + faces;
  return usage;
}

// Longest time a timer of the event loop takes: 2^31 - 1 ms, about 24 days.
constexpr double kMaxTimerSeconds = 2147483.0;
constexpr double kShortestTimerSeconds = 0.001;
// Fastest replay speed that is not "as fast as possible" (0).
constexpr double kMaxReplaySpeed = 1e6;

int Milliseconds(double seconds) { return static_cast<int>(std::lround(seconds * 1000.0)); }

// Takes an item of the port list in any letter case and gives its text.
CLI::Validator PortListItem() {
  return CLI::Validator(
      [](std::string& name) -> std::string {
        for (const std::string& item : PortItemTexts()) {
          if (strcasecmp(item.c_str(), name.c_str()) == 0) {
            name = item;
            return {};
          }
        }
        return name + " is not in the port list (" + PortItemText(1) + " to " + PortItemText(kPortCount) +
               ")";
      },
      "");
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Logs the control board's serial line: the live values of each unit, a time-stamped log,\n"
      "and a dated ZIP archive of the log at Stop.",
      "plenx-logger"};
  SetUpCommandLine(app, Usage());
  LoggerRunOptions options;
  std::optional<double> seconds;
  std::optional<double> dumpEverySeconds;
  CLI::Option* headless = app.add_flag(
      "--headless", options.headless,
      "run without a display: start a run at once; message boxes go to standard error and are answered "
      "as if closed; SIGTERM, SIGINT or SIGHUP stops the run (the log is archived) and the views are "
      "printed on standard output");
  CLI::Option* start = app.add_flag("--start", options.start, "click Start once the window is shown");
  CLI::Option* port =
      app.add_option("--port", options.portName, "select this item of the port list (COM1 to COM24)")
          ->type_name("COMn")
          ->transform(PortListItem());
  CLI::Option* log =
      app.add_option(
             "--log", options.logFile,
             "log to FILE, as if chosen with \"Save log file as...\" (relative to the current folder)")
          ->type_name("FILE")
          ->check([](const std::string& name) { return name.empty() ? std::string("empty file name") : ""; });
  CLI::Option* append =
      app.add_flag("--append", options.append, "append to an existing log file (else the run does not start)")
          ->needs(headless);
  CLI::Option* runFor = app.add_option("--seconds", seconds, "stop the run after S seconds")
                            ->type_name("S")
                            ->check(NumberInRange(kShortestTimerSeconds, kMaxTimerSeconds))
                            ->needs(headless);
  CLI::Option* dumpEvery =
      app.add_option("--dump-every", dumpEverySeconds, "also print the views every S seconds during the run")
          ->type_name("S")
          ->check(NumberInRange(kShortestTimerSeconds, kMaxTimerSeconds))
          ->needs(headless);
  CLI::Option* raw =
      app.add_option("--raw", options.rawCapturePath,
                     "append every byte read from the serial line to FILE during the run (the log's append "
                     "question and lock rules apply)")
          ->type_name("FILE")
          ->check([](const std::string& name) { return name.empty() ? std::string("empty file name") : ""; })
          ->needs(headless);
  CLI::Option* replay =
      app.add_option("--replay", options.replayPath,
                     "show the records of the log LOG at their recorded pace instead of a run; no log is "
                     "written and no archive made; with --headless, print the views after its last record")
          ->type_name("LOG")
          ->check([](const std::string& name) { return name.empty() ? std::string("empty file name") : ""; })
          ->excludes(start)
          ->excludes(port)
          ->excludes(log)
          ->excludes(append)
          ->excludes(raw);
  app.add_option("--speed", options.replaySpeed,
                 "replay X times as fast as recorded; 0: as fast as possible (default 1)")
      ->type_name("X")
      ->check(NumberInRange(0.0, kMaxReplaySpeed))
      ->needs(replay);
  app.add_option("--screenshot", options.screenshotPath, "write the window as PNG once shown, then close")
      ->type_name("FILE")
      ->excludes(start)
      ->excludes(append)
      ->excludes(runFor)
      ->excludes(dumpEvery)
      ->excludes(raw)
      ->excludes(replay);
  options.upkeep = ReadRotationSettings();
  AddRotationOptions(app, options.upkeep);
  AddFaceOptions(app, options.faces);
  if (const std::optional<int> exitStatus = ParseCommandLine(app, argc, argv)) return *exitStatus;
  if (const std::string problem = BrokerSettingsProblem(options.faces.broker); !problem.empty())
    return RefuseArguments(app, problem);
  if (seconds) options.runMs = Milliseconds(*seconds);
  if (dumpEverySeconds) options.dumpEveryMs = Milliseconds(*dumpEverySeconds);
  if (options.headless && !options.screenshotPath) {
    HeadlessOptions headless;
    headless.portName = options.portName;
    headless.logFile = options.logFile;
    headless.append = options.append;
    headless.runMs = options.runMs;
    headless.dumpEveryMs = options.dumpEveryMs;
    headless.replayPath = options.replayPath;
    headless.replaySpeed = options.replaySpeed;
    headless.rawCapturePath = options.rawCapturePath;
    headless.upkeep = options.upkeep;
    return RunHeadlessWithFaces(headless, options.faces, stdout, stderr, kProgramName);
  }
  return RunWindowProgram(options, argv[0]);
}
