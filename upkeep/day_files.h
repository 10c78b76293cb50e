// A log's closed day files on their way into archives: set aside under a
// hidden name at the switch, archived as Stop archives the log, then
// removed; and what a power cut or kill left of that way, finished at the
// next Start.
//
// The steps, in order, each surviving a cut at any moment:
// 1. the log writer flushes the log and renames it to its pending name
//    (SetDayFileAside), keeping it open (and locked) until step 3, and
//    opens a fresh log of the log's name for the next line;
// 2. the archive is written under a temporary name and renamed into place
//    (ArchiveDayFile, through the ZIP writer's whole-or-nothing file);
// 3. the pending file is removed.
// Cut before step 2 completes: the pending file and perhaps an abandoned
// temporary archive are left; RecoverDayFiles removes the temporary file
// and archives the pending file again. Cut between 2 and 3: the pending
// file is archived again, to the same archive.
#pragma once

#include <string>
#include <vector>

#include "archive/log_archive.h"
#include "upkeep/day_file_names.h"

// The tag of the next piece of date for a log cut by size: one more than
// the highest piece of that date among the log's archives and pending
// files, 1 for the first.
DayTag NextPieceTag(const std::string& logPath, const LocalDate& date);

// Renames the log to the pending name of tag and flushes the folder: step 1
// above, done by the writer that holds the log open and has flushed it.
// False, with errno set, when the rename failed (the log is then as it
// was).
bool SetDayFileAside(const std::string& logPath, const DayTag& tag);

// Writes the archive of the pending file of tag (the log's own file name as
// its entry) and then removes the pending file: steps 2 and 3. The result
// says why when the archive could not be written; the pending file then
// stays for the next try. progress follows the reading. Any thread.
LogArchiveResult ArchiveDayFile(const std::string& logPath, const DayTag& tag,
                                const ArchiveProgress& progress = {});

struct DayFileRecovery {
  std::vector<std::string> archivesWritten;  // paths
  // "Cannot write archive <path>: <reason>. ..." for each pending file that
  // still waits.
  std::vector<std::string> failureMessages;
};

// Finishes what a cut left of the way of the log's closed files: removes
// the abandoned temporary files of its archives (a live writer's are left
// alone) and archives every pending file. Called at Start once the log is
// open with its write lock, so that no other logger is rotating it, and
// before the first new line; it may take as long as the archives do.
DayFileRecovery RecoverDayFiles(const std::string& logPath);
