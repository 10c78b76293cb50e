// JSON strings and numbers.
#include "decode/json_text.h"

#include <charconv>
#include <cmath>

#include "config/text_encoding.h"

void AppendJsonString(std::string_view utf8, std::string& out) {
  static constexpr char kHexDigits[] = "0123456789abcdef";
  out += '"';
  char previous = 0;
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '/' && previous == '<') {
      out += "\\/";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      out += "\\u00";
      out += kHexDigits[byte >> 4];
      out += kHexDigits[byte & 0xF];
    } else {
      out += c;
    }
    previous = c;
  }
  out += '"';
}

void AppendJsonShownText(std::string_view text, std::string& out) {
  std::string utf8;
  AppendShownTextAsUtf8(text, utf8);
  AppendJsonString(utf8, out);
}

void AppendJsonNumber(double value, std::string& out) {
  if (!std::isfinite(value)) {
    out += "null";
    return;
  }
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

void AppendJsonInteger(int64_t value, std::string& out) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}
