// plenx-logger built without Qt (PLENX_BUILD_WINDOW=OFF): there is no
// window, only the unattended run of --headless.
#include <cstdio>

#include "app/logger_options.h"

int RunWindowProgram(const LoggerRunOptions&, char*) {
  std::fputs("plenx-logger: this build has no window; run it with --headless\n", stderr);
  return 1;
}
