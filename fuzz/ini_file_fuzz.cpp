// Any bytes as an INI file, decoded as the loader decodes a file: parsing
// never fails; every key line inside a section is found again, under any
// letter case of its section and key, with the value of the key's first
// line as the documented line rules give it; no value holds a line end; and
// every value reads as a profile integer the way the digits say.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "config/ini_file.h"
#include "config/text_encoding.h"
#include "fuzz/support/fuzz_check.h"

namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";

std::string_view Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// The value as the line rules give it: trimmed, one pair of matching quotes removed.
std::string_view ExpectedValue(std::string_view afterEquals) {
  std::string_view value = Trim(afterEquals);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

// text with its ASCII letters in upper case; the reader must not care.
std::string AsciiUpper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

// An optional sign and the decimal digits after it, saturated to 32 bits;
// nullopt without a digit. Written apart from the reader, with from_chars.
std::optional<int32_t> ExpectedProfileInt(std::string_view value) {
  bool negative = false;
  if (!value.empty() && (value.front() == '+' || value.front() == '-')) {
    negative = value.front() == '-';
    value.remove_prefix(1);
  }
  size_t digits = 0;
  while (digits < value.size() && value[digits] >= '0' && value[digits] <= '9') ++digits;
  if (digits == 0) return std::nullopt;
  std::string_view number = value.substr(0, digits);
  while (number.size() > 1 && number.front() == '0') number.remove_prefix(1);
  // Eleven significant digits already pass the 32-bit range.
  int64_t magnitude = std::numeric_limits<int64_t>::max();
  if (number.size() <= 11) std::from_chars(number.data(), number.data() + number.size(), magnitude);
  const int64_t signedValue = negative ? -magnitude : magnitude;
  return static_cast<int32_t>(std::clamp<int64_t>(signedValue, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = DecodeConfigText(std::string_view(reinterpret_cast<const char*>(data), size));
  const IniFile ini = IniFile::Parse(text);

  // Walks the lines again by the documented rules and asks for every key.
  std::optional<std::string> section;                  // name as written; none outside a usable section
  std::set<std::pair<std::string, std::string>> seen;  // lower-cased section and key
  for (size_t lineStart = 0; lineStart < text.size();) {
    size_t lineEnd = text.find('\n', lineStart);
    if (lineEnd == std::string::npos) lineEnd = text.size();
    const std::string_view line = Trim(std::string_view(text).substr(lineStart, lineEnd - lineStart));
    lineStart = lineEnd + 1;
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const size_t close = line.find(']');
      section.reset();
      if (close != std::string_view::npos) section = std::string(Trim(line.substr(1, close - 1)));
      continue;
    }
    const size_t equals = line.find('=');
    if (!section || equals == std::string_view::npos) continue;
    const std::string_view key = Trim(line.substr(0, equals));
    if (key.empty()) continue;

    const std::optional<std::string> found = ini.Find(*section, key);
    FUZZ_CHECK(found.has_value(), "key '" + std::string(key) + "' of [" + *section + "] not found");
    FUZZ_CHECK(found->find('\n') == std::string::npos, "value holds a line end");
    FUZZ_CHECK(ini.Find(AsciiUpper(*section), AsciiUpper(key)) == found, "letter case changed the lookup");
    if (seen.emplace(ToLowerWindows1252(*section), ToLowerWindows1252(key)).second) {
      FUZZ_CHECK(*found == ExpectedValue(line.substr(equals + 1)),
                 "key '" + std::string(key) + "' reads '" + *found + "', not its first line's value");
    }
    FUZZ_CHECK(ParseProfileInt(*found) == ExpectedProfileInt(*found),
               "'" + *found + "' read as another integer");
  }
  return 0;
}
