// Record text splitting and strtol-style field values.
#include "decode/record_fields.h"

#include <limits>

int SplitRecord(std::string_view text, std::vector<std::string>& fields) {
  fields.clear();
  bool lastEndedAtComma = false;
  size_t start = 0;
  while (start < text.size()) {
    const size_t comma = text.find(',', start);
    const size_t end = comma == std::string_view::npos ? text.size() : comma;
    if (fields.size() >= static_cast<size_t>(kMaxRecordFields)) {
      break;  // the field just read is dropped and reading stops
    }
    fields.emplace_back(text.substr(start, end - start));
    lastEndedAtComma = comma != std::string_view::npos;
    start = end + 1;
  }
  // The trailing empty field needs room too: the array never passes the limit.
  if (lastEndedAtComma && fields.size() < static_cast<size_t>(kMaxRecordFields)) {
    fields.emplace_back();
  }
  return static_cast<int>(fields.size());
}

namespace {

// White space as the C locale's isspace sees it.
bool IsCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

int32_t FieldValue(std::string_view field) {
  size_t i = 0;
  while (i < field.size() && IsCSpace(field[i])) {
    ++i;
  }
  bool negative = false;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
    negative = field[i] == '-';
    ++i;
  }
  // Accumulated as a magnitude in 64 bits and capped just past the 32-bit
  // range, so long digit runs cannot overflow.
  constexpr int64_t kCap = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t magnitude = 0;
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (field[i] - '0');
    if (magnitude > kCap) {
      magnitude = kCap;
    }
  }
  if (negative) {
    return static_cast<int32_t>(-magnitude);  // kCap negated is INT32_MIN
  }
  return magnitude >= kCap ? std::numeric_limits<int32_t>::max() : static_cast<int32_t>(magnitude);
}
