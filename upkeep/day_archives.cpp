// Listing a log's archives and removing those past --keep-days.
#include "upkeep/day_archives.h"

#include <algorithm>
#include <climits>
#include <tuple>

#include "platform/folder_files.h"
#include "platform/full_path.h"
#include "platform/system_error_text.h"

namespace {

// Order within a day: the pieces by number, the whole day's archive last.
auto AgeKey(const DayTag& tag) { return std::make_tuple(tag.date, tag.piece == 0 ? INT_MAX : tag.piece); }

}  // namespace

std::optional<std::vector<DayArchive>> ListDayArchives(const std::string& logPath) {
  const std::string folder = FolderOf(logPath);
  const std::optional<std::vector<FolderEntry>> entries = ListFolder(folder);
  if (!entries) return std::nullopt;
  std::vector<DayArchive> archives;
  for (const FolderEntry& entry : *entries) {
    if (!entry.isRegularFile) continue;
    const std::optional<DayTag> tag = ParseDayArchiveName(entry.name, logPath);
    if (tag) archives.push_back(DayArchive{folder + "/" + entry.name, *tag, entry.sizeBytes});
  }
  std::sort(archives.begin(), archives.end(),
            [](const DayArchive& a, const DayArchive& b) { return AgeKey(a.tag) < AgeKey(b.tag); });
  return archives;
}

std::vector<DayArchive> ArchivesPastKeepDays(const std::vector<DayArchive>& archives, const LocalDate& today,
                                             int keepDays) {
  std::vector<DayArchive> past;
  if (keepDays <= 0) return past;
  for (const DayArchive& archive : archives) {
    if (DayNumber(today) - DayNumber(archive.tag.date) > keepDays) past.push_back(archive);
  }
  return past;
}

RetentionResult ApplyKeepDays(const std::string& logPath, const LocalDate& today, int keepDays) {
  RetentionResult result;
  if (keepDays <= 0) return result;
  const std::optional<std::vector<DayArchive>> archives = ListDayArchives(logPath);
  if (!archives) return result;  // nothing can be removed where nothing can be listed
  for (const DayArchive& archive : ArchivesPastKeepDays(*archives, today, keepDays)) {
    if (RemoveFile(archive.path)) {
      result.removed.push_back(archive.path);
    } else {
      result.failureMessages.push_back("Cannot remove the old archive " + FullPath(archive.path) + ": " +
                                       SystemErrorText(errno) + ".");
    }
  }
  return result;
}
