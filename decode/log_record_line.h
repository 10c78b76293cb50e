// A line of a log read as a record of a known layout, or the reason it is
// skipped, in the words every reader of logs gives.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "decode/log_line.h"
#include "decode/log_line_splitter.h"

// True with parsed filled when line is a log line whose record holds
// valuesPerRecord values; otherwise false with reason set: "longer than
// 1048576 bytes", ParseLogLine's reason, or "the record holds 189 values;
// the layout 69,4,40 has 229" (layoutText is "69,4,40").
bool ParseRecordLine(const TextLine& line, int64_t valuesPerRecord, std::string_view layoutText,
                     LogLine& parsed, std::string& reason);
