// Path parts on Windows: '\' and '/' separate, and a drive ends the folder.
#include <gtest/gtest.h>

#include "platform/path_parts.h"

namespace {

TEST(PathParts, BackslashSlashAndDriveSeparate) {
  EXPECT_EQ(FileNameOf("C:\\logs\\site.log"), "site.log");
  EXPECT_EQ(FileNameOf("C:/logs/site.log"), "site.log");
  EXPECT_EQ(FileNameOf("C:site.log"), "site.log");
  EXPECT_EQ(FileNameOf("\\\\server\\share\\site.log"), "site.log");
  EXPECT_EQ(FileNameOf("site.log"), "site.log");
  EXPECT_EQ(JoinPath("C:\\logs", "site.log"), "C:\\logs\\site.log");
  EXPECT_EQ(JoinPath("C:\\", "site.log"), "C:\\site.log");
  EXPECT_EQ(JoinPath("C:", "site.log"), "C:site.log");
  EXPECT_EQ(JoinPath("C:/logs/", "site.log"), "C:/logs/site.log");
  EXPECT_EQ(JoinPath("", "site.log"), "site.log");
}

}  // namespace
