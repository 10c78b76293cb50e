// Formatting of record texts.
#include "link/record_text.h"

#include <charconv>

#include "link/frame_format.h"

void AppendRecordText(std::string& out, std::span<const int16_t> values) {
  const size_t start = out.size();
  out.resize(start + values.size() * plenx::frame::kMaxValueTextBytes);
  char* cursor = out.data() + start;
  char* const end = out.data() + out.size();
  for (const int16_t value : values) {
    cursor = std::to_chars(cursor, end, value).ptr;
    *cursor++ = ',';
  }
  out.resize(static_cast<size_t>(cursor - out.data()));
}

std::string FormatRecordText(std::span<const int16_t> values) {
  std::string text;
  AppendRecordText(text, values);
  return text;
}
