// The remembered window size and column widths: their stored texts, values
// that do not read, and their place beside the port and log file name.
#include "config/window_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "config/persisted_settings.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

namespace {

TEST(WindowSettingsTextTest, WindowSizeReadsOnlyTwoSizesInRange) {
  struct Case {
    const char* text;
    std::optional<WindowSize> size;
  };
  const Case cases[] = {
      {"750,390", WindowSize{750, 390}},
      {"16384,1", WindowSize{16384, 1}},
      {"", std::nullopt},
      {"750", std::nullopt},
      {"750,390,1", std::nullopt},
      {"750,0", std::nullopt},
      {"-750,390", std::nullopt},
      {"16385,390", std::nullopt},
      {"99999999999999,390", std::nullopt},
      {"750 ,390", std::nullopt},
      {"0x2ee,390", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseWindowSize(c.text), c.size) << c.text;
  EXPECT_EQ(FormatWindowSize(WindowSize{1024, 600}), "1024,600");
}

TEST(WindowSettingsTextTest, ColumnWidthsKeepTheirListsAndDropWhatDoesNotRead) {
  EXPECT_EQ(ParseColumnWidths("350,200;0,0;280,180"), (ColumnWidths{{350, 200}, {0, 0}, {280, 180}}));
  EXPECT_EQ(ParseColumnWidths("x,200;-5;20000,7"), (ColumnWidths{{0, 200}, {0}, {0, 7}}));
  EXPECT_EQ(ParseColumnWidths(""), ColumnWidths{});
  // Lists without any width at the end are left out; those before stay.
  EXPECT_EQ(FormatColumnWidths({{0, 0}, {280, 0}, {0, 0}, {}}), "0,0;280,0");
  EXPECT_EQ(FormatColumnWidths({{0, 0}}), "");
}

class WindowSettingsStoreTest : public ::testing::Test {
 protected:
  std::string RawValue(const std::string& name) const {
    std::ifstream file(m_home.path() + "/plenx-logger/Software/TessamPlenxLogger/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
  }

  TempFolder m_home;
  ScopedEnv m_configHome{"XDG_CONFIG_HOME", m_home.path().c_str()};
};

TEST_F(WindowSettingsStoreTest, StoredBesideThePortAndLogFileNameWithoutTouchingThem) {
  EXPECT_EQ(ReadWindowSizeSetting(), std::nullopt);
  EXPECT_EQ(ReadColumnWidthsSetting(), ColumnWidths{});
  WritePortSetting("COM3");
  WriteWindowSizeSetting(WindowSize{1024, 600});
  WriteColumnWidthsSetting({{0, 0}, {300, 0}});
  EXPECT_EQ(ReadWindowSizeSetting(), (WindowSize{1024, 600}));
  EXPECT_EQ(ReadColumnWidthsSetting(), (ColumnWidths{{0, 0}, {300, 0}}));
  EXPECT_EQ(RawValue("WindowSize"), std::string("1024,600\0", 9));
  EXPECT_EQ(RawValue("ColumnWidths"), std::string("0,0;300,0\0", 10));
  EXPECT_EQ(RawValue("CommunicationPort"), std::string("COM3\0", 5));
}

}  // namespace
