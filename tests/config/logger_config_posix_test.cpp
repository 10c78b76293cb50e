// Loading LoggerConfig on Linux: a file that is there but may not be read.
#include <sys/stat.h>

#include <string>

#include <gtest/gtest.h>

#include "config/logger_config.h"
#include "testkit/temp_folder.h"
#include "tests/support/faults.h"

namespace {

class LoggerConfigUnreadableTest : public ::testing::Test {
 protected:
  // Loads a configuration file holding text; returns its warnings.
  ConfigWarnings LoadText(const std::string& text) {
    m_path = m_folder.Write("plenx-logger.ini", text);
    return m_config.Load(m_path);
  }

  TempFolder m_folder;
  std::string m_path;
  LoggerConfig m_config;
};

TEST_F(LoggerConfigUnreadableTest, UnreadableFileIsReportedWithItsReason) {
  LoadText("[CONFIG]\nNUMDEVICES=2\n");
  ASSERT_EQ(chmod(m_path.c_str(), 0), 0);
  const PermissionBitsApply asUser;
  const ConfigWarnings warnings = m_config.Load(m_path);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0],
            m_path + ": cannot be read: permission denied; using the built-in settings and labels");
  EXPECT_EQ(m_config.numDevices, 4);
}

}  // namespace
