// The program's folders on Windows: the user's in %APPDATA%, the machine's
// in %PROGRAMDATA%, the shell's known folders when the variables are no
// absolute paths; and error texts in Windows' own words.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/system_config_folders.h"
#include "platform/system_error_text.h"
#include "platform/user_config_folder.h"
#include "tests/support/scoped_env.h"

namespace {

TEST(ConfigFoldersTest, EnvironmentFirstThenTheShellsFolders) {
  {
    ScopedEnv appData("APPDATA", "D:\\Profiles\\tech\\AppData\\Roaming\\");
    ScopedEnv programData("PROGRAMDATA", "D:\\ProgramData");
    EXPECT_EQ(UserConfigFolder(), "D:\\Profiles\\tech\\AppData\\Roaming\\plenx-logger");
    EXPECT_EQ(SystemConfigFolders(), std::vector<std::string>{"D:\\ProgramData\\plenx-logger"});
  }
  ScopedEnv appData("APPDATA", "relative\\folder");
  ScopedEnv programData("PROGRAMDATA", nullptr);
  const std::string user = UserConfigFolder();
  EXPECT_TRUE(user.size() > 3 && user[1] == ':' && user.ends_with("\\plenx-logger")) << user;
  const std::vector<std::string> system = SystemConfigFolders();
  ASSERT_EQ(system.size(), 1u);
  EXPECT_TRUE(system[0].ends_with("\\plenx-logger")) << system[0];
}

TEST(SystemErrorTextTest, WindowsWordsToFollowAColon) {
  for (int error : {ENOENT, EACCES, ENOSPC, EWOULDBLOCK}) {
    const std::string text = SystemErrorText(error);
    ASSERT_GE(text.size(), 2u) << error;
    EXPECT_TRUE(text[0] < 'A' || text[0] > 'Z') << text;
    EXPECT_NE(text.back(), '.') << text;
    EXPECT_EQ(text.find('\n'), std::string::npos) << text;
  }
  EXPECT_NE(SystemErrorText(ENOSPC), SystemErrorText(EACCES));
}

}  // namespace
