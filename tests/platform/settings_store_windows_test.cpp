// The settings store in the registry: a text value of the key under
// HKEY_CURRENT_USER, whose characters survive the trip whatever they are;
// values another program wrote; the read limit; keys that are not there.
#include "platform/settings_store.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/windows/registry_sandbox.h"

namespace {

constexpr const char* kKey = "Software\\TessamPlenxLogger";
constexpr const wchar_t* kWideKey = L"Software\\TessamPlenxLogger";

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_registry.Active()); }

  RegistrySandbox m_registry;
};

TEST_F(SettingsStoreTest, ValueIsATextValueOfTheKeyAndReadsBackAsWritten) {
  EXPECT_EQ(SettingsStoreFolder(), "HKEY_CURRENT_USER");
  // A file name with characters of no ANSI code page, and a lone surrogate
  // that only the wide calls can hold.
  const std::string name =
      std::string("C:\\M\xC3\xA9sures\\\xCE\xA9 \xF0\x9F\x8C\xA1 \xED\xA0\xBC.log") + '\0';
  ASSERT_TRUE(WriteSettingValue(kKey, "LogFile", name));
  EXPECT_EQ(m_registry.GetText(kWideKey, L"LogFile"),
            std::wstring(L"C:\\M\u00E9sures\\\u03A9 \U0001F321 ") + wchar_t(0xD83C) + L".log" + wchar_t(0));
  std::string read;
  ASSERT_TRUE(ReadSettingValue(kKey, "LogFile", 260, read));
  EXPECT_EQ(read, name);
}

TEST_F(SettingsStoreTest, ValuesOtherProgramsWroteReadAsTheyStand) {
  std::string read;
  // As the ANSI call stores text: units and a terminating zero.
  ASSERT_TRUE(m_registry.PutText(kWideKey, L"CommunicationPort", std::wstring(L"COM3\0", 5)));
  ASSERT_TRUE(ReadSettingValue(kKey, "CommunicationPort", 260, read));
  EXPECT_EQ(read, std::string("COM3\0", 5));
  // Without the terminator (which the registry may add), and not text at all.
  ASSERT_TRUE(m_registry.PutText(kWideKey, L"CommunicationPort", L"COM4"));
  ASSERT_TRUE(ReadSettingValue(kKey, "CommunicationPort", 260, read));
  EXPECT_EQ(read.substr(0, read.find('\0')), "COM4");
  const char binary[] = {'C', 'O', 'M', '5'};
  ASSERT_TRUE(m_registry.Put(kWideKey, L"CommunicationPort", REG_BINARY, binary, sizeof binary));
  ASSERT_TRUE(ReadSettingValue(kKey, "CommunicationPort", 260, read));
  EXPECT_EQ(read, "COM5");
}

TEST_F(SettingsStoreTest, ValueLargerThanTheBufferReadsAsFailure) {
  std::string read = "old";
  ASSERT_TRUE(WriteSettingValue(kKey, "LogFile", std::string(259, 'a') + '\0'));
  EXPECT_TRUE(ReadSettingValue(kKey, "LogFile", 260, read));
  ASSERT_TRUE(WriteSettingValue(kKey, "LogFile", std::string(260, 'b') + '\0'));
  EXPECT_FALSE(ReadSettingValue(kKey, "LogFile", 260, read));
  EXPECT_EQ(read, "");
  // The limit counts the bytes the program gets: two for an e with accent.
  ASSERT_TRUE(WriteSettingValue(kKey, "LogFile", "\xC3\xA9"));
  EXPECT_FALSE(ReadSettingValue(kKey, "LogFile", 1, read));
}

TEST_F(SettingsStoreTest, MissingKeysAndUnusableNamesReadNothingAndWriteNothing) {
  std::string read = "old";
  EXPECT_FALSE(ReadSettingValue(kKey, "LogFile", 260, read));
  EXPECT_EQ(read, "");
  ASSERT_TRUE(WriteSettingValue(kKey, "LogFile", "x"));
  EXPECT_FALSE(ReadSettingValue(kKey, "Missing", 260, read));
  for (const char* keyPath : {"", "\\Software", "Software\\\\X", "Software\\"}) {
    EXPECT_FALSE(WriteSettingValue(keyPath, "LogFile", "x")) << keyPath;
    EXPECT_FALSE(ReadSettingValue(keyPath, "LogFile", 260, read)) << keyPath;
  }
  EXPECT_FALSE(WriteSettingValue(kKey, "", "x"));
  // Every call opens the key afresh: a key removed meanwhile is made again.
  ASSERT_TRUE(m_registry.RemoveKey(kWideKey));
  EXPECT_FALSE(ReadSettingValue(kKey, "LogFile", 260, read));
  EXPECT_TRUE(WriteSettingValue(kKey, "LogFile", std::string("y\0", 2)));
  EXPECT_TRUE(ReadSettingValue(kKey, "LogFile", 260, read));
  EXPECT_EQ(read, std::string("y\0", 2));
}

}  // namespace
