// Per-record decoding: the Value text of every list row for one record text,
// in one call. A run decodes its records with one RecordDecoder instead
// (run/run_record_decoder.h), which gives the same texts; this is the
// reference its tests, the fuzz target and the benchmarks hold it to. The
// unit index of a frame plays no part: every record carries all units. The
// rows are those of ListRows (shown_params.h), which the device views create.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/record_layout.h"

struct RecordTexts {
  // Value texts by list and row: element 0 the outdoor list, element u + 1
  // unit u's list. A complete record fills every row ListRows gives; a short
  // one fills the rows up to the first missing position, in the order
  // outdoor, unit 0, unit 1, ..., and the lists it did not reach are absent
  // (so a configured unit count far beyond the record costs nothing).
  std::vector<std::vector<std::string>> listTexts;
  // True when a shown parameter's position had no field in the record; the
  // window then shows "Encountered an improper argument.".
  bool tooShort = false;
  // The first shown position without a field, or -1 when none is missing.
  int64_t missingPosition = -1;
};

// Splits record (a record text, "%d," per value) and formats every shown
// value of the layout: the generic text with the parameter's scale factor,
// then the outdoor rule or the unit rules of its position. Pure; any thread.
RecordTexts DecodeRecord(const RecordLayout& layout, std::string_view record);
