// The remembered window size and column widths on Linux: their place beside
// the port and log file name.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "config/persisted_settings.h"
#include "config/window_settings.h"
#include "testkit/temp_folder.h"
#include "tests/support/scoped_env.h"

namespace {

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
