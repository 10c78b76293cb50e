// The names of a log's day files: the archive each closed day (or piece of
// a day) gets, the hidden name it waits under until that archive is whole,
// and reading both back from a folder's entries.
//
// A day's archive is named as Stop names the log's archive,
// "<folder>YYYY-MM-DD_<base name>.zip", dated with the day the file covers;
// a log cut by size gets pieces "YYYY-MM-DD.N_<base name>.zip" (N from 1),
// which Stop's names can never take, since they have "_" right after the
// date. A closed file waits for its archive as ".<log file name>.<tag>.day"
// beside the log.
#pragma once

#include <optional>
#include <string>

#include "archive/log_archive_name.h"
#include "upkeep/local_date.h"

// Which part of a log a closed file holds.
struct DayTag {
  LocalDate date;
  // 0 for the file of a whole day (or what Stop archived of it), 1, 2, ...
  // for the pieces of a day that a log cut by size has.
  int piece = 0;

  auto operator<=>(const DayTag&) const = default;
};

// "YYYY-MM-DD" or "YYYY-MM-DD.N".
std::string TagText(const DayTag& tag);

// The archive of the part tag of the log at logPath, and the entry name in
// it (the log's own file name). Nothing when the path would be too long for
// an archive name (see LogArchiveNameFor).
std::optional<LogArchiveName> DayArchiveName(const std::string& logPath, const DayTag& tag);

// Where the closed file of part tag waits for its archive.
std::string PendingDayFilePath(const std::string& logPath, const DayTag& tag);

// The tag of entryName (a name in the log's folder, without the folder)
// when it is one of this log's archives; nothing for any other name,
// another log's archives included.
std::optional<DayTag> ParseDayArchiveName(const std::string& entryName, const std::string& logPath);

// The tag of entryName when it is one of this log's closed files waiting
// for their archives.
std::optional<DayTag> ParsePendingDayFileName(const std::string& entryName, const std::string& logPath);
