// Absolute paths for messages: joining with the current directory and dropping "." and "..".
#include "platform/full_path.h"

#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

namespace {

TEST(FullPath, AbsoluteAndRelativeNames) {
  const std::string cwd = std::filesystem::current_path().string();
  const std::string base = cwd == "/" ? "" : cwd;
  struct Case {
    std::string path;
    std::string full;
  };
  const Case cases[] = {
      {"/dev/full", "/dev/full"},
      {"//var/./log//run.log", "/var/log/run.log"},
      {"/a/b/../../../c", "/c"},  // never above the root
      {"/", "/"},
      {"run.log", base + "/run.log"},
      {"./logs/../run.log", base + "/run.log"},
      {"", cwd},
  };
  for (const Case& c : cases) EXPECT_EQ(FullPath(c.path), c.full) << c.path;
}

}  // namespace
