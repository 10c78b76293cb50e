// Naming the configuration file after the executable, by the Linux and the
// Windows rule.
#include "config/config_file_path.h"

#include <string>

#include <gtest/gtest.h>

namespace {

TEST(ConfigFilePath, LinuxRuleReplacesOrAddsTheExtensionAndKeepsCase) {
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

TEST(ConfigFilePath, WindowsRuleLowerCasesAndReplacesEveryExe) {
  struct Case {
    std::string module;
    std::string config;
  };
  const Case cases[] = {
      {"C:\\Tools\\LOGGER.EXE", "c:\\tools\\logger.ini"},
      {"C:\\My.Exe.Files\\Logger.exe", "c:\\my.ini.files\\logger.ini"},
      {"C:\\\xC9quipe\\a.exe", "c:\\\xE9quipe\\a.ini"},
      {"C:\\Tools\\logger", "c:\\tools\\logger"},  // no ".exe": nothing replaced
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WindowsConfigFilePathForExecutable(c.module), c.config);
  }
}

}  // namespace
