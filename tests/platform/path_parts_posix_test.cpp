// Path parts on Linux: only '/' separates.
#include <gtest/gtest.h>

#include "platform/path_parts.h"

namespace {

TEST(PathParts, OnlySlashSeparates) {
  EXPECT_EQ(FileNameOf("/home/tech/site.log"), "site.log");
  EXPECT_EQ(FileNameOf("site.log"), "site.log");
  EXPECT_EQ(FileNameOf("logs/"), "");
  EXPECT_EQ(FileNameOf("C:\\logs\\site.log"), "C:\\logs\\site.log");
  EXPECT_EQ(JoinPath("/home/tech", "site.log"), "/home/tech/site.log");
  EXPECT_EQ(JoinPath("/", "site.log"), "/site.log");
  EXPECT_EQ(JoinPath("", "site.log"), "site.log");
}

}  // namespace
