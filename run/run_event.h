// What happens to a run besides its records: the line's state, the files'
// failures and their end, the archive's progress.
#pragma once

#include <cstdint>
#include <string>

#include "platform/local_time.h"

enum class RunEventKind : uint8_t {
  // No valid record for the watchdog's 10 s, or none yet since Start: the
  // "COMMUNICATION ERROR" banner shows.
  kLineQuiet,
  // A record came after kLineQuiet: the banner goes.
  kLineReceiving,
  // The port hung up or failed; it is opened again about once a second.
  // error: the errno, 0 for a plain hang-up. path: the device.
  kLineLost,
  // The lost port is open again.
  kLineBack,
  // Bytes keep arriving but no frame has checked out for the watchdog's
  // time: the board's layout is not the configuration's. message names the
  // layout and the configuration file.
  kNoFrameMatches,
  // Frames check out again after kNoFrameMatches.
  kFramesMatch,
  // A log line could not be written ("Disk full while accessing <path>.");
  // said once until kLogWriteResumed. count: lines not written so far.
  kLogWriteFailed,
  // Lines are written again; count: the lines that were not.
  kLogWriteResumed,
  // The log's name no longer led to the open file (removed or renamed); a
  // new file of that name was opened and logging goes on there.
  kLogReopened,
  // Bytes of the line could not be written to the raw capture; said once
  // until kRawCaptureResumed.
  kRawCaptureFailed,
  kRawCaptureResumed,
  // A record holds fewer values than the layout shows: "Encountered an
  // improper argument."; said once until a complete record comes.
  kRecordTooShort,
  // Stop is compressing the log: count bytes of total read so far.
  kArchiveProgress,
  // At Start: the log's last line had been cut short (a power cut); it was
  // set aside beside the log, or (error set) could not be. message names
  // both files.
  kLogEndRepaired,
  // At Start: day files whose archiving a cut had interrupted were archived
  // (or, error set, still wait). message names them.
  kDayFilesRecovered,
  // A day's log (or a piece of it) was closed at the rotation and its
  // archive written; path: the archive. Logging went on in a fresh log.
  kDayArchived,
  // A day's log could not be set aside or archived; message says what
  // became of its lines. Said once until a day file is archived again.
  kDayArchiveFailed,
  // Archives older than the days kept were removed (count), or (error set)
  // could not be; message names them.
  kOldArchivesRemoved,
  // Less free space than the limit on the log's disk: the oldest archives
  // of the log were removed (count), then the raw capture stopped; said
  // once for each time the space falls short. message says what was done.
  kDiskSpaceLow,
};

struct RunEvent {
  RunEventKind kind = RunEventKind::kLineQuiet;
  LocalTime time;
  int64_t timeMs = 0;  // WallClockMs(time)
  // The file or device concerned, absolute, as the file system's bytes;
  // empty when none.
  std::string path;
  // What the user reads (Windows-1252), whole sentences naming the file or
  // device and the reason; empty for events that need no words.
  std::string message;
  int error = 0;       // the errno behind it, 0 for none
  uint64_t count = 0;  // see the kind
  uint64_t total = 0;  // see the kind
};
