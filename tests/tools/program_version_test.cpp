// Every program prints the one project version with --version.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "plenx_version.h"
#include "testkit/run_command.h"

namespace {

TEST(ProgramVersion, EveryProgramPrintsTheProjectVersion) {
  for (const std::string program :
       {"plenx-decode", "plenx-board-sim", "plenx-zip", "plenx-export", "plenx-logger"}) {
    const std::string path = std::string(PLENX_BIN_DIR) + "/" + program;
    // The window program is built only with the window.
    if (program == "plenx-logger" && !std::filesystem::exists(path)) continue;
    const CommandResult run = RunCommand("'" + path + "' --version");
    EXPECT_EQ(run.exitCode, 0) << program;
    EXPECT_EQ(run.output, program + " " + std::string(kPlenxVersionText) + "\n");
  }
}

}  // namespace
