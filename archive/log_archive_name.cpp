// Archive name of a log file from its path and the date.
#include "archive/log_archive_name.h"

#include <cstdio>
#include <string_view>

namespace {

constexpr std::string_view kArchiveExtension = ".zip";
// Longest archive path, terminating zero included.
constexpr size_t kPathBufferBytes = 260;

struct SplitPath {
  std::string drive;
  std::string folder;
  std::string baseName;
  std::string extension;
};

SplitPath Split(std::string_view path) {
  SplitPath parts;
  if (path.size() >= 2 && path[1] == ':') {
    parts.drive = std::string(path.substr(0, 2));
    path.remove_prefix(2);
  }
  const size_t lastSeparator = path.find_last_of("\\/");
  if (lastSeparator != std::string_view::npos) {
    parts.folder = std::string(path.substr(0, lastSeparator + 1));
    path.remove_prefix(lastSeparator + 1);
  }
  const size_t lastDot = path.find_last_of('.');
  if (lastDot != std::string_view::npos) {
    parts.extension = std::string(path.substr(lastDot));
    path = path.substr(0, lastDot);
  }
  parts.baseName = std::string(path);
  return parts;
}

}  // namespace

std::optional<LogArchiveName> LogArchiveNameFor(const std::string& logFileName, const LocalTime& date) {
  const SplitPath log = Split(logFileName);
  char datePrefix[48];  // "YYYY-MM-DD_", room for any int fields
  std::snprintf(datePrefix, sizeof datePrefix, "%04d-%02d-%02d_", date.year, date.month, date.day);
  LogArchiveName name;
  name.archivePath = log.drive + log.folder + datePrefix + log.baseName + std::string(kArchiveExtension);
  if (name.archivePath.size() >= kPathBufferBytes) return std::nullopt;
  name.entryName = log.baseName + log.extension;
  return name;
}
