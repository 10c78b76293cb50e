// Suffix test for entries that deflate would not shrink.
#include "archive/zip_method.h"

#include <array>

#include "archive/zip_format.h"

namespace {

// Suffixes of formats that are compressed already.
constexpr std::array<std::string_view, 8> kStoredSuffixes = {".Z",   ".zip", ".zoo", ".arc",
                                                             ".lzh", ".arj", ".gz",  ".tgz"};

// Case folding of ASCII letters only: every suffix above is ASCII, and no
// other Windows-1252 character folds to an ASCII letter.
char FoldAsciiCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAsciiCase(a[i]) != FoldAsciiCase(b[i])) return false;
  }
  return true;
}

}  // namespace

uint16_t CompressionMethodFor(std::string_view entryName) {
  const size_t dot = entryName.find_last_of('.');
  if (dot == std::string_view::npos) {
    return plenx::zip::kMethodDeflated;
  }
  const std::string_view suffix = entryName.substr(dot);
  for (std::string_view stored : kStoredSuffixes) {
    if (EqualsIgnoringCase(suffix, stored)) return plenx::zip::kMethodStored;
  }
  return plenx::zip::kMethodDeflated;
}
