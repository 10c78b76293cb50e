// Day file names: built from Stop's archive name, and parsed back.
#include "upkeep/day_file_names.h"

#include <cstdio>
#include <string_view>

#include "platform/folder_files.h"

namespace {

constexpr std::string_view kArchiveExtension = ".zip";
constexpr std::string_view kPendingExtension = ".day";
// "YYYY-MM-DD"
constexpr size_t kDateBytes = 10;
// Piece numbers are kept to a sane size; more pieces than this in one day
// would mean a size limit below any use.
constexpr int kMaxPiece = 999999;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A positive decimal number without leading zeros, at most kMaxPiece.
std::optional<int> ParsePiece(std::string_view text) {
  if (text.empty() || text.size() > 6 || text[0] == '0') return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (!IsDigit(c)) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value <= kMaxPiece ? std::optional<int>(value) : std::nullopt;
}

// "YYYY-MM-DD" or "YYYY-MM-DD.N".
std::optional<DayTag> ParseTag(std::string_view text) {
  const std::optional<LocalDate> date = ParseDate(text.substr(0, kDateBytes), '-');
  if (!date) return std::nullopt;
  if (text.size() == kDateBytes) return DayTag{*date, 0};
  if (text[kDateBytes] != '.') return std::nullopt;
  const std::optional<int> piece = ParsePiece(text.substr(kDateBytes + 1));
  if (!piece) return std::nullopt;
  return DayTag{*date, *piece};
}

// The file name of an archive path (after its folder, drive or last
// separator, by the rules LogArchiveNameFor splits with).
size_t FileNameStart(const std::string& archivePath) {
  const size_t separator = archivePath.find_last_of("\\/");
  if (separator != std::string::npos) return separator + 1;
  return archivePath.size() >= 2 && archivePath[1] == ':' ? 2 : 0;
}

// "_<base name>.zip": what every archive name of the log ends with.
std::optional<std::string> ArchiveNameTail(const std::string& logPath) {
  const std::optional<LogArchiveName> name = LogArchiveNameFor(logPath, LocalTime{});
  if (!name) return std::nullopt;
  return name->archivePath.substr(FileNameStart(name->archivePath) + kDateBytes);
}

}  // namespace

std::string TagText(const DayTag& tag) {
  std::string text = DateText(tag.date);
  if (tag.piece > 0) text += "." + std::to_string(tag.piece);
  return text;
}

std::optional<LogArchiveName> DayArchiveName(const std::string& logPath, const DayTag& tag) {
  LocalTime day;
  day.year = tag.date.year;
  day.month = tag.date.month;
  day.day = tag.date.day;
  std::optional<LogArchiveName> name = LogArchiveNameFor(logPath, day);
  if (!name || tag.piece == 0) return name;
  name->archivePath.insert(FileNameStart(name->archivePath) + kDateBytes, "." + std::to_string(tag.piece));
  // The piece makes the name longer: check it against the same limit.
  if (!LogArchiveNameFor(name->archivePath, day)) return std::nullopt;
  return name;
}

std::string PendingDayFilePath(const std::string& logPath, const DayTag& tag) {
  return FolderOf(logPath) + "/." + NameOf(logPath) + "." + TagText(tag) + std::string(kPendingExtension);
}

std::optional<DayTag> ParseDayArchiveName(const std::string& entryName, const std::string& logPath) {
  const std::optional<std::string> tail = ArchiveNameTail(logPath);
  if (!tail || entryName.size() <= tail->size() || !entryName.ends_with(*tail)) return std::nullopt;
  return ParseTag(std::string_view(entryName).substr(0, entryName.size() - tail->size()));
}

std::optional<DayTag> ParsePendingDayFileName(const std::string& entryName, const std::string& logPath) {
  const std::string head = "." + NameOf(logPath) + ".";
  if (entryName.size() < head.size() + kPendingExtension.size() || !entryName.starts_with(head) ||
      !entryName.ends_with(kPendingExtension)) {
    return std::nullopt;
  }
  const size_t tagBytes = entryName.size() - head.size() - kPendingExtension.size();
  return ParseTag(std::string_view(entryName).substr(head.size(), tagBytes));
}
