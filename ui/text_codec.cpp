// Windows-1252 and UTF-8 decoding at the Qt boundary.
#include "ui/text_codec.h"

#include <QFile>

#include "platform/windows1252.h"

QString TextToQt(std::string_view bytes) {
  if (IsValidUtf8(bytes)) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  }
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  for (char c : bytes) {
    text.append(QChar(static_cast<char16_t>(Windows1252ToCodePoint(static_cast<unsigned char>(c)))));
  }
  return text;
}

std::string TextFromQt(const QString& text) {
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(text.size()));
  for (QChar c : text) {
    const int byte = CodePointToWindows1252(c.unicode());
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
