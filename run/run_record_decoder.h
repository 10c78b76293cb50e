// A run's one decoding of its records: each record text into the Value text
// and number of every list row, by the rules the lists show.
#pragma once

#include <memory>

#include "decode/record_decoder.h"
#include "run/run_layout.h"
#include "run/run_record.h"

// One per run, used by one thread at a time (the record path).
class RunRecordDecoder {
 public:
  explicit RunRecordDecoder(std::shared_ptr<const RunLayout> layout);

  // Fills texts, numbers, filledRows and missingPosition of record from its
  // text.
  void Decode(RunRecord& record);

 private:
  std::shared_ptr<const RunLayout> m_layout;
  RecordDecoder m_decoder;
};
