// Existence test by directory search on Linux: which entries count.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/file_search.h"

namespace {

TEST(DirectorySearchFindsEntry, AnyKindOfEntryCounts) {
  std::string pattern = (std::filesystem::temp_directory_path() / "file_search_test.XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  const std::filesystem::path dir = pattern;
  std::ofstream(dir / "a.log") << "x";
  std::filesystem::create_directory(dir / "sub");
  std::filesystem::create_symlink(dir / "gone", dir / "dangling");

  struct Case {
    std::string name;
    bool found;
  };
  const Case cases[] = {
      {(dir / "a.log").string(), true},
      {(dir / "sub").string(), true},
      {(dir / "dangling").string(), true},
      {(dir / "d*").string(), true},
      {(dir / "s?b").string(), true},
      {(dir / "*.txt").string(), false},
      {(dir / "b.log").string(), false},
      {(dir / "sub").string() + "/", false},
      {(dir / "missing" / "*").string(), false},
      {"/", false},
  };
  for (const Case& c : cases) EXPECT_EQ(DirectorySearchFindsEntry(c.name), c.found) << c.name;

  // A name without a directory part searches the current directory.
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  EXPECT_TRUE(DirectorySearchFindsEntry("a.log"));
  EXPECT_TRUE(DirectorySearchFindsEntry("?.log"));
  EXPECT_FALSE(DirectorySearchFindsEntry("?.txt"));
  std::filesystem::current_path(previous);
  std::filesystem::remove_all(dir);
}

}  // namespace
