// Wildcard matching of directory entry names.
#include "platform/file_search.h"

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

}  // namespace
