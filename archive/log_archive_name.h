// Where Stop writes the archive of a log file, and the entry name inside it.
#pragma once

#include <optional>
#include <string>

#include "platform/local_time.h"

struct LogArchiveName {
  std::string archivePath;  // <drive><folder>YYYY-MM-DD_<base name>.zip
  std::string entryName;    // <base name><extension>: the log's own file name
};

// The archive of `logFileName` written on `date` (only its year, month and
// day count). The log's path is split into a drive (the first two
// characters when the second is a colon), a folder (from there to the last
// "\" or "/", included), an extension (from the last dot of the rest on, dot
// included) and the base name between. Nothing when the archive path with a
// terminating zero would not fit a 260-byte path buffer.
std::optional<LogArchiveName> LogArchiveNameFor(const std::string& logFileName, const LocalTime& date);
