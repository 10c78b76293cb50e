// Closed day files: set aside, archived, recovered after a cut.
#include "upkeep/day_files.h"

#include <algorithm>
#include <set>

#include "platform/folder_files.h"
#include "platform/full_path.h"
#include "platform/replacing_file.h"

DayTag NextPieceTag(const std::string& logPath, const LocalDate& date) {
  int highest = 0;
  const std::optional<std::vector<FolderEntry>> entries = ListFolder(FolderOf(logPath));
  if (entries) {
    for (const FolderEntry& entry : *entries) {
      std::optional<DayTag> tag = ParseDayArchiveName(entry.name, logPath);
      if (!tag) tag = ParsePendingDayFileName(entry.name, logPath);
      if (tag && tag->date == date) highest = std::max(highest, tag->piece);
    }
  }
  return DayTag{date, highest + 1};
}

bool SetDayFileAside(const std::string& logPath, const DayTag& tag) {
  return RenameInFolder(logPath, PendingDayFilePath(logPath, tag));
}

LogArchiveResult ArchiveDayFile(const std::string& logPath, const DayTag& tag,
                                const ArchiveProgress& progress) {
  const std::optional<LogArchiveName> name = DayArchiveName(logPath, tag);
  if (!name) return {false, "the archive's path would be too long"};
  const std::string pending = PendingDayFilePath(logPath, tag);
  LogArchiveResult result = WriteLogArchive(*name, pending, progress);
  // Once the archive is in place, the pending file is only a copy; one that
  // stays is archived again, to the same archive, at the next Start.
  if (result.written) RemoveFile(pending);
  return result;
}

DayFileRecovery RecoverDayFiles(const std::string& logPath) {
  DayFileRecovery recovery;
  const std::string folder = FolderOf(logPath);
  const std::optional<std::vector<FolderEntry>> entries = ListFolder(folder);
  if (!entries) return recovery;
  std::set<std::string> archivesWithTemporaries;
  std::vector<DayTag> pending;
  for (const FolderEntry& entry : *entries) {
    std::string finalName;
    if (IsReplacingFileTemporaryName(entry.name, finalName) && ParseDayArchiveName(finalName, logPath)) {
      archivesWithTemporaries.insert(folder + "/" + finalName);
    } else if (const std::optional<DayTag> tag = ParsePendingDayFileName(entry.name, logPath)) {
      if (entry.isRegularFile) pending.push_back(*tag);
    }
  }
  for (const std::string& archive : archivesWithTemporaries) RemoveAbandonedTemporaryFiles(archive);
  std::sort(pending.begin(), pending.end());
  for (const DayTag& tag : pending) {
    const LogArchiveResult result = ArchiveDayFile(logPath, tag);
    const std::optional<LogArchiveName> name = DayArchiveName(logPath, tag);
    const std::string archivePath = name ? FullPath(name->archivePath) : TagText(tag);
    if (result.written) {
      recovery.archivesWritten.push_back(name->archivePath);
    } else {
      recovery.failureMessages.push_back("Cannot write archive " + archivePath + ": " + result.failureReason +
                                         ". The log it holds waits in " +
                                         FullPath(PendingDayFilePath(logPath, tag)) + " for the next start.");
    }
  }
  return recovery;
}
