// State changes of the watched rows, record by record.
#include "decode/change_deriver.h"

#include <cmath>

#include "decode/record_decoder.h"
#include "decode/unit_tabs.h"

namespace {

// kRunning rows: the number behind "Stop" is 0, behind a running output its
// percentage.
bool IsRunning(double number) { return number > 0; }

// kFault rows: code 0 is "NO Fault".
bool IsFault(double code) { return code != 0; }

bool StateChanged(RowEventKind kind, const std::string& lastText, double lastNumber, const std::string& text,
                  double number) {
  switch (kind) {
    case RowEventKind::kRunning:
      return IsRunning(lastNumber) != IsRunning(number);
    case RowEventKind::kFault:
      // The code tells apart the levels one text stands for ("Fault").
      return lastText != text || (lastNumber != number && !std::isnan(lastNumber) && !std::isnan(number));
    case RowEventKind::kState:
    case RowEventKind::kNone:
      break;
  }
  return lastText != text;
}

}  // namespace

std::vector<WatchedRow> WatchedRowsOf(const LoggerConfig& config) {
  const RecordDecoder decoder(config.ShownLayout());
  const std::vector<std::string> tabTexts = UnitTabTexts(config.ShownUnitCount());
  std::vector<WatchedRow> rows;
  for (size_t row = 0; row < decoder.RowCount(); ++row) {
    const RowEventKind kind = decoder.EventKind(row);
    if (kind == RowEventKind::kNone) continue;
    const ListRow& listRow = decoder.Row(row);
    const auto list = static_cast<size_t>(listRow.listIndex);
    const std::vector<std::string>& labels =
        list == kOutdoorListIndex ? config.statusLabels : config.acLabels[list - 1];
    const auto param = static_cast<size_t>(listRow.shown.param);
    rows.push_back(WatchedRow{row, kind, listRow.listIndex, list < tabTexts.size() ? tabTexts[list] : "",
                              param < labels.size() ? labels[param] : ""});
  }
  return rows;
}

ChangeDeriver::ChangeDeriver(std::vector<WatchedRow> rows) : m_rows(std::move(rows)), m_last(m_rows.size()) {}

void ChangeDeriver::Feed(const LocalTime& time, int64_t timeMs, uint64_t record,
                         std::span<const std::string> texts, std::span<const double> numbers,
                         size_t filledRows, std::vector<ChangeEvent>& out) {
  for (size_t i = 0; i < m_rows.size(); ++i) {
    const WatchedRow& watched = m_rows[i];
    if (watched.row >= filledRows || watched.row >= texts.size() || watched.row >= numbers.size()) continue;
    const std::string& text = texts[watched.row];
    const double number = numbers[watched.row];
    LastState& last = m_last[i];
    if (last.known && StateChanged(watched.kind, last.text, last.number, text, number)) {
      ChangeEvent& event = out.emplace_back();
      event.kind = ChangeKind::kValue;
      if (watched.kind == RowEventKind::kFault) {
        event.severity = IsFault(number) ? EventSeverity::kFault : EventSeverity::kCleared;
      }
      event.time = time;
      event.timeMs = timeMs;
      event.record = record;
      event.listIndex = watched.listIndex;
      event.row = watched.row;
      event.tab = watched.tab;
      event.parameter = watched.label;
      event.before = last.text;
      event.after = text;
    }
    last.text = text;
    last.number = number;
    last.known = true;
  }
}

void ChangeDeriver::Reset() {
  for (LastState& last : m_last) last.known = false;
}
