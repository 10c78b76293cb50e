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
