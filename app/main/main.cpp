// Entry point of plenx-logger: reads the options and runs the application.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/logger_app.h"
#include "app/resource_ids.h"

namespace {

CTESSAMPLENXLOGGERApp theApp;

constexpr const char* kUsage =
    "usage: plenx-logger [--headless] [--start] [--screenshot FILE.png] [--version]\n"
    "  --headless         run without a display; message boxes are answered\n"
    "                     as if closed and written to standard error\n"
    "  --start            start a run with the remembered port and log file\n"
    "                     (SIGTERM or SIGINT stops it and archives the log)\n"
    "  --screenshot FILE  write the window as PNG once shown, then close\n";

}  // namespace

int main(int argc, char** argv) {
  LoggerRunOptions options;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--headless") == 0) {
      options.headless = true;
    } else if (std::strcmp(argv[i], "--start") == 0) {
      options.start = true;
    } else if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
      options.screenshotPath = argv[++i];
    } else if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("%s %s\n", std::string(kProductName).c_str(), std::string(kProductVersion).c_str());
      return 0;
    } else if (std::strcmp(argv[i], "--help") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    } else {
      std::fputs(kUsage, stderr);
      return 2;
    }
  }
  // The offscreen platform needs no display; an explicit choice is kept.
  if (options.headless) ::setenv("QT_QPA_PLATFORM", "offscreen", /*overwrite=*/0);
  theApp.SetRunOptions(std::move(options));
  // Qt reads only the program name from the arguments.
  int qtArgc = 1;
  const int status = theApp.Run(qtArgc, argv);
  return status != 0 ? status : theApp.ExitCode();
}
