// Archive name of a log file from its path and the date.
#include "app/log_archive_name.h"

#include <cstdio>

#include "ui/win_constants.h"

namespace {
constexpr std::string_view kArchiveExtension = ".zip";
}  // namespace

SplitPath SplitWindowsPath(const std::string& path) {
  SplitPath parts;
  std::string_view rest(path);
  if (rest.size() >= 2 && rest[1] == ':') {
    parts.drive = std::string(rest.substr(0, 2));
    rest.remove_prefix(2);
  }
  const size_t lastSeparator = rest.find_last_of("\\/");
  if (lastSeparator != std::string_view::npos) {
    parts.folder = std::string(rest.substr(0, lastSeparator + 1));
    rest.remove_prefix(lastSeparator + 1);
  }
  const size_t lastDot = rest.find_last_of('.');
  if (lastDot != std::string_view::npos) {
    parts.extension = std::string(rest.substr(lastDot));
    rest = rest.substr(0, lastDot);
  }
  parts.baseName = std::string(rest);
  return parts;
}

std::optional<LogArchiveName> LogArchiveNameFor(const std::string& logFileName, const LocalTime& date) {
  const SplitPath log = SplitWindowsPath(logFileName);
  char datePrefix[48];  // "YYYY-MM-DD_", room for any int fields
  std::snprintf(datePrefix, sizeof datePrefix, "%04d-%02d-%02d_", date.year, date.month, date.day);
  LogArchiveName name;
  name.archivePath = log.drive + log.folder + datePrefix + log.baseName + std::string(kArchiveExtension);
  if (name.archivePath.size() >= static_cast<size_t>(MAX_PATH)) return std::nullopt;
  name.entryName = log.baseName + log.extension;
  return name;
}
