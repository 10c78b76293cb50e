// A log's end at Start: torn last line set aside, last line's day read.
#include "upkeep/log_end.h"

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <vector>

#include "platform/append_file.h"
#include "platform/file_sync.h"
#include "platform/file_tail.h"
#include "platform/full_path.h"
#include "platform/posix_io.h"
#include "platform/system_error_text.h"

namespace {

// The log is searched back from its end in pieces of this size.
constexpr size_t kScanChunkBytes = 64 * 1024;
// What ends a line in the log; lines end in CR LF, the LF completes them.
constexpr char kLineEnd = '\n';
// What follows each torn line in the set-aside file.
constexpr std::string_view kSetAsideLineEnd = "\r\n";
// "YYYY/MM/DD" at the start of every log line.
constexpr size_t kDateBytes = 10;

// The offset just after the last line end before offset end, searching back
// at most maxBack bytes: 0 when the file from its start to end holds none
// and end <= maxBack; nothing when there is none within maxBack, or a read
// failed (failed set, with errno).
std::optional<uint64_t> AfterLastLineEnd(int fd, uint64_t end, uint64_t maxBack, bool& failed) {
  std::vector<char> chunk(kScanChunkBytes);
  const uint64_t lowest = end > maxBack ? end - maxBack : 0;
  uint64_t chunkEnd = end;
  while (chunkEnd > lowest) {
    const uint64_t chunkStart = chunkEnd - std::min<uint64_t>(chunkEnd - lowest, chunk.size());
    const size_t wanted = static_cast<size_t>(chunkEnd - chunkStart);
    if (ReadAt(fd, chunk.data(), wanted, chunkStart, failed) != wanted) {
      if (!failed) errno = EIO;  // the file shrank under the search
      failed = true;
      return std::nullopt;
    }
    for (size_t i = wanted; i > 0; --i) {
      if (chunk[i - 1] == kLineEnd) return chunkStart + i;
    }
    chunkEnd = chunkStart;
  }
  if (lowest == 0) return 0;
  return std::nullopt;
}

// Whether the file at fd ends with bytes.
bool EndsWith(int fd, std::string_view bytes) {
  const std::optional<uint64_t> size = FileSizeOf(fd);
  if (!size || *size < bytes.size()) return false;
  std::string tail(bytes.size(), '\0');
  bool failed = false;
  return ReadAt(fd, tail.data(), tail.size(), *size - bytes.size(), failed) == tail.size() && tail == bytes;
}

// Appends piece and a line end to the set-aside file and flushes it, unless
// an earlier repair did so already; false, with errno set, on failure.
bool SetAside(const std::string& path, std::string_view piece) {
  const std::string entry = std::string(piece) + std::string(kSetAsideLineEnd);
  const int fd = OpenLockedForAppend(path);
  if (fd < 0) return false;
  const bool ok = EndsWith(fd, entry) || (AppendWhole(fd, entry) && SyncFileData(fd));
  const int error = errno;
  CloseFile(fd);
  errno = error;
  return ok;
}

}  // namespace

std::string TornLinesPath(const std::string& logPath) { return logPath + ".torn"; }

TornLineRepair RepairTornLastLine(int fd, const std::string& logPath) {
  TornLineRepair repair;
  const std::string logName = FullPath(logPath);
  const std::string setAsideName = FullPath(TornLinesPath(logPath));
  const auto fail = [&](int error) {
    repair.error = error;
    repair.message = "The last line of " + logName +
                     " was cut short, most likely by a power cut, and could not be set aside in " +
                     setAsideName + ": " + SystemErrorText(error) + ". The new lines follow it.";
    return repair;
  };

  const std::optional<uint64_t> size = FileSizeOf(fd);
  if (!size) return fail(errno);
  bool failed = false;
  const std::optional<uint64_t> wholeEnd = AfterLastLineEnd(fd, *size, kMaxTornLineBytes, failed);
  if (failed) return fail(errno);
  if (!wholeEnd || *wholeEnd == *size) return repair;

  std::string piece(static_cast<size_t>(*size - *wholeEnd), '\0');
  if (ReadAt(fd, piece.data(), piece.size(), *wholeEnd, failed) != piece.size()) {
    return fail(failed ? errno : EIO);
  }
  if (!SetAside(TornLinesPath(logPath), piece) || !CutFileTo(fd, *wholeEnd)) return fail(errno);
  repair.cut = true;
  repair.bytes = piece.size();
  repair.setAsidePath = setAsideName;
  repair.message = "The last line of " + logName + " was cut short, most likely by a power cut: its " +
                   std::to_string(piece.size()) + " bytes were moved to " + setAsideName +
                   ". Logging goes on after the last whole line.";
  return repair;
}

std::optional<LocalDate> DayOfLastLine(int fd) {
  const std::optional<uint64_t> size = FileSizeOf(fd);
  if (!size || *size == 0) return std::nullopt;
  bool failed = false;
  const std::optional<uint64_t> lineEnd = AfterLastLineEnd(fd, *size, kMaxTornLineBytes, failed);
  if (!lineEnd || *lineEnd == 0) return std::nullopt;
  // Back from the last line's own line end to the one before it.
  const std::optional<uint64_t> lineStart = AfterLastLineEnd(fd, *lineEnd - 1, kMaxTornLineBytes, failed);
  if (!lineStart) return std::nullopt;
  std::string head(kDateBytes, '\0');
  if (ReadAt(fd, head.data(), head.size(), *lineStart, failed) != head.size()) return std::nullopt;
  return ParseDate(head, '/');
}
