// Parsing of plenx-decode's arguments: the value count, by layout or directly.
#include "tools/plenx-decode/decode_options.h"

#include <charconv>
#include <cstdio>
#include <string_view>

namespace {

// Default record layout: 69 status values and 4 units of 40 values.
constexpr long long kDefaultValueCount = 69 + 4 * 40;
// A bound far above any real layout, so a typo cannot ask for gigabytes.
constexpr long long kMaxValueCount = 1'000'000;

bool ParseCount(std::string_view text, long long& count) {
  const char* end = text.data() + text.size();
  auto [ptr, error] = std::from_chars(text.data(), end, count);
  return error == std::errc() && ptr == end && count >= 0 && count <= kMaxValueCount;
}

// "S,N,A" to S + N x A.
bool ParseLayout(std::string_view text, long long& valueCount) {
  long long parts[3];
  for (int i = 0; i < 3; ++i) {
    const size_t comma = i < 2 ? text.find(',') : text.size();
    if (comma == std::string_view::npos || !ParseCount(text.substr(0, comma), parts[i])) {
      return false;
    }
    text.remove_prefix(i < 2 ? comma + 1 : comma);
  }
  valueCount = parts[0] + parts[1] * parts[2];
  return true;
}

std::nullopt_t Refuse(const char* reason, std::string_view arg) {
  std::fprintf(stderr, "plenx-decode: %s: %.*s\n", reason, static_cast<int>(arg.size()), arg.data());
  return std::nullopt;
}

}  // namespace

const char* DecodeUsage() {
  return "usage: plenx-decode [--layout S,N,A | --values N] [FILE|-]\n"
         "Decodes a raw capture of the control board's serial line and prints one\n"
         "line per valid frame: the unit index, a tab and the record text.\n"
         "  --layout S,N,A  values per frame S + N x A (default 69,4,40: 229 values)\n"
         "  --values N      values per frame\n"
         "  FILE            the capture; standard input when absent or -\n";
}

std::optional<DecodeOptions> ParseDecodeOptions(int argc, char** argv) {
  DecodeOptions options;
  long long valueCount = kDefaultValueCount;
  bool countGiven = false;
  bool inputGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--layout" || arg == "--values") {
      if (countGiven) {
        return Refuse("give either --layout or --values, once", arg);
      }
      if (i + 1 >= argc) {
        return Refuse("missing value after", arg);
      }
      const std::string_view value = argv[++i];
      const bool parsed = arg == "--layout" ? ParseLayout(value, valueCount) : ParseCount(value, valueCount);
      if (!parsed) {
        return Refuse(arg == "--layout" ? "not a layout S,N,A" : "not a value count", value);
      }
      countGiven = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Refuse("unknown option", arg);
    } else if (inputGiven) {
      return Refuse("only one capture file may be given", arg);
    } else {
      options.input = arg;
      inputGiven = true;
    }
  }
  if (valueCount < 1 || valueCount > kMaxValueCount) {
    return Refuse("values per frame must be 1 to 1000000, got", std::to_string(valueCount));
  }
  options.valueCount = static_cast<int>(valueCount);
  return options;
}
