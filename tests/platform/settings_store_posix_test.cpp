// The per-user settings store: the file-per-value layout, the read size
// limit, atomic writes and failures that change nothing.
#include "platform/settings_store.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/scoped_env.h"

namespace {

namespace fs = std::filesystem;

const char kKey[] = "Software\\TessamPlenxLogger";

// A temporary XDG_CONFIG_HOME for each test.
class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "plenx-settings-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_home = pattern;
    m_env.emplace("XDG_CONFIG_HOME", m_home.c_str());
  }
  void TearDown() override {
    m_env.reset();
    std::error_code ignored;
    fs::permissions(KeyFolder(), fs::perms::owner_all, ignored);
    fs::remove_all(m_home, ignored);
  }

  std::string KeyFolder() const { return m_home + "/plenx-logger/Software/TessamPlenxLogger"; }

  void PutRaw(const std::string& name, const std::string& bytes) const {
    fs::create_directories(KeyFolder());
    std::ofstream(KeyFolder() + "/" + name, std::ios::binary) << bytes;
  }

  std::string m_home;
  std::optional<ScopedEnv> m_env;
};

TEST_F(SettingsStoreTest, ValueIsAFileNamedAfterItUnderTheKeyPath) {
  std::string bytes;
  EXPECT_FALSE(ReadSettingValue(kKey, "LogFile", 260, bytes));  // nothing there yet

  const std::string stored("C:\\logs\\run.log\0", 16);
  ASSERT_TRUE(WriteSettingValue(kKey, "LogFile", stored));
  EXPECT_TRUE(ReadSettingValue(kKey, "LogFile", 260, bytes));
  EXPECT_EQ(bytes, stored);

  std::ifstream file(KeyFolder() + "/LogFile", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), stored);
  // The temporary file is gone: the folder holds the value only.
  EXPECT_EQ(std::distance(fs::directory_iterator(KeyFolder()), fs::directory_iterator()), 1);

  ASSERT_TRUE(WriteSettingValue(kKey, "LogFile", std::string("x\0", 2)));
  EXPECT_TRUE(ReadSettingValue(kKey, "LogFile", 260, bytes));
  EXPECT_EQ(bytes, std::string("x\0", 2));  // shorter value leaves no tail
}

TEST_F(SettingsStoreTest, ValueLargerThanTheBufferReadsAsFailure) {
  struct Case {
    size_t size;
    bool read;
  };
  const Case cases[] = {{0, true}, {260, true}, {261, false}, {100000, false}};
  for (const Case& c : cases) {
    PutRaw("CommunicationPort", std::string(c.size, 'p'));
    std::string bytes = "old";
    EXPECT_EQ(ReadSettingValue(kKey, "CommunicationPort", 260, bytes), c.read) << c.size;
    EXPECT_EQ(bytes, c.read ? std::string(c.size, 'p') : "") << c.size;
  }
}

TEST_F(SettingsStoreTest, NamesThatWouldLeaveTheStoreAreRefused) {
  struct Case {
    const char* key;
    const char* value;
  };
  const Case cases[] = {
      {"Software\\..\\..\\..", "escape"},
      {"Software\\a/b", "v"},
      {"Software\\\\x", "v"},
      {"", "v"},
      {kKey, ".."},
      {kKey, "../v"},
      {kKey, ""},
  };
  for (const Case& c : cases) {
    std::string bytes;
    EXPECT_FALSE(WriteSettingValue(c.key, c.value, "x")) << c.key << " " << c.value;
    EXPECT_FALSE(ReadSettingValue(c.key, c.value, 260, bytes)) << c.key << " " << c.value;
  }
  EXPECT_FALSE(fs::exists(m_home + "/escape"));
  EXPECT_FALSE(fs::exists(m_home + "/plenx-logger/Software/TessamPlenxLogger/v"));
}

TEST_F(SettingsStoreTest, OddThingsInTheValuesPlaceChangeNothing) {
  fs::create_directories(KeyFolder() + "/LogFile");  // a folder where the value belongs
  ASSERT_EQ(mkfifo((KeyFolder() + "/CommunicationPort").c_str(), 0600), 0);
  std::string bytes;
  EXPECT_FALSE(ReadSettingValue(kKey, "LogFile", 260, bytes));
  EXPECT_FALSE(ReadSettingValue(kKey, "CommunicationPort", 260, bytes));  // does not block
  EXPECT_FALSE(WriteSettingValue(kKey, "LogFile", "x"));
  EXPECT_TRUE(fs::is_directory(KeyFolder() + "/LogFile"));
  // No temporary file is left behind by the failed write.
  EXPECT_EQ(std::distance(fs::directory_iterator(KeyFolder()), fs::directory_iterator()), 2);
}

TEST_F(SettingsStoreTest, UnreachableStoreReadsEmptyAndWritesNothing) {
  // A file where the configuration folder should be: no folder can be made.
  std::ofstream(m_home + "/blocker") << "file";
  const ScopedEnv xdg("XDG_CONFIG_HOME", (m_home + "/blocker").c_str());
  std::string bytes;
  EXPECT_FALSE(WriteSettingValue(kKey, "LogFile", "x"));
  EXPECT_FALSE(ReadSettingValue(kKey, "LogFile", 260, bytes));
  EXPECT_TRUE(bytes.empty());
}

TEST_F(SettingsStoreTest, ReadOnlyKeyFolderKeepsTheOldValue) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  ASSERT_TRUE(WriteSettingValue(kKey, "LogFile", "old"));
  fs::permissions(KeyFolder(), fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_FALSE(WriteSettingValue(kKey, "LogFile", "new"));
  std::string bytes;
  EXPECT_TRUE(ReadSettingValue(kKey, "LogFile", 260, bytes));
  EXPECT_EQ(bytes, "old");
}

// A writer killed between making its temporary file and renaming it leaves
// the file behind; the next write of that value removes it, but not one a
// live writer (another process) still holds, nor another value's.
TEST_F(SettingsStoreTest, KilledWritersTemporaryFilesGoWithTheNextWrite) {
  ASSERT_TRUE(WriteSettingValue(kKey, "LogFile", "old"));
  const std::string abandoned = KeyFolder() + "/.LogFile.a1B2c3";
  const std::string live = KeyFolder() + "/.LogFile.Z9y8X7";
  const std::string otherValues = KeyFolder() + "/.WindowSize.a1B2c3";
  for (const std::string& path : {abandoned, live, otherValues}) PutRaw(fs::path(path).filename(), "half");
  const int liveWriter = open(live.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(liveWriter, 0);
  ASSERT_EQ(flock(liveWriter, LOCK_EX | LOCK_NB), 0);

  ASSERT_TRUE(WriteSettingValue(kKey, "LogFile", "new"));
  close(liveWriter);
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(KeyFolder())) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".LogFile.Z9y8X7", ".WindowSize.a1B2c3", "LogFile"}));
  std::string bytes;
  EXPECT_TRUE(ReadSettingValue(kKey, "LogFile", 260, bytes));
  EXPECT_EQ(bytes, "new");
}

}  // namespace
