// What the collector keeps of each site: <dir>/<site>/<log name>, the lines
// in the logger's own format, each finished day packed into the dated ZIP
// the logger's Stop would write (YYYY-MM-DD_<base>.zip beside the log).
//
// Each record is written at most once and, once its acknowledgement has
// gone to the broker, at least once: before a line is appended, the site's
// state file (.plenx-collect-state) records the run and sequence number
// with where the line will start and end; the acknowledgement goes only
// after the append. Opening a site again (after a kill) finds from the log's
// size whether that last line was written whole, cuts off any part of it,
// and so knows which sequence numbers it has. A record it has is skipped
// when it comes again (the broker's redelivery, the logger's resend).
//
// State file, rewritten in place at every record (the last "end" line
// ends it; anything after is an older, longer state):
//
//   plenx-collect 1
//   run <run> <last seq>          one per recent run, oldest first
//   pending <run> <seq> <start> <end> <log name, %XX>
//   end
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "broker/record_payload.h"

struct StoreResult {
  enum class Kind {
    kWritten,    // appended to the site's log
    kDuplicate,  // had it already
    kRefused,    // a site or log name that cannot be a file name: skipped
    kFailed,     // could not be written (full disk): must not be acknowledged
  };
  Kind kind = Kind::kWritten;
  // For kWritten: records of the run that never came before this one (a
  // gap in the sequence numbers). For kRefused and kFailed: why, a whole
  // sentence naming the file.
  uint64_t missing = 0;
  std::string message;
};

class SiteStore;

// Every site under one folder. One thread.
class CollectedLogs {
 public:
  explicit CollectedLogs(std::string folder);
  ~CollectedLogs();

  StoreResult Store(std::string_view site, const RecordPayload& record);

  // Closes every site's files; the next record of a site opens them again
  // and checks its state, as after a restart.
  void Forget();

 private:
  std::string m_folder;
  std::map<std::string, std::unique_ptr<SiteStore>, std::less<>> m_sites;
};

// Why name cannot be a log's file name on the collector ("is empty",
// "contains '/'"); empty when it can.
std::string LogNameProblem(std::string_view name);
