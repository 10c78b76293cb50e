// Records as a run hands them to its faces, made without a run: the run's
// layout from a configuration and records decoded once, for the tests and
// benchmarks of faces.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "config/logger_config.h"
#include "decode/record_decoder.h"
#include "decode/time_stamp.h"
#include "decode/unit_tabs.h"
#include "run/run_layout.h"
#include "run/run_record.h"

// The layout a run of config hands its faces: the window's lists, their
// rows in record order with labels and quantities.
inline std::shared_ptr<const RunLayout> RunLayoutOf(const LoggerConfig& config) {
  auto layout = std::make_shared<RunLayout>();
  layout->layout = config.Layout();
  layout->valuesPerRecord = config.ValuesPerRecord();
  const RecordDecoder decoder(config.ShownLayout());
  const std::vector<std::string> tabs = UnitTabTexts(config.ShownUnitCount());
  for (size_t row = 0; row < decoder.RowCount(); ++row) {
    const ListRow& listRow = decoder.Row(row);
    const auto list = static_cast<size_t>(listRow.listIndex);
    if (list >= layout->lists.size()) layout->lists.push_back(RunList{tabs[list], row, 0});
    ++layout->lists[list].rowCount;
    const std::vector<std::string>& labels = list == 0 ? config.statusLabels : config.acLabels[list - 1];
    layout->rows.push_back(RunRow{listRow.listIndex, listRow.shown.param, listRow.shown.position,
                                  decoder.Quantity(row), labels[static_cast<size_t>(listRow.shown.param)]});
  }
  return layout;
}

// A record as a run hands it to its faces: decoded once, texts and numbers.
inline std::shared_ptr<const RunRecord> RunRecordOf(RecordDecoder& decoder, uint64_t sequence, int64_t timeMs,
                                                    std::string text) {
  auto record = std::make_shared<RunRecord>();
  record->sequence = sequence;
  record->timeMs = timeMs;
  record->time = WallClockTime(timeMs);
  record->filledRows = decoder.Load(text);
  record->text = std::move(text);
  record->logged = true;
  for (size_t row = 0; row < decoder.RowCount(); ++row) {
    decoder.AppendText(row, record->texts.emplace_back());
    record->numbers.push_back(decoder.Value(row));
  }
  return record;
}
