// Record text splitting and strtol-style field values.
#include "decode/record_fields.h"

#include <limits>

namespace {

// White space as the C locale's isspace sees it.
bool IsCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Calls add(field) for every field of text in order, cut as SplitRecord
// describes, and returns how many there were.
template <typename Add>
int ForEachField(std::string_view text, Add&& add) {
  int count = 0;
  bool lastEndedAtComma = false;
  const char* next = text.data();
  const char* const end = next + text.size();
  while (next < end) {
    // Fields are a few characters long: a plain scan beats a memchr call.
    const char* fieldEnd = next;
    while (fieldEnd < end && *fieldEnd != ',') ++fieldEnd;
    if (count >= kMaxRecordFields) {
      break;  // the field just read is dropped and reading stops
    }
    add(std::string_view(next, static_cast<size_t>(fieldEnd - next)));
    ++count;
    lastEndedAtComma = fieldEnd < end;
    next = fieldEnd + 1;
  }
  // The trailing empty field needs room too: the array never passes the limit.
  if (lastEndedAtComma && count < kMaxRecordFields) {
    add(std::string_view());
    ++count;
  }
  return count;
}

}  // namespace

int SplitRecord(std::string_view text, std::vector<std::string>& fields) {
  fields.clear();
  return ForEachField(text, [&fields](std::string_view field) { fields.emplace_back(field); });
}

int RecordFieldValues(std::string_view text, std::vector<int32_t>& values) {
  values.clear();
  // The fields are cut as in ForEachField, but each one is read while it is
  // scanned: a field as the link writes it, an optional minus and up to nine
  // digits (so no overflow) before its comma, is read here; any other field
  // is scanned to its comma and read by FieldValue.
  constexpr int kFastDigitsMax = 9;
  bool lastEndedAtComma = false;
  const char* next = text.data();
  const char* const end = next + text.size();
  while (next < end) {
    if (values.size() >= static_cast<size_t>(kMaxRecordFields)) {
      break;  // the field just read is dropped and reading stops
    }
    const char* scan = next;
    const bool negative = *scan == '-';
    if (negative) ++scan;
    const char* const digitsEnd = end - scan > kFastDigitsMax ? scan + kFastDigitsMax : end;
    const char* const digits = scan;
    int32_t magnitude = 0;
    while (scan < digitsEnd && *scan >= '0' && *scan <= '9') {
      magnitude = magnitude * 10 + (*scan - '0');
      ++scan;
    }
    if (scan > digits && (scan == end || *scan == ',')) {
      values.push_back(negative ? -magnitude : magnitude);
    } else {
      while (scan < end && *scan != ',') ++scan;
      values.push_back(FieldValue(std::string_view(next, static_cast<size_t>(scan - next))));
    }
    lastEndedAtComma = scan < end;
    next = scan + 1;
  }
  if (lastEndedAtComma && values.size() < static_cast<size_t>(kMaxRecordFields)) {
    values.push_back(0);  // the empty field after the last comma
  }
  return static_cast<int>(values.size());
}

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
