// The run's text log: append prompt, open with a write lock, whole lines.
#include "run/log_file.h"

#include <cerrno>

#include "platform/append_file.h"
#include "platform/file_search.h"
#include "platform/full_path.h"
#include "platform/posix_io.h"

bool LogFile::FileExists(const std::string& name) { return DirectorySearchFindsEntry(name); }

bool AskToAppend(UserPrompt& owner, const std::string& fileName) {
  const std::string question =
      "File " + fileName + " exists.\nWould you like to append data to the existing file?";
  return owner.AskYesNoCancel(question, std::string(kAppendQuestionCaption)) == PromptAnswer::Yes;
}

int LogFile::OpenLog(UserPrompt& owner, const std::string& logFileName) {
  // A Start that failed after opening leaves the file open; release it so the
  // lock cannot refuse this Start.
  CloseLog();
  if (logFileName.empty()) return 0;

  if (FileExists(logFileName) && !AskToAppend(owner, logFileName)) return -1;

  const int fd = OpenLockedForAppend(logFileName, &m_created);
  if (fd < 0) {
    const int error = errno;
    owner.ShowError("Cannot open log file " + ::FullPath(logFileName) + ": " +
                    AppendOpenFailureReason(error) + ".");
    return -1;
  }
  m_fd = fd;
  m_fullPath = ::FullPath(logFileName);
  return 0;
}

int LogFile::AppendLine(std::string_view line) {
  if (!IsOpen()) {
    errno = EBADF;
    return -1;
  }
  int result = 0;
  // Someone removed or renamed the log (to copy it off, or by mistake):
  // lines written to the old file would vanish with it, or miss the name
  // the technician and Stop's archive look for.
  if (!PathStillNames(m_fd, m_fullPath)) {
    if (!ReopenUnderItsName()) return -1;
    result = kLogReopened;
  }
  // Every write goes to the file's end; a failed one leaves no part of the
  // line, so the next line starts on a line of its own.
  return AppendWhole(m_fd, line) ? result : -1;
}

bool LogFile::ReopenUnderItsName() {
  const int fd = OpenLockedForAppend(m_fullPath, &m_created);
  if (fd < 0) return false;
  CloseFile(m_fd);
  m_fd = fd;
  return true;
}

std::string LogFile::ReopenedText() const {
  return "The log file " + m_fullPath +
         " was removed or renamed during the run. Logging goes on in a new file of that name.";
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

void LogFile::DiscardLog() {
  if (!IsOpen()) return;
  CloseRemovingIfUnused(m_fd, m_fullPath, m_created);
  m_fd = -1;
  m_fullPath.clear();
}

bool IsRecordLogged(int recordCount, int logEvery) {
  if (logEvery == 0 || logEvery == 1) return true;
  // Widened so that the lowest count divided by -1 cannot overflow.
  return static_cast<long long>(recordCount) % logEvery != 0;
}
