// Windows-1252 mapping table and UTF-8 decoding.
#include "platform/windows1252.h"

#include <array>
#include <cstdint>

namespace {

constexpr unsigned char kFirstHighControlByte = 0x80;
constexpr unsigned char kLastHighControlByte = 0x9F;

// Code points of the bytes 0x80 to 0x9F; the undefined ones keep their number.
constexpr std::array<char32_t, 32> kHighControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

std::optional<char32_t> DecodeUtf8Char(std::string_view bytes, size_t& pos) {
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

bool IsValidUtf8(std::string_view bytes) {
  size_t pos = 0;
  while (pos < bytes.size()) {
    if (!DecodeUtf8Char(bytes, pos)) return false;
  }
  return true;
}

char32_t Windows1252ToCodePoint(unsigned char byte) {
  if (byte >= kFirstHighControlByte && byte <= kLastHighControlByte) {
    return kHighControlRange[byte - kFirstHighControlByte];
  }
  return byte;
}

int CodePointToWindows1252(char32_t codePoint) {
  if (codePoint < kFirstHighControlByte || (codePoint > kLastHighControlByte && codePoint <= 0xFF)) {
    return static_cast<int>(codePoint);
  }
  for (size_t i = 0; i < kHighControlRange.size(); ++i) {
    if (kHighControlRange[i] == codePoint) return static_cast<int>(kFirstHighControlByte + i);
  }
  return -1;
}
