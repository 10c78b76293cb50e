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
#include "run/run_layout.h"
#include "run/run_record.h"

// The layout a run of config hands its faces, shared as a run shares it.
inline std::shared_ptr<const RunLayout> RunLayoutOf(const LoggerConfig& config) {
  return std::make_shared<const RunLayout>(MakeRunLayout(config));
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
