// UTF-8 validation, UTF-8 to Windows-1252 conversion and code-page case folding.
#include "config/text_encoding.h"

#include <array>
#include <cstdint>
#include <optional>

namespace {

constexpr char kUnmappableByte = '?';

// Unicode code points of Windows-1252 bytes 0x80..0x9F. 0 marks the five
// bytes the code page leaves undefined; Windows maps those to the C1
// control characters of the same number, and so does the conversion below.
constexpr std::array<char32_t, 32> kHighControlRange = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Decodes one UTF-8 sequence starting at bytes[pos]; advances pos past it.
// nullopt when the sequence is malformed (pos is then left unchanged).
std::optional<char32_t> DecodeOne(std::string_view bytes, size_t& pos) {
  const auto lead = static_cast<uint8_t>(bytes[pos]);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  size_t trailCount = 0;
  char32_t codePoint = 0;
  char32_t smallest = 0;  // below this the form is overlong
  if (lead >= 0xC2 && lead <= 0xDF) {
    trailCount = 1;
    codePoint = lead & 0x1F;
    smallest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    trailCount = 2;
    codePoint = lead & 0x0F;
    smallest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    trailCount = 3;
    codePoint = lead & 0x07;
    smallest = 0x10000;
  } else {
    return std::nullopt;
  }
  if (bytes.size() - pos <= trailCount) return std::nullopt;
  for (size_t i = 1; i <= trailCount; ++i) {
    const auto trail = static_cast<uint8_t>(bytes[pos + i]);
    if ((trail & 0xC0) != 0x80) return std::nullopt;
    codePoint = (codePoint << 6) | (trail & 0x3F);
  }
  if (codePoint < smallest || codePoint > 0x10FFFF) return std::nullopt;
  if (codePoint >= 0xD800 && codePoint <= 0xDFFF) return std::nullopt;
  pos += trailCount + 1;
  return codePoint;
}

char ToWindows1252(char32_t codePoint) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
    return static_cast<char>(codePoint);
  }
  if (codePoint >= 0x80 && codePoint <= 0x9F) {
    // A C1 control maps to its own byte only where the code page has no text.
    return kHighControlRange[codePoint - 0x80] == 0 ? static_cast<char>(codePoint)
                                                    : kUnmappableByte;
  }
  for (size_t i = 0; i < kHighControlRange.size(); ++i) {
    if (kHighControlRange[i] == codePoint) return static_cast<char>(0x80 + i);
  }
  return kUnmappableByte;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  size_t pos = 0;
  while (pos < bytes.size()) {
    if (!DecodeOne(bytes, pos)) return false;
  }
  return true;
}

std::string Utf8ToWindows1252(std::string_view utf8) {
  if (!IsValidUtf8(utf8)) return std::string(utf8);
  std::string result;
  result.reserve(utf8.size());
  size_t pos = 0;
  while (pos < utf8.size()) result.push_back(ToWindows1252(*DecodeOne(utf8, pos)));
  return result;
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
