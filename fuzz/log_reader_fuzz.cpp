// Any bytes as a log read back the way plenx-export reads it: the splitter
// hands out the same lines, numbered 1, 2, ... with one number per line end
// (and one for a last line without an end), whatever the pieces the bytes
// arrive in; no line is longer than kMaxLogLineBytes, and exactly the lines
// longer than that are marked, cut to their first kMaxLogLineBytes bytes.
// Every line ParseLogLine accepts is one a log writes: FormatLogLine of its
// time and record gives the line's bytes back (with its CR LF), and it holds
// a valid date and one or more "%d," values, as many as valueCount says.
// Every line it refuses is one an independent reading refuses too, with a
// reason of printable ASCII on one line.
//
// Input: piece count P (1 byte, P % 5: 0 feeds everything at once, else the
// bytes go in pieces cycling through the next P sizes, each 1 + a byte),
// filler (1 byte: one whose low four bits are 1 inserts kMaxLogLineBytes - 2
// + (byte >> 4) % 5 bytes 'x' at the offset of the next 2 bytes, making
// lines around the limit; rare, since such an input takes 1 MiB to check),
// then the log bytes.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "decode/log_line.h"
#include "decode/log_line_splitter.h"
#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/fuzz_input.h"

namespace {

constexpr size_t kMaxPieceSizes = 4;
constexpr size_t kFillerBelowLimit = 2;
constexpr size_t kFillerLengths = 5;
constexpr uint8_t kFillerMask = 0x0F;
constexpr uint8_t kFillerMark = 0x01;

struct SeenLine {
  uint64_t number;
  std::string text;
  bool overlong;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A log line by a reading of its own: stamp digits where the pattern has
// them, a calendar date, a clock time, the separator, then "-?digits,"
// repeated at least once. Counts the values.
bool IsLogLineByHand(std::string_view line, int& values) {
  if (line.ends_with('\r')) line.remove_suffix(1);
  constexpr std::string_view kPattern = "0000/00/00-00:00:00.000   -   ";
  if (line.size() < kPattern.size()) return false;
  for (size_t i = 0; i < kPattern.size(); ++i) {
    if (kPattern[i] == '0' ? !IsDigit(line[i]) : line[i] != kPattern[i]) return false;
  }
  const auto number = [&](size_t at, size_t count) { return std::stoi(std::string(line.substr(at, count))); };
  const std::chrono::year_month_day date{std::chrono::year(number(0, 4)),
                                         std::chrono::month(static_cast<unsigned>(number(5, 2))),
                                         std::chrono::day(static_cast<unsigned>(number(8, 2)))};
  if (!date.ok() || number(11, 2) > 23 || number(14, 2) > 59 || number(17, 2) > 60) return false;
  std::string_view record = line.substr(kPattern.size());
  values = 0;
  if (record.empty()) return false;
  while (!record.empty()) {
    const size_t comma = record.find(',');
    if (comma == std::string_view::npos) return false;
    std::string_view value = record.substr(0, comma);
    if (value.starts_with('-')) value.remove_prefix(1);
    if (value.empty()) return false;
    for (const char c : value) {
      if (!IsDigit(c)) return false;
    }
    ++values;
    record.remove_prefix(comma + 1);
  }
  return true;
}

void CheckParse(std::string_view line) {
  LogLine parsed;
  std::string reason;
  int valuesByHand = 0;
  const bool byHand = IsLogLineByHand(line, valuesByHand);
  if (ParseLogLine(line, parsed, reason)) {
    FUZZ_CHECK(byHand, "accepted a line that is not a log line");
    FUZZ_CHECK(parsed.valueCount == valuesByHand, "value count " + std::to_string(parsed.valueCount));
    FUZZ_CHECK(IsValidLocalTime(parsed.time), "accepted an invalid time");
    std::string_view body = line;
    if (body.ends_with('\r')) body.remove_suffix(1);
    FUZZ_CHECK(
        parsed.record.data() >= line.data() && parsed.record.data() + parsed.record.size() <= body.end(),
        "record is not a view into the line");
    FUZZ_CHECK(FormatLogLine(parsed.time, parsed.record) == std::string(body) + "\r\n",
               "the line does not re-format to its own bytes");
  } else {
    FUZZ_CHECK(!byHand, "refused a log line: " + reason);
    FUZZ_CHECK(!reason.empty(), "refused without a reason");
    for (const char c : reason) {
      FUZZ_CHECK(c >= 0x20 && c < 0x7F, "reason holds an unprintable byte: " + reason);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  std::vector<size_t> pieceSizes;
  const size_t pieceCount = input.Byte() % (kMaxPieceSizes + 1);
  for (size_t i = 0; i < pieceCount; ++i) pieceSizes.push_back(1 + size_t{input.Byte()});
  const uint8_t filler = input.Byte();
  const uint16_t fillerAt = input.U16();
  std::string bytes(input.Rest());
  if ((filler & kFillerMask) == kFillerMark) {
    const size_t length = kMaxLogLineBytes - kFillerBelowLimit + (filler >> 4) % kFillerLengths;
    bytes.insert(fillerAt % (bytes.size() + 1), length, 'x');
  }

  // The lines by a plain cut at every LF, the last one without its LF kept
  // when it is not empty.
  std::vector<std::string_view> expected;
  for (size_t start = 0; start < bytes.size();) {
    const size_t end = bytes.find('\n', start);
    if (end == std::string::npos) {
      expected.push_back(std::string_view(bytes).substr(start));
      break;
    }
    expected.push_back(std::string_view(bytes).substr(start, end - start));
    start = end + 1;
  }

  LogLineSplitter splitter;
  std::vector<SeenLine> seen;
  const auto onLine = [&](const TextLine& line) {
    FUZZ_CHECK(line.text.size() <= kMaxLogLineBytes,
               "line of " + std::to_string(line.text.size()) + " bytes");
    seen.push_back({line.number, std::string(line.text), line.overlong});
  };
  if (pieceSizes.empty()) {
    splitter.Feed(bytes, onLine);
  } else {
    std::string_view rest(bytes);
    for (size_t piece = 0; !rest.empty(); ++piece) {
      const size_t take = std::min(rest.size(), pieceSizes[piece % pieceSizes.size()]);
      splitter.Feed(rest.substr(0, take), onLine);
      rest.remove_prefix(take);
    }
  }
  splitter.Finish(onLine);

  FUZZ_CHECK(seen.size() == expected.size(),
             std::to_string(seen.size()) + " lines, not " + std::to_string(expected.size()));
  FUZZ_CHECK(splitter.LineCount() == seen.size(), "LineCount " + std::to_string(splitter.LineCount()));
  for (size_t i = 0; i < seen.size(); ++i) {
    const SeenLine& line = seen[i];
    const std::string_view whole = expected[i];
    FUZZ_CHECK(line.number == i + 1,
               "line " + std::to_string(i + 1) + " numbered " + std::to_string(line.number));
    FUZZ_CHECK(line.overlong == (whole.size() > kMaxLogLineBytes),
               "line " + std::to_string(i + 1) + " overlong mark");
    FUZZ_CHECK(line.text == whole.substr(0, kMaxLogLineBytes),
               "line " + std::to_string(i + 1) + " bytes differ");
    if (!line.overlong) CheckParse(line.text);
  }
  return 0;
}
