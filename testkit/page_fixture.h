// Runs for the page's tests: a layout as the run core gives it, and records
// of the simulated installation decoded once, as the core hands them to its
// faces; and the views the window shows for them, from the window's own
// decoding, to compare the page with.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "config/logger_config.h"
#include "decode/record_decoder.h"
#include "decode/record_view.h"
#include "decode/shown_params.h"
#include "decode/time_stamp.h"
#include "decode/unit_tabs.h"
#include "decode/view_dump.h"
#include "run/run_observer.h"
#include "testkit/run_records.h"
#include "testkit/simulated_log.h"
#include "tools/plenx-board-sim/board_model.h"

// Records of the simulated installation, one every kSimulatedRecordIntervalMs
// from a start time on, decoded as the run core decodes them.
class SimulatedRecords {
 public:
  SimulatedRecords(const LoggerConfig& config, uint32_t seed)
      : m_model(config.Layout(), seed), m_decoder(config.ShownLayout()), m_nextMs(WallClockMs(kStart)) {}

  // The next record, and its text in lastText().
  std::shared_ptr<const RunRecord> Next() {
    m_model.Advance(kSimulatedRecordIntervalMs / 1000.0);
    return Make(SimulatedRecordText(m_model));
  }

  // A record of text, decoded.
  std::shared_ptr<const RunRecord> Make(const std::string& text) {
    auto record = std::make_shared<RunRecord>();
    record->sequence = ++m_sequence;
    record->timeMs = m_nextMs;
    record->time = WallClockTime(m_nextMs);
    m_nextMs += kSimulatedRecordIntervalMs;
    record->text = text;
    record->filledRows = m_decoder.Load(text);
    record->missingPosition = m_decoder.MissingPosition();
    for (size_t row = 0; row < m_decoder.RowCount(); ++row) {
      std::string value;
      if (row < record->filledRows) m_decoder.AppendText(row, value);
      record->texts.push_back(std::move(value));
      record->numbers.push_back(row < record->filledRows ? m_decoder.Value(row) : std::nan(""));
    }
    m_lastText = text;
    return record;
  }

  const std::string& lastText() const { return m_lastText; }
  int64_t nextMs() const { return m_nextMs; }

  static constexpr LocalTime kStart{2015, 3, 7, 14, 5, 9, 42};

 private:
  BoardModel m_model;
  RecordDecoder m_decoder;
  int64_t m_nextMs;
  uint64_t m_sequence = 0;
  std::string m_lastText;
};

// The start of a run on COM9 with config's layout.
inline RunStart TestRunStart(const LoggerConfig& config, const std::string& logPath) {
  RunStart start;
  start.layout = RunLayoutOf(config);
  start.time = SimulatedRecords::kStart;
  start.timeMs = WallClockMs(start.time);
  start.portName = "COM9";
  start.devicePath = "/dev/pts/9";
  start.logPath = logPath;
  return start;
}

// What the window's views show after recordText: every tab with its labels
// and the Value texts DecodeRecord gives, as an unattended run prints them.
inline std::string ExpectedViews(const LoggerConfig& config, const std::string& recordText,
                                 bool bannerShown) {
  ViewDump dump;
  dump.bannerShown = bannerShown;
  const RecordTexts texts = DecodeRecord(config.ShownLayout(), recordText);
  const std::vector<std::vector<ShownRow>> lists = ListRows(config.ShownLayout());
  const std::vector<std::string> tabTexts = UnitTabTexts(config.ShownUnitCount());
  for (size_t tab = 0; tab < tabTexts.size(); ++tab) {
    DumpTab dumpTab{tabTexts[tab], {}};
    if (tab < lists.size()) {
      const std::vector<std::string>& labels = tab == 0 ? config.statusLabels : config.acLabels[tab - 1];
      for (size_t r = 0; r < lists[tab].size(); ++r) {
        const auto param = static_cast<size_t>(lists[tab][r].param);
        const std::string value = tab < texts.listTexts.size() && r < texts.listTexts[tab].size()
                                      ? texts.listTexts[tab][r]
                                      : std::string();
        dumpTab.rows.push_back({param < labels.size() ? labels[param] : std::string(), value});
      }
    }
    dump.tabs.push_back(std::move(dumpTab));
  }
  std::string out;
  AppendViewDump(dump, out);
  return out;
}
