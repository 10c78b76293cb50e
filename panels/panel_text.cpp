// Conversions of core texts and numbers for the plain Qt windows.
#include "panels/panel_text.h"

#include <QFile>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "decode/time_stamp.h"
#include "platform/windows1252.h"

namespace {

// Longest shortest-form text of a float, with room to spare.
constexpr size_t kMaxFloatTextBytes = 32;

}  // namespace

QString Windows1252ToQt(std::string_view text) {
  QString out;
  out.reserve(static_cast<qsizetype>(text.size()));
  for (const char byte : text) {
    out += QChar(static_cast<char16_t>(Windows1252ToCodePoint(static_cast<unsigned char>(byte))));
  }
  return out;
}

std::string PathBytes(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString TrendValueText(float value, ValueQuantity quantity) {
  if (std::isnan(value)) return QStringLiteral("-");
  char number[kMaxFloatTextBytes];
  const auto result = std::to_chars(number, number + sizeof number, value);
  QString text = QString::fromLatin1(number, static_cast<qsizetype>(result.ptr - number));
  if (quantity == ValueQuantity::kFahrenheit) text += QStringLiteral(" \u00B0F");
  if (quantity == ValueQuantity::kPercent) text += QStringLiteral(" %");
  return text;
}

QString TrendTimeText(int64_t timeMs) {
  const LocalTime time = WallClockTime(timeMs);
  char text[80];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", time.year, time.month, time.day,
                time.hour, time.minute, time.second);
  return QString::fromLatin1(text);
}
