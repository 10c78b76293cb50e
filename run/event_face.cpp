// A run's records and events through the one derivation of events.
#include "run/event_face.h"

#include "decode/record_decoder.h"
#include "platform/system_error_text.h"

namespace {

ChangeEvent RunEventOf(ChangeKind kind, EventSeverity severity, const LocalTime& time, int64_t timeMs,
                       std::string parameter, std::string before, std::string after) {
  ChangeEvent event;
  event.kind = kind;
  event.severity = severity;
  event.time = time;
  event.timeMs = timeMs;
  event.parameter = std::move(parameter);
  event.before = std::move(before);
  event.after = std::move(after);
  return event;
}

// "Lost (hung up)", "Lost (input/output error)".
std::string PortLostText(int error) {
  return std::string(EventFace::kPortLostText) + " (" +
         (error == 0 ? std::string("hung up") : SystemErrorText(error)) + ")";
}

}  // namespace

std::vector<WatchedRow> WatchedRowsOf(const RunLayout& layout) {
  std::vector<WatchedRow> rows;
  for (size_t row = 0; row < layout.rows.size(); ++row) {
    const RunRow& runRow = layout.rows[row];
    const RowEventKind kind =
        ListRowEventKind(ListRow{runRow.listIndex, ShownRow{runRow.position, runRow.param}});
    if (kind == RowEventKind::kNone) continue;
    const auto list = static_cast<size_t>(runRow.listIndex);
    rows.push_back(WatchedRow{row, kind, runRow.listIndex,
                              list < layout.lists.size() ? layout.lists[list].tabText : "", runRow.label});
  }
  return rows;
}

void EventFace::AddListener(Listener listener) { m_listeners.push_back(std::move(listener)); }

void EventFace::OnRunStarted(const RunStart& start) {
  if (start.layout) {
    m_deriver.emplace(WatchedRowsOf(*start.layout));
  } else {
    m_deriver.reset();
  }
  m_replay = start.replay;
  // A replay's records carry their logged times, its start and end the
  // present: its line is judged by the gaps between records alone, as a
  // log's is.
  m_watch = CommunicationWatch{};
  if (!m_replay) m_watch.Start(start.timeMs);
  m_runParameter = start.replay ? kReplayParameter : kRunParameter;
  m_portName = start.portName;
  m_made.push_back(RunEventOf(ChangeKind::kRunStarted, EventSeverity::kState, start.time, start.timeMs,
                              m_runParameter, kStoppedText, kStartedText));
  Hand();
}

void EventFace::OnRecord(const std::shared_ptr<const RunRecord>& record) {
  if (!record) return;
  m_watch.Record(record->timeMs, record->sequence, m_made);
  if (m_deriver) {
    m_deriver->Feed(record->time, record->timeMs, record->sequence, record->texts, record->numbers,
                    record->filledRows, m_made);
  }
  Hand(record);
}

void EventFace::OnRunEvent(const RunEvent& event) {
  switch (event.kind) {
    case RunEventKind::kLineQuiet:
      if (!m_replay) m_watch.Quiet(event.timeMs, m_made);
      break;
    case RunEventKind::kLineLost:
      m_made.push_back(RunEventOf(ChangeKind::kLineLost, EventSeverity::kFault, event.time, event.timeMs,
                                  m_portName, kPortOpenText, PortLostText(event.error)));
      break;
    case RunEventKind::kLineBack:
      m_made.push_back(RunEventOf(ChangeKind::kLineBack, EventSeverity::kCleared, event.time, event.timeMs,
                                  m_portName, kPortLostText, kPortOpenText));
      break;
    default:
      // The next record clears "COMMUNICATION ERROR", stamped as it is, as a
      // log shows it; the files' and the archive's events are no changes of
      // the installation or the line.
      break;
  }
  Hand();
}

void EventFace::OnRunEnded(const RunEnd& end) {
  if (!m_replay) m_watch.End(end.timeMs, m_made);
  m_made.push_back(RunEventOf(ChangeKind::kRunStopped, EventSeverity::kState, end.time, end.timeMs,
                              m_runParameter, kStartedText, kStoppedText));
  Hand();
  m_deriver.reset();
}

void EventFace::Hand(const std::shared_ptr<const RunRecord>& record) {
  static const std::shared_ptr<const RunRecord> kNoRecord;
  for (const ChangeEvent& event : m_made) {
    const std::shared_ptr<const RunRecord>& cameWith = event.record != 0 ? record : kNoRecord;
    for (const Listener& listener : m_listeners) listener(event, cameWith);
  }
  m_made.clear();
}
