// Finding the configuration file on Windows: beside the executable, in the
// user's application data folder, or in the machine's program data folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "config/config_file_path.h"
#include "testkit/temp_folder.h"
#include "tests/support/scoped_env.h"

namespace {

class ConfigFileLookup : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(m_root.path().empty());
    for (const char* folder : {"bin", "AppData\\plenx-logger", "ProgramData\\plenx-logger"}) {
      std::filesystem::create_directories(FsPath(m_root.Path(folder)));
    }
  }

  std::string Executable() const { return m_root.Path("bin\\plenx-logger.exe"); }
  std::string Put(const std::string& name) const { return m_root.Write(name, "[CONFIG]\nNUMDEVICES=x\n"); }

  TempFolder m_root;
  ScopedEnv m_user{"APPDATA", m_root.Path("AppData").c_str()};
  ScopedEnv m_machine{"PROGRAMDATA", m_root.Path("ProgramData").c_str()};
};

TEST_F(ConfigFileLookup, BesideThenUserThenMachineFirstFoundWins) {
  const std::vector<std::string> expected = {m_root.Path("bin\\plenx-logger.ini"),
                                             m_root.Path("AppData\\plenx-logger\\plenx-logger.ini"),
                                             m_root.Path("ProgramData\\plenx-logger\\plenx-logger.ini")};
  EXPECT_EQ(ConfigFileCandidates(Executable()), expected);
  EXPECT_EQ(FindConfigFile(Executable()), "");
  const std::string machine = Put("ProgramData\\plenx-logger\\plenx-logger.ini");
  EXPECT_EQ(FindConfigFile(Executable()), machine);
  const std::string user = Put("AppData\\plenx-logger\\plenx-logger.ini");
  EXPECT_EQ(FindConfigFile(Executable()), user);
  const std::string beside = Put("bin\\plenx-logger.ini");
  EXPECT_EQ(FindConfigFile(Executable()), beside);
}

}  // namespace
