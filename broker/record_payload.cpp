// The payload of plenx/<site>/record.
#include "broker/record_payload.h"

#include <charconv>

namespace {

constexpr std::string_view kSeqKey = "seq=";
constexpr std::string_view kRunKey = "run=";
constexpr std::string_view kLogKey = "log=";
constexpr char kHeaderEnd = '\n';

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
         c == '~' || c == '-';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string PercentEncoded(std::string_view bytes) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  std::string text;
  for (const char byte : bytes) {
    const auto c = static_cast<unsigned char>(byte);
    if (IsUnreserved(c)) {
      text += byte;
    } else {
      text += '%';
      text += kHexDigits[c >> 4];
      text += kHexDigits[c & 0x0F];
    }
  }
  return text;
}

std::optional<std::string> PercentDecoded(std::string_view text) {
  std::string bytes;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      bytes += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int high = HexValue(text[i + 1]);
    const int low = HexValue(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return bytes;
}

std::string FormatRecordPayload(const RecordPayload& record) {
  std::string payload;
  payload.reserve(64 + record.run.size() + record.logName.size() + record.line.size());
  payload += kSeqKey;
  payload += std::to_string(record.seq);
  payload += ' ';
  payload += kRunKey;
  payload += record.run;
  payload += ' ';
  payload += kLogKey;
  payload += PercentEncoded(record.logName);
  payload += kHeaderEnd;
  payload += record.line;
  return payload;
}

std::optional<RecordPayload> ParseRecordPayload(std::string_view payload) {
  const size_t headerEnd = payload.find(kHeaderEnd);
  if (headerEnd == std::string_view::npos) return std::nullopt;
  std::string_view header = payload.substr(0, headerEnd);
  RecordPayload record;
  bool haveLog = false;
  while (!header.empty()) {
    const size_t space = header.find(' ');
    const std::string_view member = header.substr(0, space);
    header = space == std::string_view::npos ? std::string_view() : header.substr(space + 1);
    if (member.starts_with(kSeqKey)) {
      const std::string_view digits = member.substr(kSeqKey.size());
      const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), record.seq);
      if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    } else if (member.starts_with(kRunKey)) {
      record.run = std::string(member.substr(kRunKey.size()));
    } else if (member.starts_with(kLogKey)) {
      std::optional<std::string> name = PercentDecoded(member.substr(kLogKey.size()));
      if (!name) return std::nullopt;
      record.logName = std::move(*name);
      haveLog = true;
    }
  }
  if (record.seq == 0 || record.run.empty() || !haveLog) return std::nullopt;
  record.line = std::string(payload.substr(headerEnd + 1));
  return record;
}
