// A log's archives in its folder, and --keep-days: removing those older
// than the days to keep. Only this log's archives are ever touched (see
// day_file_names.h); the log itself, its closed files waiting for their
// archives and every other file stay.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "upkeep/day_file_names.h"

struct DayArchive {
  std::string path;  // in the log's folder
  DayTag tag;
  uint64_t sizeBytes = 0;
};

// This log's archives (regular files only), oldest first: by day, and
// within a day its pieces in order, then the archive of the whole day,
// which Stop writes last. Nothing, with errno set, when the folder cannot
// be read.
std::optional<std::vector<DayArchive>> ListDayArchives(const std::string& logPath);

// Which of archives --keep-days keepDays removes on today: those dated more
// than keepDays days before it, so that the archives of the last keepDays
// days stay (and today's). None when keepDays is 0.
std::vector<DayArchive> ArchivesPastKeepDays(const std::vector<DayArchive>& archives, const LocalDate& today,
                                             int keepDays);

struct RetentionResult {
  std::vector<std::string> removed;  // paths
  // "Cannot remove the old archive <path>: <reason>." for each that stays.
  std::vector<std::string> failureMessages;
};

// Removes the log's archives that --keep-days keepDays lets go on today.
RetentionResult ApplyKeepDays(const std::string& logPath, const LocalDate& today, int keepDays);
