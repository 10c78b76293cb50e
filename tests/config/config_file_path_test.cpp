// Naming the configuration file after the executable.
#include "config/config_file_path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ConfigFilePath, ReplacesOrAddsTheExtensionAndKeepsCase) {
  struct Case {
    std::string executable;
    std::string config;
  };
  const Case cases[] = {
      {"/opt/plenx/plenx-logger", "/opt/plenx/plenx-logger.ini"},
      {"/opt/Plenx/Plenx-Logger.bin", "/opt/Plenx/Plenx-Logger.ini"},
      {"/opt/LOGGER.EXE", "/opt/LOGGER.ini"},
      {"/opt/a.exe.d/logger", "/opt/a.exe.d/logger.ini"},  // dot in a folder only
      {"/opt/logger.tar.gz", "/opt/logger.tar.ini"},       // last extension only
      {"/home/u/.logger", "/home/u/.logger.ini"},          // hidden file, no extension
      {"/opt/logger.", "/opt/logger.ini"},
      {"logger", "logger.ini"},
  };
  for (const Case& c : cases) EXPECT_EQ(ConfigFilePathForExecutable(c.executable), c.config);
}

}  // namespace
