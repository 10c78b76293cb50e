// What the page shows of a run: the unit lists' current texts, the banner and
// the line, the run, the ten-minute series and the events; and the feed of
// changes the event streams send. The face writes it on the run's threads,
// the server's threads read it; every member function is thread-safe.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "page/page_event.h"
#include "page/series_window.h"
#include "run/run_observer.h"

// Events kept for the page and /api/events, the newest; older ones are dropped.
inline constexpr size_t kKeptEvents = 500;
// Changes kept for event streams that fall behind; one further behind gets
// the whole state again.
inline constexpr size_t kKeptUpdates = 512;

// One change, as an event stream sends it: "event: <name>\ndata: <json>\n\n".
class PageUpdate {
 public:
  // A record: its message is made once, by the first stream that sends it.
  explicit PageUpdate(std::shared_ptr<const RunRecord> record);
  // Any other change, its message made at once; an empty message asks each
  // stream to send the whole state instead (a run started: new tabs).
  explicit PageUpdate(std::string message);

  // Whether the stream sends the whole state in place of this change.
  bool resendsState() const { return !m_record && m_message.empty(); }
  // The message to send; any thread.
  const std::string& Message() const;

 private:
  std::shared_ptr<const RunRecord> m_record;
  mutable std::once_flag m_made;
  mutable std::string m_message;
};

// What a stream waits for: the changes after the version it has sent.
struct FeedWait {
  bool closed = false;        // the server is stopping
  bool tooFarBehind = false;  // changes were dropped; send the state again
  uint64_t version = 0;       // the newest version in changes
  std::vector<std::shared_ptr<const PageUpdate>> changes;
};

class LiveState {
 public:
  // From the face, in run order.
  void StartRun(const RunStart& start);
  void TakeRecord(const std::shared_ptr<const RunRecord>& record);
  void TakeRunEvent(const RunEvent& event);
  void EndRun(const RunEnd& end);
  // An event from elsewhere (a value's change found by the events face).
  void AddEvent(const PageEvent& event);

  // The whole state as the JSON of /api/state and the stream's first
  // message, and the version it shows.
  std::string StateJson(uint64_t* version = nullptr) const;
  // The kept events as the JSON of /api/events, oldest first.
  std::string EventsJson() const;
  // The log file of the current (or last) run, as named; empty when none.
  std::string LogPath() const;

  // Waits up to timeout for changes after version `after`, or until Close.
  FeedWait WaitForChanges(uint64_t after, std::chrono::milliseconds timeout) const;
  // Wakes every waiting stream for good; StateJson and the rest still work.
  void Close();
  // How many streams wait now or send; the face makes record messages only
  // for them.
  void StreamOpened();
  void StreamClosed();

 private:
  enum class RunPhase : uint8_t { kNone, kRunning, kEnded };

  // With m_mutex held.
  void PublishLocked(std::shared_ptr<const PageUpdate> update);
  void AddEventLocked(const PageEvent& event);
  std::string LinkJsonLocked() const;
  std::string RunJsonLocked() const;
  void AppendTabsJsonLocked(std::string& out) const;

  mutable std::mutex m_mutex;
  mutable std::condition_variable m_changed;
  bool m_closed = false;
  int m_openStreams = 0;
  uint64_t m_version = 0;
  std::deque<std::shared_ptr<const PageUpdate>> m_updates;  // versions m_version - size + 1 .. m_version

  RunPhase m_phase = RunPhase::kNone;
  RunStart m_start;
  RunEnd m_end;
  std::vector<std::string> m_tabTexts;
  std::vector<std::string> m_texts;  // by layout row
  uint64_t m_records = 0;
  uint64_t m_lastSequence = 0;
  LocalTime m_lastRecordTime;
  int64_t m_lastRecordMs = 0;
  bool m_bannerShown = false;
  std::string m_lineLost;        // the loss's sentence while the line is lost
  std::string m_noFrameMatches;  // the sentence while no frame matches
  uint64_t m_archiveDone = 0;
  uint64_t m_archiveTotal = 0;
  SeriesWindow m_series;
  std::deque<PageEvent> m_events;
};
