// WTF-8 to and from 16-bit units.
#include "platform/wide_text.h"

#include <cstdint>
#include <optional>

#include "platform/windows1252.h"

namespace {

constexpr char32_t kFirstSurrogate = 0xD800;
constexpr char32_t kFirstLowSurrogate = 0xDC00;
constexpr char32_t kLastSurrogate = 0xDFFF;
constexpr char32_t kFirstSupplementary = 0x10000;
constexpr char32_t kLastCodePoint = 0x10FFFF;
constexpr int kSurrogateBits = 10;
constexpr char32_t kSurrogateMask = 0x3FF;

bool IsTrailByte(uint8_t byte) { return (byte & 0xC0) == 0x80; }

// The code point of the WTF-8 sequence at bytes[pos], advancing pos past it:
// UTF-8 that also admits the surrogates. nullopt (pos unchanged) when the
// sequence is malformed, overlong or cut short.
std::optional<char32_t> DecodeWtf8(std::string_view bytes, size_t& pos) {
  const auto lead = static_cast<uint8_t>(bytes[pos]);
  size_t trailCount = 0;
  char32_t codePoint = 0;
  char32_t smallest = 0;  // below this the form is overlong
  if (lead < 0x80) {
    ++pos;
    return lead;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
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
    smallest = kFirstSupplementary;
  } else {
    return std::nullopt;
  }
  if (bytes.size() - pos <= trailCount) return std::nullopt;
  for (size_t i = 1; i <= trailCount; ++i) {
    const auto trail = static_cast<uint8_t>(bytes[pos + i]);
    if (!IsTrailByte(trail)) return std::nullopt;
    codePoint = (codePoint << 6) | (trail & 0x3F);
  }
  if (codePoint < smallest || codePoint > kLastCodePoint) return std::nullopt;
  pos += trailCount + 1;
  return codePoint;
}

void AppendUtf8(std::string& out, char32_t codePoint) {
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | (codePoint >> 6));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < kFirstSupplementary) {
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (codePoint >> 18));
    out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

}  // namespace

std::string Wtf8FromUtf16(std::u16string_view units) {
  std::string out;
  out.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    char32_t codePoint = units[i];
    // A high surrogate followed by a low one is a pair; any other surrogate
    // stands alone and keeps its own number.
    if (codePoint >= kFirstSurrogate && codePoint < kFirstLowSurrogate && i + 1 < units.size() &&
        units[i + 1] >= kFirstLowSurrogate && units[i + 1] <= kLastSurrogate) {
      codePoint = kFirstSupplementary + (((codePoint & kSurrogateMask) << kSurrogateBits) |
                                         (static_cast<char32_t>(units[i + 1]) & kSurrogateMask));
      ++i;
    }
    AppendUtf8(out, codePoint);
  }
  return out;
}

std::u16string Utf16FromWtf8(std::string_view bytes) {
  std::u16string units;
  units.reserve(bytes.size());
  for (size_t pos = 0; pos < bytes.size();) {
    std::optional<char32_t> codePoint = DecodeWtf8(bytes, pos);
    if (!codePoint) codePoint = Windows1252ToCodePoint(static_cast<unsigned char>(bytes[pos++]));
    if (*codePoint >= kFirstSupplementary) {
      const char32_t offset = *codePoint - kFirstSupplementary;
      units += static_cast<char16_t>(kFirstSurrogate + (offset >> kSurrogateBits));
      units += static_cast<char16_t>(kFirstLowSurrogate + (offset & kSurrogateMask));
    } else {
      units += static_cast<char16_t>(*codePoint);
    }
  }
  return units;
}
