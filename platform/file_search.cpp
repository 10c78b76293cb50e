// Wildcard matching of directory entry names.
#include "platform/file_search.h"

bool WildcardMatches(std::string_view pattern, std::string_view entryName) {
  // Greedy match with one backtrack point: the last '*' seen and the name
  // position it is currently assumed to cover up to. Linear in practice.
  size_t p = 0;
  size_t n = 0;
  size_t starPattern = std::string_view::npos;
  size_t starName = 0;
  while (n < entryName.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starPattern = p++;
      starName = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == entryName[n])) {
      ++p;
      ++n;
    } else if (starPattern != std::string_view::npos) {
      p = starPattern + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}
