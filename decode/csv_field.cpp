// RFC 4180 quoting and UTF-8 conversion of one CSV field.
#include "decode/csv_field.h"

#include <string_view>

#include "config/text_encoding.h"

void FinishCsvField(std::string& out, size_t start) {
  bool needsQuotes = false;
  bool ascii = true;
  for (size_t i = start; i < out.size(); ++i) {
    const char c = out[i];
    needsQuotes = needsQuotes || c == ',' || c == '"' || c == '\r' || c == '\n';
    ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  }
  if (!needsQuotes && ascii) return;

  const std::string text = out.substr(start);
  out.resize(start);
  std::string utf8;
  AppendWindows1252AsUtf8(text, utf8);
  if (!needsQuotes) {
    out += utf8;
    return;
  }
  out.push_back('"');
  for (const char c : utf8) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
}
