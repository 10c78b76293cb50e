// UTF-8 to Windows-1252 conversion and code-page case folding.
#include "config/text_encoding.h"

#include <cstdint>

namespace {

constexpr char kUnmappableByte = '?';

}  // namespace

std::string Utf8ToWindows1252(std::string_view utf8) {
  if (!IsValidUtf8(utf8)) return std::string(utf8);
  std::string result;
  result.reserve(utf8.size());
  size_t pos = 0;
  while (pos < utf8.size()) {
    const int byte = CodePointToWindows1252(*DecodeUtf8Char(utf8, pos));
    result.push_back(byte < 0 ? kUnmappableByte : static_cast<char>(byte));
  }
  return result;
}

void AppendWindows1252AsUtf8(std::string_view text, std::string& out) {
  for (const char byte : text) {
    const char32_t code = Windows1252ToCodePoint(static_cast<unsigned char>(byte));
    // Every code point of the code page lies below U+10000: one to three bytes.
    if (code < 0x80) {
      out.push_back(byte);
    } else if (code < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (code >> 6)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (code >> 12)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
}

void AppendShownTextAsUtf8(std::string_view text, std::string& out) {
  if (IsValidUtf8(text)) {
    out += text;
  } else {
    AppendWindows1252AsUtf8(text, out);
  }
}

char ToLowerWindows1252(char byte) {
  const auto value = static_cast<uint8_t>(byte);
  if (value >= 'A' && value <= 'Z') return static_cast<char>(value + 0x20);
  if (value >= 0xC0 && value <= 0xDE && value != 0xD7) return static_cast<char>(value + 0x20);
  switch (value) {
    case 0x8A:  // S caron
    case 0x8C:  // OE ligature
    case 0x8E:  // Z caron
      return static_cast<char>(value + 0x10);
    case 0x9F:  // Y diaeresis
      return static_cast<char>(0xFF);
    default:
      return byte;
  }
}

std::string ToLowerWindows1252(std::string_view text) {
  std::string result(text);
  for (char& byte : result) byte = ToLowerWindows1252(byte);
  return result;
}
