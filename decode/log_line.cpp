// Log lines written, and read back: the time stamp checked field by field,
// the record text checked value by value.
#include "decode/log_line.h"

#include <cstdio>

namespace {

// Longest time stamp with separator even for out-of-range fields (7 ints).
constexpr size_t kLineHeadBufferBytes = 128;
constexpr std::string_view kLineEnd = "\r\n";

// "YYYY/MM/DD-hh:mm:ss.mmm": a digit wherever the pattern has a letter.
constexpr std::string_view kTimeStampPattern = "YYYY/MM/DD-hh:mm:ss.mmm";
constexpr std::string_view kDigitLetters = "YMDhms";
constexpr int kMonthsPerYear = 12;
constexpr int kLastHour = 23;
constexpr int kLastMinute = 59;
constexpr int kLastSecond = 60;  // a leap second
constexpr int kLastMillisecond = 999;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The number written by the digits text[start] to text[start + count - 1].
int DigitsValue(std::string_view text, size_t start, size_t count) {
  int value = 0;
  for (size_t i = start; i < start + count; ++i) value = value * 10 + (text[i] - '0');
  return value;
}

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  constexpr int kDays[kMonthsPerYear] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// A byte as a person can read it in a message: 'x' when printable ASCII,
// otherwise its code, "byte 0x0D".
std::string Shown(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte >= 0x20 && byte < 0x7F) return std::string("'") + c + "'";
  constexpr char kHex[] = "0123456789ABCDEF";
  return std::string("byte 0x") + kHex[byte >> 4] + kHex[byte & 0xF];
}

// Checks the record text, which starts at column start + 1 of the line, and
// counts its values; false with reason set when it is not "%d," repeated.
bool CheckRecord(std::string_view record, size_t start, int& valueCount, std::string& reason) {
  valueCount = 0;
  size_t i = 0;
  while (i < record.size()) {
    const size_t valueStart = i;
    if (record[i] == '-') ++i;
    const size_t digitsStart = i;
    while (i < record.size() && IsDigit(record[i])) ++i;
    if (i == digitsStart) {
      const size_t at = i < record.size() ? i : valueStart;
      reason = i < record.size() ? Shown(record[i]) + " where a value belongs, at column "
                                 : std::string("a lone '-' at the end, at column ");
      reason += std::to_string(start + at + 1);
      return false;
    }
    if (i == record.size()) {
      reason = "the record ends without its last comma (cut short?)";
      return false;
    }
    if (record[i] != ',') {
      reason = Shown(record[i]) + " in a value, at column " + std::to_string(start + i + 1);
      return false;
    }
    ++i;
    ++valueCount;
  }
  return true;
}

}  // namespace

bool IsValidLocalTime(const LocalTime& time) {
  return time.month >= 1 && time.month <= kMonthsPerYear && time.day >= 1 &&
         time.day <= DaysInMonth(time.year, time.month) && time.hour >= 0 && time.hour <= kLastHour &&
         time.minute >= 0 && time.minute <= kLastMinute && time.second >= 0 && time.second <= kLastSecond &&
         time.milliseconds >= 0 && time.milliseconds <= kLastMillisecond;
}

bool ParseLogLine(std::string_view line, LogLine& parsed, std::string& reason) {
  if (line.ends_with('\r')) line.remove_suffix(1);
  if (line.empty()) {
    reason = "empty line";
    return false;
  }
  bool stampMatches = line.size() >= kTimeStampPattern.size();
  for (size_t i = 0; stampMatches && i < kTimeStampPattern.size(); ++i) {
    const char expected = kTimeStampPattern[i];
    const bool wantsDigit = kDigitLetters.find(expected) != std::string_view::npos;
    stampMatches = wantsDigit ? IsDigit(line[i]) : line[i] == expected;
  }
  if (!stampMatches) {
    reason = "no time stamp " + std::string(kTimeStampPattern) + " at the start";
    return false;
  }
  LocalTime& time = parsed.time;
  time.year = DigitsValue(line, 0, 4);
  time.month = DigitsValue(line, 5, 2);
  time.day = DigitsValue(line, 8, 2);
  time.hour = DigitsValue(line, 11, 2);
  time.minute = DigitsValue(line, 14, 2);
  time.second = DigitsValue(line, 17, 2);
  time.milliseconds = DigitsValue(line, 20, 3);
  if (!IsValidLocalTime(time)) {
    reason = "no such date or time: " + std::string(line.substr(0, kTimeStampPattern.size()));
    return false;
  }
  const std::string_view rest = line.substr(kTimeStampPattern.size());
  if (!rest.starts_with(kLogLineSeparator)) {
    reason = "no \"" + std::string(kLogLineSeparator) + "\" after the time stamp";
    return false;
  }
  const size_t recordStart = kTimeStampPattern.size() + kLogLineSeparator.size();
  parsed.record = line.substr(recordStart);
  if (parsed.record.empty()) {
    reason = "no values after the time stamp";
    return false;
  }
  return CheckRecord(parsed.record, recordStart, parsed.valueCount, reason);
}

std::string FormatLogLine(const LocalTime& time, std::string_view recordText) {
  char head[kLineHeadBufferBytes];
  const int headBytes =
      std::snprintf(head, sizeof head, "%04d/%02d/%02d-%02d:%02d:%02d.%03d   -   ", time.year, time.month,
                    time.day, time.hour, time.minute, time.second, time.milliseconds);
  std::string line(head, static_cast<size_t>(headBytes));
  line.reserve(line.size() + recordText.size() + kLineEnd.size());
  line += recordText;
  line += kLineEnd;
  return line;
}
