// Windows-1252 and UTF-8 decoding at the Qt boundary.
#include "ui/text_codec.h"

#include <QFile>
#include <array>
#include <cstdint>

namespace {

// Unicode code points of the Windows-1252 bytes 0x80 to 0x9F; the undefined
// bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D keep their own number.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr unsigned char kFirstHighControlByte = 0x80;
constexpr unsigned char kLastHighControlByte = 0x9F;

// Byte for `unit` in Windows-1252, or -1 when it has none.
int Cp1252Byte(char16_t unit) {
  if (unit < kFirstHighControlByte || (unit > kLastHighControlByte && unit <= 0xFF)) {
    return unit;
  }
  for (std::size_t i = 0; i < kCp1252High.size(); ++i) {
    if (kCp1252High[i] == unit) return static_cast<int>(kFirstHighControlByte + i);
  }
  return -1;
}

bool IsWellFormedUtf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<std::uint8_t>(bytes[i]);
    int continuation = 0;
    std::uint32_t codePoint = 0;
    std::uint32_t minimum = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      continuation = 1;
      codePoint = lead & 0x1F;
      minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      continuation = 2;
      codePoint = lead & 0x0F;
      minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      continuation = 3;
      codePoint = lead & 0x07;
      minimum = 0x10000;
    } else {
      return false;
    }
    if (bytes.size() - i <= static_cast<std::size_t>(continuation)) return false;
    for (int k = 1; k <= continuation; ++k) {
      const auto next = static_cast<std::uint8_t>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      codePoint = (codePoint << 6) | (next & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
      return false;
    }
    i += continuation + 1;
  }
  return true;
}

}  // namespace

QString TextToQt(std::string_view bytes) {
  if (IsWellFormedUtf8(bytes)) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  }
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= kFirstHighControlByte && byte <= kLastHighControlByte) {
      text.append(QChar(kCp1252High[byte - kFirstHighControlByte]));
    } else {
      text.append(QChar(static_cast<char16_t>(byte)));
    }
  }
  return text;
}

std::string TextFromQt(const QString& text) {
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(text.size()));
  for (QChar c : text) {
    const int byte = Cp1252Byte(c.unicode());
    if (byte < 0) {
      const QByteArray utf8 = text.toUtf8();
      return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    }
    bytes.push_back(static_cast<char>(byte));
  }
  return bytes;
}

std::string PathFromQt(const QString& path) {
  const QByteArray encoded = QFile::encodeName(path);
  return std::string(encoded.constData(), static_cast<std::size_t>(encoded.size()));
}
