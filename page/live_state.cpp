// The page's view of a run and its feed of changes.
#include "page/live_state.h"

#include <algorithm>

#include "config/logger_config.h"
#include "decode/json_text.h"
#include "decode/time_stamp.h"
#include "decode/unit_tabs.h"
#include "page/run_event_text.h"
#include "plenx_version.h"

namespace {

// Events the whole state carries; /api/events gives all that are kept.
constexpr size_t kEventsInState = 100;

std::string SseMessage(std::string_view event, std::string_view json) {
  std::string message = "event: ";
  message += event;
  message += "\ndata: ";
  message += json;
  message += "\n\n";
  return message;
}

void AppendTimeFields(const LocalTime& time, int64_t timeMs, std::string& out) {
  out += "\"timeMs\":";
  AppendJsonInteger(timeMs, out);
  out += ",\"time\":\"";
  AppendIsoTime(time, out);
  out += '"';
}

const char* QuantityName(ValueQuantity quantity) {
  switch (quantity) {
    case ValueQuantity::kFahrenheit:
      return "fahrenheit";
    case ValueQuantity::kPercent:
      return "percent";
    case ValueQuantity::kNumber:
      return "number";
    case ValueQuantity::kNone:
      break;
  }
  return "none";
}

const char* SeverityName(PageEventSeverity severity) {
  switch (severity) {
    case PageEventSeverity::kState:
      return "state";
    case PageEventSeverity::kWarning:
      return "warning";
    case PageEventSeverity::kFault:
      return "fault";
    case PageEventSeverity::kInfo:
      break;
  }
  return "info";
}

void AppendEventJson(const PageEvent& event, std::string& out) {
  out += '{';
  AppendTimeFields(event.time, event.timeMs, out);
  out += ",\"severity\":\"";
  out += SeverityName(event.severity);
  out += "\",\"kind\":";
  AppendJsonString(event.kind, out);
  if (!event.parameter.empty()) {
    out += ",\"tab\":";
    AppendJsonShownText(event.tab, out);
    out += ",\"parameter\":";
    AppendJsonShownText(event.parameter, out);
    out += ",\"before\":";
    AppendJsonShownText(event.before, out);
    out += ",\"after\":";
    AppendJsonShownText(event.after, out);
  }
  out += ",\"text\":";
  AppendJsonShownText(event.text, out);
  out += '}';
}

std::string RecordJson(const RunRecord& record) {
  std::string json = "{\"sequence\":";
  AppendJsonInteger(static_cast<int64_t>(record.sequence), json);
  json += ',';
  AppendTimeFields(record.time, record.timeMs, json);
  const size_t filled = std::min({record.filledRows, record.texts.size(), record.numbers.size()});
  json += ",\"texts\":[";
  for (size_t row = 0; row < filled; ++row) {
    if (row > 0) json += ',';
    AppendJsonShownText(record.texts[row], json);
  }
  json += "],\"numbers\":[";
  for (size_t row = 0; row < filled; ++row) {
    if (row > 0) json += ',';
    AppendJsonNumber(record.numbers[row], json);
  }
  json += "]}";
  return json;
}

// The file name of path, after its last slash.
std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

PageUpdate::PageUpdate(std::shared_ptr<const RunRecord> record) : m_record(std::move(record)) {}

PageUpdate::PageUpdate(std::string message) : m_message(std::move(message)) {}

const std::string& PageUpdate::Message() const {
  if (m_record) std::call_once(m_made, [this] { m_message = SseMessage("record", RecordJson(*m_record)); });
  return m_message;
}

void LiveState::StartRun(const RunStart& start) {
  const std::lock_guard lock(m_mutex);
  m_phase = RunPhase::kRunning;
  m_start = start;
  m_end = RunEnd{};
  const RunLayout& layout = *start.layout;
  m_tabTexts = UnitTabTexts(std::min(layout.layout.numDevices, kShownUnitCount));
  m_texts.assign(layout.rows.size(), std::string());
  m_records = 0;
  m_lastSequence = 0;
  m_lastRecordTime = LocalTime{};
  m_lastRecordMs = 0;
  // As in the window, the banner shows from Start until the first record; a
  // replay's banner follows its recorded gaps alone.
  m_bannerShown = !start.replay;
  m_lineLost.clear();
  m_noFrameMatches.clear();
  m_archiveDone = 0;
  m_archiveTotal = 0;
  m_series.Reset(layout);
  AddEventLocked(RunStartedEvent(start));
  PublishLocked(std::make_shared<PageUpdate>(std::string()));
}

void LiveState::TakeRecord(const std::shared_ptr<const RunRecord>& record) {
  const std::lock_guard lock(m_mutex);
  if (m_phase != RunPhase::kRunning) return;
  const size_t filled = std::min({record->filledRows, record->texts.size(), m_texts.size()});
  std::copy_n(record->texts.begin(), filled, m_texts.begin());
  m_records = record->sequence;
  m_lastSequence = record->sequence;
  m_lastRecordTime = record->time;
  m_lastRecordMs = record->timeMs;
  m_series.Add(record->timeMs, record->numbers, std::min(record->filledRows, record->numbers.size()));
  const bool bannerWasShown = m_bannerShown;
  m_bannerShown = false;
  if (bannerWasShown) PublishLocked(std::make_shared<PageUpdate>(SseMessage("link", LinkJsonLocked())));
  // Without a stream nobody needs the change; a stream that opens later
  // starts from the whole state.
  if (m_openStreams > 0) PublishLocked(std::make_shared<PageUpdate>(record));
}

void LiveState::TakeRunEvent(const RunEvent& event) {
  const std::lock_guard lock(m_mutex);
  bool linkChanged = true;
  switch (event.kind) {
    case RunEventKind::kLineQuiet:
      m_bannerShown = true;
      break;
    case RunEventKind::kLineReceiving:
      m_bannerShown = false;
      break;
    case RunEventKind::kLineLost:
      m_lineLost = PageEventOf(event, m_start)->text;
      break;
    case RunEventKind::kLineBack:
      m_lineLost.clear();
      break;
    case RunEventKind::kNoFrameMatches:
      m_noFrameMatches = PageEventOf(event, m_start)->text;
      break;
    case RunEventKind::kFramesMatch:
      m_noFrameMatches.clear();
      break;
    case RunEventKind::kArchiveProgress:
      m_archiveDone = event.count;
      m_archiveTotal = event.total;
      PublishLocked(std::make_shared<PageUpdate>(SseMessage("run", RunJsonLocked())));
      return;
    default:
      linkChanged = false;
      break;
  }
  if (linkChanged) PublishLocked(std::make_shared<PageUpdate>(SseMessage("link", LinkJsonLocked())));
  if (const std::optional<PageEvent> entry = PageEventOf(event, m_start)) AddEventLocked(*entry);
}

void LiveState::EndRun(const RunEnd& end) {
  const std::lock_guard lock(m_mutex);
  m_phase = RunPhase::kEnded;
  m_end = end;
  m_archiveDone = 0;
  m_archiveTotal = 0;
  PublishLocked(std::make_shared<PageUpdate>(SseMessage("run", RunJsonLocked())));
  for (const PageEvent& entry : RunEndedEvents(end)) AddEventLocked(entry);
}

void LiveState::AddEvent(const PageEvent& event) {
  const std::lock_guard lock(m_mutex);
  AddEventLocked(event);
}

void LiveState::AddEventLocked(const PageEvent& event) {
  m_events.push_back(event);
  if (m_events.size() > kKeptEvents) m_events.pop_front();
  std::string json;
  AppendEventJson(event, json);
  PublishLocked(std::make_shared<PageUpdate>(SseMessage("event", json)));
}

void LiveState::PublishLocked(std::shared_ptr<const PageUpdate> update) {
  ++m_version;
  m_updates.push_back(std::move(update));
  if (m_updates.size() > kKeptUpdates) m_updates.pop_front();
  m_changed.notify_all();
}

std::string LiveState::LinkJsonLocked() const {
  const char* state = "idle";
  std::string text;
  if (!m_lineLost.empty()) {
    state = "lost";
    text = m_lineLost;
  } else if (!m_noFrameMatches.empty()) {
    state = "no-frame-matches";
    text = m_noFrameMatches;
  } else if (m_bannerShown) {
    state = "quiet";
  } else if (m_phase == RunPhase::kRunning) {
    state = "receiving";
  }
  std::string json = "{\"banner\":";
  json += m_bannerShown ? "true" : "false";
  json += ",\"state\":\"";
  json += state;
  json += "\",\"text\":";
  AppendJsonShownText(text, json);
  json += '}';
  return json;
}

std::string LiveState::RunJsonLocked() const {
  static constexpr const char* kPhaseNames[] = {"none", "running", "ended"};
  std::string json = "{\"state\":\"";
  json += kPhaseNames[static_cast<int>(m_phase)];
  json += '"';
  if (m_phase != RunPhase::kNone) {
    json += ",\"port\":";
    AppendJsonShownText(m_start.portName, json);
    json += ",\"device\":";
    AppendJsonShownText(m_start.devicePath, json);
    json += ",\"log\":";
    AppendJsonShownText(m_start.logPath, json);
    json += ",\"logName\":";
    AppendJsonShownText(BaseName(m_start.logPath), json);
    json += ",\"replay\":";
    json += m_start.replay ? "true" : "false";
    json += ",\"replayLog\":";
    AppendJsonShownText(m_start.replayPath, json);
    json += ",\"started\":{";
    AppendTimeFields(m_start.time, m_start.timeMs, json);
    json += "},\"records\":";
    AppendJsonInteger(static_cast<int64_t>(m_records), json);
  }
  if (m_archiveTotal > 0) {
    json += ",\"archiving\":{\"done\":";
    AppendJsonInteger(static_cast<int64_t>(m_archiveDone), json);
    json += ",\"total\":";
    AppendJsonInteger(static_cast<int64_t>(m_archiveTotal), json);
    json += '}';
  }
  if (m_phase == RunPhase::kEnded) {
    json += ",\"ended\":{";
    AppendTimeFields(m_end.time, m_end.timeMs, json);
    json += "},\"archive\":";
    AppendJsonShownText(m_end.archivePath, json);
    json += ",\"failures\":[";
    for (size_t f = 0; f < m_end.failureMessages.size(); ++f) {
      if (f > 0) json += ',';
      AppendJsonShownText(m_end.failureMessages[f], json);
    }
    json += ']';
  }
  json += '}';
  return json;
}

void LiveState::AppendTabsJsonLocked(std::string& out) const {
  out += '[';
  const std::vector<RunList> noLists;
  const RunLayout* layout = m_start.layout.get();
  const std::vector<RunList>& lists = layout ? layout->lists : noLists;
  for (size_t tab = 0; tab < m_tabTexts.size(); ++tab) {
    if (tab > 0) out += ',';
    out += "{\"text\":";
    AppendJsonShownText(m_tabTexts[tab], out);
    out += ",\"rows\":[";
    // List L is attached to tab L, as in the window; a tab without a list
    // (fewer than two units) shows no rows.
    if (tab < lists.size()) {
      const RunList& list = lists[tab];
      for (size_t r = 0; r < list.rowCount; ++r) {
        const size_t row = list.firstRow + r;
        if (r > 0) out += ',';
        out += "{\"row\":";
        AppendJsonInteger(static_cast<int64_t>(row), out);
        out += ",\"parameter\":";
        AppendJsonShownText(layout->rows[row].label, out);
        out += ",\"value\":";
        AppendJsonShownText(row < m_texts.size() ? m_texts[row] : std::string(), out);
        out += ",\"quantity\":\"";
        out += QuantityName(layout->rows[row].quantity);
        out += "\"}";
      }
    }
    out += "]}";
  }
  out += ']';
}

std::string LiveState::StateJson(uint64_t* version) const {
  std::string json = "{\"program\":\"plenx-logger\",\"version\":";
  AppendJsonString(kPlenxVersionText, json);
  const std::lock_guard lock(m_mutex);
  if (version) *version = m_version;
  json += ",\"run\":";
  json += RunJsonLocked();
  json += ",\"link\":";
  json += LinkJsonLocked();
  json += ",\"record\":";
  if (m_lastSequence == 0) {
    json += "null";
  } else {
    json += "{\"sequence\":";
    AppendJsonInteger(static_cast<int64_t>(m_lastSequence), json);
    json += ',';
    AppendTimeFields(m_lastRecordTime, m_lastRecordMs, json);
    json += '}';
  }
  json += ",\"tabs\":";
  AppendTabsJsonLocked(json);
  json += ",\"series\":";
  m_series.AppendJson(json);
  json += ",\"events\":[";
  const size_t first = m_events.size() > kEventsInState ? m_events.size() - kEventsInState : 0;
  for (size_t e = first; e < m_events.size(); ++e) {
    if (e > first) json += ',';
    AppendEventJson(m_events[e], json);
  }
  json += "]}";
  return json;
}

std::string LiveState::EventsJson() const {
  std::string json = "{\"events\":[";
  const std::lock_guard lock(m_mutex);
  for (size_t e = 0; e < m_events.size(); ++e) {
    if (e > 0) json += ',';
    AppendEventJson(m_events[e], json);
  }
  json += "]}";
  return json;
}

std::string LiveState::LogPath() const {
  const std::lock_guard lock(m_mutex);
  return m_phase == RunPhase::kNone ? std::string() : m_start.logPath;
}

FeedWait LiveState::WaitForChanges(uint64_t after, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(m_mutex);
  m_changed.wait_for(lock, timeout, [&] { return m_closed || m_version > after; });
  FeedWait wait;
  wait.closed = m_closed;
  wait.version = m_version;
  if (m_version <= after) return wait;
  const uint64_t missing = m_version - after;
  if (missing > m_updates.size()) {
    wait.tooFarBehind = true;
    return wait;
  }
  wait.changes.assign(m_updates.end() - static_cast<std::ptrdiff_t>(missing), m_updates.end());
  return wait;
}

void LiveState::Close() {
  const std::lock_guard lock(m_mutex);
  m_closed = true;
  m_changed.notify_all();
}

void LiveState::StreamOpened() {
  const std::lock_guard lock(m_mutex);
  ++m_openStreams;
}

void LiveState::StreamClosed() {
  const std::lock_guard lock(m_mutex);
  --m_openStreams;
}
