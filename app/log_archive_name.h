// Where Stop writes the archive of a log file, and the entry name inside it.
#pragma once

#include <optional>
#include <string>

#include "platform/local_time.h"

// A log file's path split by the Windows rules: the drive is the first two
// characters when the second is a colon; the folder runs from there to the
// last "\" or "/" included; the extension is the rest from its last dot on,
// dot included; the base name lies between.
struct SplitPath {
  std::string drive;
  std::string folder;
  std::string baseName;
  std::string extension;
};

SplitPath SplitWindowsPath(const std::string& path);

struct LogArchiveName {
  std::string archivePath;  // <drive><folder>YYYY-MM-DD_<base name>.zip
  std::string entryName;    // <base name><extension>: the log's own file name
};

// The archive of `logFileName` written on `date` (only its year, month and
// day count). Nothing when the archive path would not fit the classic
// 260-byte path buffer with its terminating zero.
std::optional<LogArchiveName> LogArchiveNameFor(const std::string& logFileName, const LocalTime& date);
