// The events of the latest run as a window keeps them after the run has
// gone on or ended: each with the record whose values it shows, so that a
// technician can look at the installation as it was at that moment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "decode/change_event.h"
#include "decode/view_dump.h"
#include "run/run_layout.h"
#include "run/run_record.h"

// Events kept at most; the oldest go first. A fault that flaps on every
// record would otherwise keep a record per second for the whole run.
inline constexpr size_t kMaxKeptEvents = 10'000;

struct KeptEvent {
  ChangeEvent event;
  // The record it came with or, for an event between records (the line
  // quiet, the port lost, Stop), the last record before it; null when the
  // run had none yet.
  std::shared_ptr<const RunRecord> record;
  // The run's layout, which names the record's rows; null with no record.
  std::shared_ptr<const RunLayout> layout;
};

// The values a kept event shows: each tab with its rows as the window's
// lists showed them at that record (an empty Value for a row the record
// did not reach), and where the event's own row is.
struct EventValues {
  std::vector<DumpTab> tabs;
  // The changed row (tab, row within it); -1 when the event names no row.
  int changedTab = -1;
  int changedRow = -1;
};

// The tabs and rows of record by layout, the row of event marked.
EventValues ValuesAtEvent(const RunLayout& layout, const RunRecord& record, const ChangeEvent& event);

// Events numbered from 0 at the run's start (serials never reused within a
// run). User-interface thread; not thread-safe.
class EventHistory {
 public:
  explicit EventHistory(size_t capacity = kMaxKeptEvents) : m_capacity(capacity) {}

  // Adds the next event; a run's start (ChangeKind::kRunStarted) empties
  // the history first. Returns whether it emptied it.
  bool Add(KeptEvent kept);

  // The serials kept: [FirstSerial(), EndSerial()).
  uint64_t FirstSerial() const { return m_first; }
  uint64_t EndSerial() const { return m_first + m_events.size(); }
  size_t Size() const { return m_events.size(); }
  // The event of serial; null when it was dropped or never added.
  const KeptEvent* Find(uint64_t serial) const;

  // Every event kept, oldest first.
  const std::deque<KeptEvent>& Events() const { return m_events; }

 private:
  size_t m_capacity;
  std::deque<KeptEvent> m_events;
  uint64_t m_first = 0;
};
