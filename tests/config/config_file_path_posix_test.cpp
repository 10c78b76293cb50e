// Finding the configuration file on Linux: beside the executable, in the
// per-user folder or in a system folder, by the XDG variables.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "config/config_file_path.h"
#include "testkit/temp_folder.h"
#include "tests/support/scoped_env.h"

namespace {

// A program folder, a per-user configuration folder and two system folders,
// each of which may hold a configuration file.
class ConfigFileLookup : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(m_root.path().empty());
    for (const char* folder : {"bin", "home/plenx-logger", "site/plenx-logger", "etc/plenx-logger"}) {
      std::filesystem::create_directories(m_root.Path(folder));
    }
  }

  std::string Executable() const { return m_root.Path("bin/logger"); }
  std::string Put(const std::string& name) const { return m_root.Write(name, "[CONFIG]\nNUMDEVICES=x\n"); }

  TempFolder m_root;
  ScopedEnv m_home{"XDG_CONFIG_HOME", m_root.Path("home").c_str()};
  ScopedEnv m_dirs{"XDG_CONFIG_DIRS", (m_root.Path("site") + ":" + m_root.Path("etc")).c_str()};
};

TEST_F(ConfigFileLookup, CandidatesBesideThenUserThenSystemFolders) {
  const std::vector<std::string> expected = {
      m_root.Path("bin/logger.ini"), m_root.Path("home/plenx-logger/plenx-logger.ini"),
      m_root.Path("site/plenx-logger/plenx-logger.ini"), m_root.Path("etc/plenx-logger/plenx-logger.ini")};
  EXPECT_EQ(ConfigFileCandidates(Executable()), expected);
  // Without the program's own path only the folders are searched.
  EXPECT_EQ(ConfigFileCandidates(""), std::vector<std::string>(expected.begin() + 1, expected.end()));
}

TEST_F(ConfigFileLookup, FirstFoundWins) {
  EXPECT_EQ(FindConfigFile(Executable()), "");
  const std::string last = Put("etc/plenx-logger/plenx-logger.ini");
  EXPECT_EQ(FindConfigFile(Executable()), last);
  // A folder of the file's name is not a configuration file.
  std::filesystem::create_directory(m_root.Path("site/plenx-logger/plenx-logger.ini"));
  EXPECT_EQ(FindConfigFile(Executable()), last);
  const std::string user = Put("home/plenx-logger/plenx-logger.ini");
  EXPECT_EQ(FindConfigFile(Executable()), user);
  const std::string beside = Put("bin/logger.ini");
  EXPECT_EQ(FindConfigFile(Executable()), beside);
}

}  // namespace
