// Entry point of plenx-logger: reads the options and runs the application.
#include <cstdlib>
#include <optional>
#include <string>

#include "app/logger_app.h"
#include "tools/command_line.h"

namespace {

CTESSAMPLENXLOGGERApp theApp;

constexpr const char* kUsage =
    "usage: plenx-logger [--headless] [--start] [--raw FILE] [--screenshot FILE.png] [--version]";

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Logs the control board's serial line: the live values of each unit, a time-stamped log,\n"
      "and a dated ZIP archive of the log at Stop.",
      "plenx-logger"};
  SetUpCommandLine(app, kUsage);
  LoggerRunOptions options;
  app.add_flag(
      "--headless", options.headless,
      "run without a display; message boxes are answered as if closed and written to standard error");
  app.add_flag(
      "--start", options.start,
      "start a run with the remembered port and log file (SIGTERM or SIGINT stops it and archives the "
      "log)");
  app.add_option_function<std::string>(
         "--raw", [&options](const std::string& path) { options.rawCapturePath = path; },
         "append every byte read from the serial line to FILE during a run (the log's append question "
         "and lock rules apply)")
      ->type_name("FILE")
      ->check(CLI::Validator(
          [](std::string& path) {
            return path.empty() ? std::string("a raw capture needs a file name") : "";
          },
          ""));
  app.add_option_function<std::string>(
         "--screenshot", [&options](const std::string& path) { options.screenshotPath = path; },
         "write the window as PNG once shown, then close")
      ->type_name("FILE");
  if (const std::optional<int> exitStatus = ParseCommandLine(app, argc, argv)) return *exitStatus;
  // The offscreen platform needs no display; an explicit choice is kept.
  if (options.headless) ::setenv("QT_QPA_PLATFORM", "offscreen", /*overwrite=*/0);
  theApp.SetRunOptions(std::move(options));
  // Qt reads only the program name from the arguments.
  int qtArgc = 1;
  const int status = theApp.Run(qtArgc, argv);
  return status != 0 ? status : theApp.ExitCode();
}
