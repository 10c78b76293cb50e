// The remembered settings on Windows: text values of HKEY_CURRENT_USER's
// "Software\TessamPlenxLogger", as the program has always kept them, read
// and written by the same rules as on Linux; the window's size and column
// widths beside them.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "config/persisted_settings.h"
#include "config/window_settings.h"
#include "tests/windows/registry_sandbox.h"

namespace {

constexpr const wchar_t* kKey = L"Software\\TessamPlenxLogger";

class PersistedSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_registry.Active()); }

  RegistrySandbox m_registry;
};

TEST_F(PersistedSettingsTest, FirstRunReadsEmptyAndAStartStoresBoth) {
  EXPECT_EQ(ReadPortSetting(), "");
  EXPECT_EQ(ReadLogFileSetting(), "");
  WritePortSetting("COM7");
  WriteLogFileSetting("C:\\Users\\tech\\M\xC3\xA9sures\\site.log");
  EXPECT_EQ(ReadPortSetting(), "COM7");
  EXPECT_EQ(ReadLogFileSetting(), "C:\\Users\\tech\\M\xC3\xA9sures\\site.log");
  // Text values with their terminating zero, as the ANSI calls stored them.
  EXPECT_EQ(m_registry.GetText(kKey, L"CommunicationPort"), std::wstring(L"COM7\0", 5));
  EXPECT_EQ(m_registry.GetText(kKey, L"LogFile"),
            std::wstring(L"C:\\Users\\tech\\M\u00E9sures\\site.log\0", 31));
  WriteLogFileSetting("");
  EXPECT_EQ(ReadLogFileSetting(), "");
}

TEST_F(PersistedSettingsTest, ValuesReadByTheSameRulesAsOnLinux) {
  struct Case {
    const char* name;
    std::wstring stored;
    std::string read;
  };
  const Case cases[] = {
      {"Text259WithZero", std::wstring(259, L'a') + L'\0', std::string(259, 'a')},
      {"Text260WithZeroIs261Bytes", std::wstring(260, L'b') + L'\0', ""},
      {"MissingTerminator", L"COM3", "COM3"},
      {"CharactersAfterTheZeroIgnored", std::wstring(L"COM3\0COM9", 9), "COM3"},
      {"OtherLetterCaseUnchanged", std::wstring(L"com3\0", 5), "com3"},
      {"Empty", L"", ""},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(m_registry.PutText(kKey, L"CommunicationPort", c.stored));
    EXPECT_EQ(ReadPortSetting(), c.read) << c.name;
  }
  ASSERT_TRUE(m_registry.RemoveKey(kKey));
  EXPECT_EQ(ReadPortSetting(), "");
}

TEST_F(PersistedSettingsTest, WindowSizeAndColumnWidthsLieBesideThem) {
  WritePortSetting("COM3");
  WriteWindowSizeSetting(WindowSize{1024, 600});
  WriteColumnWidthsSetting({{0, 0}, {300, 0}});
  EXPECT_EQ(ReadWindowSizeSetting(), (WindowSize{1024, 600}));
  EXPECT_EQ(ReadColumnWidthsSetting(), (ColumnWidths{{0, 0}, {300, 0}}));
  EXPECT_EQ(m_registry.GetText(kKey, L"WindowSize"), std::wstring(L"1024,600\0", 9));
  EXPECT_EQ(m_registry.GetText(kKey, L"ColumnWidths"), std::wstring(L"0,0;300,0\0", 10));
  EXPECT_EQ(ReadPortSetting(), "COM3");
}

}  // namespace
