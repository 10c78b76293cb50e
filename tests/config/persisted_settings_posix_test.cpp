// The remembered port and log file name: the stored form (text and a zero
// byte), the 260-byte read limit and a store that is not there yet.
#include "config/persisted_settings.h"

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "testkit/temp_folder.h"
#include "tests/support/scoped_env.h"

namespace {

class PersistedSettingsTest : public ::testing::Test {
 protected:
  std::string ValuePath(const std::string& name) const {
    return m_home.path() + "/plenx-logger/Software/TessamPlenxLogger/" + name;
  }
  std::string RawValue(const std::string& name) const {
    std::ifstream file(ValuePath(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
  }
  void PutRaw(const std::string& name, const std::string& bytes) const {
    std::filesystem::create_directories(std::filesystem::path(ValuePath(name)).parent_path());
    std::ofstream(ValuePath(name), std::ios::binary | std::ios::trunc) << bytes;
  }

  TempFolder m_home;
  ScopedEnv m_configHome{"XDG_CONFIG_HOME", m_home.path().c_str()};
};

TEST_F(PersistedSettingsTest, FirstRunReadsEmptyAndAStartStoresBoth) {
  EXPECT_EQ(ReadPortSetting(), "");
  EXPECT_EQ(ReadLogFileSetting(), "");
  WritePortSetting("COM7");
  WriteLogFileSetting("/home/tech/logs/site.log");
  EXPECT_EQ(ReadPortSetting(), "COM7");
  EXPECT_EQ(ReadLogFileSetting(), "/home/tech/logs/site.log");
  // Stored as the text and its terminating zero byte.
  EXPECT_EQ(RawValue("CommunicationPort"), std::string("COM7\0", 5));
  EXPECT_EQ(RawValue("LogFile"), std::string("/home/tech/logs/site.log\0", 25));
}

TEST_F(PersistedSettingsTest, RunWithoutLogStoresTheEmptyName) {
  WriteLogFileSetting("/home/tech/old.log");
  WriteLogFileSetting("");
  EXPECT_EQ(RawValue("LogFile"), std::string("\0", 1));
  EXPECT_EQ(ReadLogFileSetting(), "");
}

TEST_F(PersistedSettingsTest, StoredBytesAsTheyReadBack) {
  struct Case {
    const char* name;
    std::string stored;
    std::string read;
  };
  const std::string long259(259, 'a');
  const std::string long260(260, 'b');
  const Case cases[] = {
      {"Text259WithZero", long259 + '\0', long259},
      {"Text260WithZeroIs261Bytes", long260 + '\0', ""},
      {"Text260WithoutZero", long260, long260},
      {"MissingTerminator", "COM3", "COM3"},
      {"BytesAfterTheZeroIgnored", std::string("COM3\0COM9", 9), "COM3"},
      {"OtherLetterCaseUnchanged", std::string("com3\0", 5), "com3"},
      {"NotAPortNameUnchanged", std::string("/dev/ttyUSB0\0", 13), "/dev/ttyUSB0"},
      {"Windows1252BytesKept", std::string("C:\\M\xE9sures\\a.log") + '\0', "C:\\M\xE9sures\\a.log"},
      {"EmptyFile", "", ""},
  };
  for (const Case& c : cases) {
    PutRaw("CommunicationPort", c.stored);
    PutRaw("LogFile", c.stored);
    EXPECT_EQ(ReadPortSetting(), c.read) << c.name;
    EXPECT_EQ(ReadLogFileSetting(), c.read) << c.name;
  }
}

TEST_F(PersistedSettingsTest, LongestNameThatReadsBackIs259Bytes) {
  WriteLogFileSetting(std::string(259, 'x'));
  EXPECT_EQ(ReadLogFileSetting(), std::string(259, 'x'));
  WriteLogFileSetting(std::string(260, 'y'));  // stored whole; only the read is limited
  EXPECT_EQ(RawValue("LogFile").size(), 261u);
  EXPECT_EQ(ReadLogFileSetting(), "");
}

TEST_F(PersistedSettingsTest, EveryCallSeesTheStoreAsItIsNow) {
  WritePortSetting("COM2");
  PutRaw("CommunicationPort", std::string("COM5\0", 5));  // another instance wrote
  EXPECT_EQ(ReadPortSetting(), "COM5");
  std::filesystem::remove_all(m_home.path() + "/plenx-logger");
  EXPECT_EQ(ReadPortSetting(), "");
  WritePortSetting("COM4");  // folders are made again
  EXPECT_EQ(ReadPortSetting(), "COM4");
}

}  // namespace
