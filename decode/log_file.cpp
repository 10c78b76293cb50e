// The run's text log: append prompt, open with a write lock, one time-stamped line per record.
#include "decode/log_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/file_search.h"
#include "platform/full_path.h"
#include "platform/posix_io.h"
#include "platform/system_error_text.h"

namespace {

// Permission bits of a newly created log, before the umask.
constexpr mode_t kNewLogFileMode = 0666;
// Longest time stamp with separator even for out-of-range fields (7 ints).
constexpr size_t kLineHeadBufferBytes = 128;
constexpr std::string_view kLineEnd = "\r\n";

// Why the log cannot be opened, worded for the technician. O_CREAT makes a
// missing file no error, so ENOENT means a missing folder; EWOULDBLOCK is
// the lock another writer holds.
std::string OpenFailureReason(int errorNumber) {
  switch (errorNumber) {
    case ENOENT:
      return "no such folder";
    case ENOTDIR:
      return "a part of the path is not a folder";
    case EISDIR:
      return "it is a folder";
    case EWOULDBLOCK:
      return "in use by another program";
    default:
      return SystemErrorText(errorNumber);
  }
}

}  // namespace

bool LogFile::FileExists(const std::string& name) { return DirectorySearchFindsEntry(name); }

int LogFile::OpenLog(UserPrompt& owner, const std::string& logFileName) {
  // A Start that failed after opening leaves the file open; release it so the
  // lock cannot refuse this Start.
  CloseLog();
  if (logFileName.empty()) return 0;

  if (FileExists(logFileName)) {
    const std::string question =
        "File " + logFileName + " exists.\nWould you like to append data to the existing file?";
    if (owner.AskYesNoCancel(question, std::string(kAppendQuestionCaption)) != PromptAnswer::Yes) {
      return -1;
    }
  }

  // O_APPEND puts every line after whatever the file holds at that moment, so
  // existing content is never overwritten. No O_TRUNC, ever. O_NONBLOCK does
  // nothing to a regular file; for a pipe or device given as the name it turns
  // a stalled write into a write error instead of a frozen window.
  const int fd = OpenFile(logFileName.c_str(),
                          O_RDWR | O_CREAT | O_APPEND | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, kNewLogFileMode);
  const auto refuse = [&](int errorNumber) {
    owner.ShowError("Cannot open log file " + FullPath(logFileName) + ": " + OpenFailureReason(errorNumber) +
                    ".");
    return -1;
  };
  if (fd < 0) return refuse(errno);

  // Another writer holds the file: refuse it like a failed open. A file
  // system without lock support still gets its log, unlocked.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    CloseFile(fd);
    return refuse(EWOULDBLOCK);
  }
  m_fd = fd;
  m_fullPath = FullPath(logFileName);
  return 0;
}

int LogFile::LogRecord(const LocalTime& time, std::string_view recordText, const std::string& logFileName,
                       int logEvery, int& recordCount) {
  if (logFileName.empty()) return 0;

  if (IsOpen() && IsRecordLogged(recordCount, logEvery)) {
    const std::string line = FormatLogLine(time, recordText);
    // Every write goes to the file's end (O_APPEND).
    const size_t writtenBytes = WriteAll(m_fd, line);
    if (writtenBytes < line.size()) {
      if (writtenBytes > 0) {
        // Cut the partial line off, so the next line starts on a line of its
        // own and the log holds only whole records.
        const off_t end = lseek(m_fd, 0, SEEK_CUR);
        if (end >= static_cast<off_t>(writtenBytes)) {
          RetryOnInterrupt([&] { return ftruncate(m_fd, end - static_cast<off_t>(writtenBytes)); });
        }
      }
      return -1;
    }
  }
  // Wraps to the lowest value after the highest instead of overflowing.
  recordCount = static_cast<int>(static_cast<unsigned>(recordCount) + 1u);
  return 0;
}

std::string LogFile::WriteFailureText() const { return "Disk full while accessing " + m_fullPath + "."; }

void LogFile::CloseLog() {
  if (!IsOpen()) return;
  CloseFile(m_fd);  // also releases the lock
  m_fd = -1;
}

int LogFile::ReleaseFile() {
  const int fd = m_fd;
  m_fd = -1;
  return fd;
}

bool IsRecordLogged(int recordCount, int logEvery) {
  if (logEvery == 0 || logEvery == 1) return true;
  // Widened so that the lowest count divided by -1 cannot overflow.
  return static_cast<long long>(recordCount) % logEvery != 0;
}

std::string FormatLogLine(const LocalTime& time, std::string_view recordText) {
  char head[kLineHeadBufferBytes];
  const int headBytes =
      std::snprintf(head, sizeof head, "%04d/%02d/%02d-%02d:%02d:%02d.%03d   -   ", time.year, time.month,
                    time.day, time.hour, time.minute, time.second, time.milliseconds);
  std::string line(head, static_cast<size_t>(headBytes));
  line.reserve(line.size() + recordText.size() + kLineEnd.size());
  line += recordText;
  line += kLineEnd;
  return line;
}
