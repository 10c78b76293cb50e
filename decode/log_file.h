// The run's text log: append prompt, open with a write lock, one time-stamped line per record.
#pragma once

#include <string>
#include <string_view>

#include "decode/user_prompt.h"
#include "platform/local_time.h"

// LogRecord's result when the line went to a new file of the log's name.
inline constexpr int kLogReopened = 1;

// The caption of the append question.
inline constexpr std::string_view kAppendQuestionCaption = "TESSAM  PLENX LOGGER - Request";

// The log file of a logging run, closed or open. One per main window, held by
// value; user-interface thread only. While open it holds an advisory exclusive
// lock on the file, so a second LogFile (in any process) cannot open it for
// writing, while readers are free to read it.
//
// The record counter stays with the caller (the main window's m_recordCount):
// the caller sets it to 0 at each Start and LogRecord advances it.
class LogFile {
 public:
  LogFile() = default;
  ~LogFile() { CloseLog(); }
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

  // The record step, once per record handled. With an empty logFileName does
  // nothing. Otherwise, when IsRecordLogged(recordCount, logEvery), writes the
  // line for recordText stamped with time (skipped while the file is not
  // open), then advances recordCount. Returns 0; or kLogReopened when the
  // log's name no longer led to the open file (removed or renamed during the
  // run), so a new file of that name was opened and the line written there:
  // the caller shows ReopenedText() and the run goes on; or -1 when the
  // write failed (or the new file could not be opened): the file then holds
  // no part of the line, recordCount is unchanged, and the caller shows
  // WriteFailureText(); the next record tries again.
  int LogRecord(const LocalTime& time, std::string_view recordText, const std::string& logFileName,
                int logEvery, int& recordCount);

  // The message of kLogReopened: "The log file <full path> was removed or
  // renamed during the run. Logging goes on in a new file of that name."
  std::string ReopenedText() const;

  // "Disk full while accessing <full path>.", the message of a failed write
  // (whatever its cause).
  std::string WriteFailureText() const;

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
  // Absolute path of the open file, for the write error message; fixed at
  // open time so a later change of the current directory cannot alter it.
  std::string m_fullPath;
};

// Puts the append question for the existing file fileName to owner: "File
// <fileName> exists." and "Would you like to append data to the existing
// file?" under kAppendQuestionCaption. True only for Yes.
bool AskToAppend(UserPrompt& owner, const std::string& fileName);

// Whether the record handled while the counter is recordCount is logged under
// LOGEVERY logEvery: when logEvery is 1 or 0 (every record), else when
// recordCount is not a multiple of logEvery. So 3 and -3 skip the records at
// 0, 3, 6, ... and log the others, and -1 logs none.
bool IsRecordLogged(int recordCount, int logEvery);

// One log line: "YYYY/MM/DD-hh:mm:ss.mmm   -   " then recordText as
// received, then CR LF.
std::string FormatLogLine(const LocalTime& time, std::string_view recordText);
