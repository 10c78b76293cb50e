// Existence test by directory search: wildcard matching and which entries count.
#include "platform/file_search.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

namespace {

TEST(WildcardMatches, StarAndQuestionMarkOnly) {
  struct Case {
    const char* pattern;
    const char* name;
    bool matches;
  };
  const Case cases[] = {
      {"run.log", "run.log", true},
      {"run.log", "Run.log", false},  // file names are case-sensitive here
      {"*", "", true},
      {"*", ".", true},
      {"*.log", "run.log", true},
      {"*.log", "run.log.1", false},
      {"r*g", "run.log", true},
      {"*a*a*a", "aaaaaaaaaaaaaaaaaaaaaaaaaaaab", false},  // backtracking ends
      {"*un.l*", "rrun.llog", true},
      {"?.log", "a.log", true},
      {"?.log", ".log", false},
      {"???", "ab", false},
      {"[ab].log", "a.log", false},  // brackets are plain characters
      {"[ab].log", "[ab].log", true},
      {"run\xB0.log", "run\xB0.log", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WildcardMatches(c.pattern, c.name), c.matches) << c.pattern << " vs " << c.name;
  }
}

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
