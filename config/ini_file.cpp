// INI parsing, value lookup and reading of the configuration file.
#include "config/ini_file.h"

#include <cerrno>
#include <limits>

#include "config/text_encoding.h"
#include "platform/file_status.h"
#include "platform/posix_io.h"

namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

std::string_view StripMatchingQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace

IniFile IniFile::Parse(std::string_view text) {
  IniFile ini;
  Keys* section = nullptr;  // null while outside any usable section
  size_t lineStart = 0;
  while (lineStart < text.size()) {
    size_t lineEnd = text.find('\n', lineStart);
    if (lineEnd == std::string_view::npos) lineEnd = text.size();
    const std::string_view line = Trim(text.substr(lineStart, lineEnd - lineStart));
    lineStart = lineEnd + 1;

    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const size_t close = line.find(']');
      section = close == std::string_view::npos
                    ? nullptr
                    : &ini.m_sections[ToLowerWindows1252(Trim(line.substr(1, close - 1)))];
      continue;
    }
    const size_t equals = line.find('=');
    if (section == nullptr || equals == std::string_view::npos) continue;
    const std::string_view key = Trim(line.substr(0, equals));
    if (key.empty()) continue;
    // try_emplace keeps the first value of a repeated key.
    section->try_emplace(ToLowerWindows1252(key), StripMatchingQuotes(Trim(line.substr(equals + 1))));
  }
  return ini;
}

std::optional<std::string> IniFile::Find(std::string_view section, std::string_view key) const {
  const auto sectionIt = m_sections.find(ToLowerWindows1252(section));
  if (sectionIt == m_sections.end()) return std::nullopt;
  const auto keyIt = sectionIt->second.find(ToLowerWindows1252(key));
  if (keyIt == sectionIt->second.end()) return std::nullopt;
  return keyIt->second;
}

std::optional<int32_t> ParseProfileInt(std::string_view value) {
  size_t pos = 0;
  bool negative = false;
  if (pos < value.size() && (value[pos] == '+' || value[pos] == '-')) {
    negative = value[pos] == '-';
    ++pos;
  }
  if (pos >= value.size() || value[pos] < '0' || value[pos] > '9') return std::nullopt;
  // Accumulate towards the sign's end so that INT32_MIN is reachable.
  constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
  constexpr int64_t kMin = std::numeric_limits<int32_t>::min();
  int64_t magnitude = 0;
  for (; pos < value.size() && value[pos] >= '0' && value[pos] <= '9'; ++pos) {
    magnitude = magnitude * 10 + (value[pos] - '0');
    if (magnitude > kMax + 1) magnitude = kMax + 1;  // saturated; stays bounded
  }
  const int64_t result = negative ? -magnitude : magnitude;
  if (result > kMax) return static_cast<int32_t>(kMax);
  if (result < kMin) return static_cast<int32_t>(kMin);
  return static_cast<int32_t>(result);
}

std::string DecodeConfigText(std::string_view bytes) {
  if (bytes.starts_with(kUtf8ByteOrderMark)) bytes.remove_prefix(kUtf8ByteOrderMark.size());
  return Utf8ToWindows1252(bytes);  // unchanged when not well-formed UTF-8
}

IniReadResult ReadIniFile(const std::string& path) {
  IniReadResult result;
  const int fd = OpenForReading(path, ReadOpenMode::kNeverWait);
  if (fd < 0) {
    // A file that is there but cannot be opened (no permission) is not the
    // same as no file: the user expects its settings and must hear why not.
    if (errno != ENOENT && errno != ENOTDIR) {
      result.status = IniReadStatus::kUnreadable;
      result.error = errno;
    }
    return result;
  }

  FileStatus info;
  std::optional<std::string> bytes;
  // Only a regular file: a FIFO or a device could block or never end.
  if (ReadFileStatus(fd, path, info) && info.isRegularFile) {
    if (info.sizeBytes > static_cast<uint64_t>(kMaxConfigFileBytes)) {
      result.status = IniReadStatus::kTooLarge;
    } else {
      // One byte more than allowed shows a file that grew while being read.
      bytes = ReadToEnd(fd, static_cast<size_t>(kMaxConfigFileBytes) + 1);
      if (!bytes) {
        result.status = IniReadStatus::kUnreadable;
        result.error = errno;
      }
    }
  }
  CloseFile(fd);
  if (!bytes) return result;
  if (static_cast<int64_t>(bytes->size()) > kMaxConfigFileBytes) {
    result.status = IniReadStatus::kTooLarge;  // grew while being read
    return result;
  }
  result.status = IniReadStatus::kRead;
  result.file = IniFile::Parse(DecodeConfigText(*bytes));
  return result;
}
