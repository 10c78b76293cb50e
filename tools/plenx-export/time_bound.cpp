// Parsing of the --from and --to times.
#include "tools/plenx-export/time_bound.h"

#include "decode/log_line.h"

namespace {

// The latest time of a day, to fill the parts a --to time leaves out.
constexpr int kLastHour = 23;
constexpr int kLastMinute = 59;
constexpr int kLastSecond = 59;
constexpr int kLastMillisecond = 999;
constexpr size_t kMaxFractionDigits = 3;
// Longest span accepted, in milliseconds: far beyond any log, far below
// what the arithmetic on time stamps could overflow with.
constexpr int64_t kMaxDurationMs = int64_t{100} * 366 * 24 * 3600 * 1000;

// Milliseconds of a duration unit; 0 for none known.
int64_t UnitMs(std::string_view unit) {
  if (unit == "h") return 3600 * 1000;
  if (unit == "m") return 60 * 1000;
  if (unit == "s") return 1000;
  if (unit == "ms") return 1;
  return 0;
}

// Reads exactly count digits at text[pos] into value and steps over them.
bool ReadDigits(std::string_view text, size_t& pos, size_t count, int& value) {
  if (text.size() - pos < count) return false;
  value = 0;
  for (size_t end = pos + count; pos < end; ++pos) {
    if (text[pos] < '0' || text[pos] > '9') return false;
    value = value * 10 + (text[pos] - '0');
  }
  return true;
}

bool Consume(std::string_view text, size_t& pos, char expected) {
  if (pos >= text.size() || text[pos] != expected) return false;
  ++pos;
  return true;
}

}  // namespace

std::optional<LocalTime> ParseTimeBound(std::string_view text, BoundSide side, std::string& error) {
  // Filled in advance with what the parts left out stand for.
  const bool latest = side == BoundSide::kTo;
  LocalTime time{.hour = latest ? kLastHour : 0,
                 .minute = latest ? kLastMinute : 0,
                 .second = latest ? kLastSecond : 0,
                 .milliseconds = latest ? kLastMillisecond : 0};
  const std::string quoted = "\"" + std::string(text) + "\"";
  error = quoted + " is not a date (YYYY-MM-DD) or a date and time (YYYY-MM-DDThh:mm[:ss[.mmm]])";

  size_t pos = 0;
  if (!ReadDigits(text, pos, 4, time.year)) return std::nullopt;
  const char dateSeparator = pos < text.size() ? text[pos] : '\0';
  if (dateSeparator != '-' && dateSeparator != '/') return std::nullopt;
  ++pos;
  if (!ReadDigits(text, pos, 2, time.month) || !Consume(text, pos, dateSeparator) ||
      !ReadDigits(text, pos, 2, time.day)) {
    return std::nullopt;
  }
  if (pos < text.size()) {
    const char timeSeparator = text[pos++];
    if (timeSeparator != 'T' && timeSeparator != ' ' && timeSeparator != '-') return std::nullopt;
    if (!ReadDigits(text, pos, 2, time.hour) || !Consume(text, pos, ':') ||
        !ReadDigits(text, pos, 2, time.minute)) {
      return std::nullopt;
    }
    if (Consume(text, pos, ':')) {
      if (!ReadDigits(text, pos, 2, time.second)) return std::nullopt;
      if (Consume(text, pos, '.')) {
        // ".5" is 500 ms: the digits are tenths, hundredths, thousandths.
        size_t digits = 0;
        time.milliseconds = 0;
        for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos, ++digits) {
          if (digits == kMaxFractionDigits) {
            error = quoted + " has more than three decimals; the log counts milliseconds";
            return std::nullopt;
          }
          time.milliseconds = time.milliseconds * 10 + (text[pos] - '0');
        }
        if (digits == 0) return std::nullopt;
        for (; digits < kMaxFractionDigits; ++digits) time.milliseconds *= 10;
      }
    }
  }
  if (pos < text.size()) {
    if (text[pos] == 'Z' || text[pos] == 'z' || text[pos] == '+' || text[pos] == '-') {
      error =
          quoted + " has a time zone; the log's times are local times without one, give the time as logged";
    }
    return std::nullopt;
  }
  if (!IsValidLocalTime(time)) {
    error = quoted + " is no date or time a clock shows";
    return std::nullopt;
  }
  error.clear();
  return time;
}

std::optional<int64_t> ParseDurationMs(std::string_view text, std::string& error) {
  error = "\"" + std::string(text) + "\" is not a span of time such as 2m, 30s, 1m30s or 500ms";
  int64_t totalMs = 0;
  size_t pos = 0;
  if (text.empty()) return std::nullopt;
  while (pos < text.size()) {
    int64_t number = 0;
    const size_t digitsStart = pos;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
      number = number * 10 + (text[pos] - '0');
      if (number > kMaxDurationMs) return std::nullopt;
    }
    if (pos == digitsStart) return std::nullopt;
    const size_t unitStart = pos;
    while (pos < text.size() && (text[pos] < '0' || text[pos] > '9')) ++pos;
    const std::string_view unit = text.substr(unitStart, pos - unitStart);
    // A bare number, alone, is seconds.
    const int64_t unitMs = unit.empty() && digitsStart == 0 ? UnitMs("s") : UnitMs(unit);
    if (unitMs == 0) return std::nullopt;
    totalMs += number * unitMs;
    if (totalMs > kMaxDurationMs) return std::nullopt;
  }
  error.clear();
  return totalMs;
}
