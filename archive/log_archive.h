// Stop's archive of the log file: one entry, put in place whole or not at all.
#pragma once

#include <string>

#include "archive/log_archive_name.h"
#include "archive/zip_writer.h"

struct LogArchiveResult {
  bool written = false;
  // Why the archive was not written, worded to follow
  // "Cannot write archive <path>: "; empty when it was written.
  std::string failureReason;
};

// Packs the log file at logPath into name.archivePath as its one entry
// name.entryName. The archive replaces an earlier file of that name only
// once it is complete and on disk; on any failure nothing of it is left and
// the earlier file stays as it was. progress follows the reading of the
// log. Any thread; blocks for as long as the compression takes.
LogArchiveResult WriteLogArchive(const LogArchiveName& name, const std::string& logPath,
                                 const ArchiveProgress& progress = {});
