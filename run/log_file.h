// The run's text log: append prompt, open with a write lock, whole lines
// added at its end, and a new file when its name no longer leads to it.
#pragma once

#include <string>
#include <string_view>

#include "run/user_prompt.h"

// AppendLine's result when the line went to a new file of the log's name.
inline constexpr int kLogReopened = 1;

// The caption of the append question.
inline constexpr std::string_view kAppendQuestionCaption = "TESSAM  PLENX LOGGER - Request";

// Where the log writer puts its lines: the run's LogFile, or a test's
// stand-in. The members are LogFile's.
class LogLineFile {
 public:
  virtual ~LogLineFile() = default;
  virtual int AppendLine(std::string_view line) = 0;
  virtual std::string ReopenedText() const = 0;
  virtual std::string WriteFailureText() const = 0;
  virtual const std::string& FullPath() const = 0;
};

// The log file of a logging run, closed or open. While open it holds an
// advisory exclusive lock on the file, so a second LogFile (in any process)
// cannot open it for writing, while readers are free to read it. One thread
// at a time: the run opens it, its log writer then adds the lines, and Stop
// takes the file over.
class LogFile : public LogLineFile {
 public:
  LogFile() = default;
  ~LogFile() override { CloseLog(); }
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  // True when a directory search for name finds any entry: an existing
  // directory of that name counts, and so does any match of '*' or '?'.
  static bool FileExists(const std::string& name);

  // Opens the log for a run. Closes a file still open from an earlier Start
  // first. With an empty name: returns 0 and the run keeps no log. When the
  // name exists, asks owner whether to append; any answer but Yes returns -1
  // with nothing opened. Otherwise opens the file for reading and writing
  // (created when absent, never truncated, every write going to its end) and
  // returns 0. When the file cannot be opened, or another writer holds it,
  // owner shows "Cannot open log file <full path>: <reason>." and -1 is
  // returned: the run must not start, since it could log nothing.
  int OpenLog(UserPrompt& owner, const std::string& logFileName);

  // Adds line (a whole log line, FormatLogLine) at the end of the open log.
  // Returns 0; or kLogReopened when the log's name no longer led to the open
  // file (removed or renamed during the run), so a new file of that name was
  // opened and the line written there: the run goes on, saying
  // ReopenedText() once; or -1 (errno set) when the write failed, or the new
  // file could not be opened, or no log is open: the file then holds no part
  // of the line (WriteFailureText() says so) and the next line tries again.
  int AppendLine(std::string_view line) override;

  // The message of kLogReopened: "The log file <full path> was removed or
  // renamed during the run. Logging goes on in a new file of that name."
  std::string ReopenedText() const override;

  // "Disk full while accessing <full path>.", the message of a failed write
  // (whatever its cause).
  std::string WriteFailureText() const override;

  // Absolute path of the file opened last, fixed at open time so a later
  // change of the current directory cannot alter it.
  const std::string& FullPath() const override { return m_fullPath; }

  // Closes the file and releases its lock; does nothing when it is closed.
  void CloseLog();

  // Hands the open file over to the caller, who flushes it to disk and
  // closes it (SyncFile, CloseFile), on any thread; its lock goes with it,
  // so no other writer can take the file before that close. The log reads
  // as closed afterwards. -1 when it is not open.
  int ReleaseFile();

  // Closes the file of a run that did not start after all; it is removed
  // when OpenLog created it and nothing was written to it, so the next Start
  // does not ask to append to an empty file.
  void DiscardLog();

  bool IsOpen() const { return m_fd >= 0; }

 private:
  // Opens a new file of the log's name in place of the open one; false (the
  // old one kept) when it cannot be opened.
  bool ReopenUnderItsName();

  int m_fd = -1;
  // OpenLog made the file.
  bool m_created = false;
  std::string m_fullPath;
};

// Puts the append question for the existing file fileName to owner: "File
// <fileName> exists." and "Would you like to append data to the existing
// file?" under kAppendQuestionCaption. True only for Yes.
bool AskToAppend(UserPrompt& owner, const std::string& fileName);

// Whether the record taken while the counter is recordCount is logged under
// LOGEVERY logEvery: when logEvery is 1 or 0 (every record), else when
// recordCount is not a multiple of logEvery. So 3 and -3 skip the records at
// 0, 3, 6, ... and log the others, and -1 logs none.
bool IsRecordLogged(int recordCount, int logEvery);
