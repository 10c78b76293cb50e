// Header and rows of a chart's visible records.
#include "decode/trend_csv.h"

#include <charconv>
#include <cmath>

#include "decode/csv_field.h"
#include "decode/time_stamp.h"

namespace {

constexpr const char* kTimeColumnHead = "Time";
// Longest shortest-form text of a float, with room to spare.
constexpr size_t kMaxFloatTextBytes = 32;

}  // namespace

void AppendTrendCsv(const TrendTable& table, std::span<const size_t> columns, int64_t fromMs, int64_t toMs,
                    std::string& out) {
  out += kTimeColumnHead;
  for (const size_t column : columns) {
    const TrendColumn& head = table.Columns()[column];
    out += ',';
    const size_t start = out.size();
    out += head.tabText;
    out += '/';
    out += head.label;
    FinishCsvField(out, start);
  }
  out += kCsvLineEnd;

  const std::vector<int64_t>& times = table.TimesMs();
  char number[kMaxFloatTextBytes];
  for (size_t record = 0; record < times.size(); ++record) {
    if (times[record] < fromMs || times[record] > toMs) continue;
    AppendIsoTime(WallClockTime(times[record]), out);
    for (const size_t column : columns) {
      out += ',';
      const float value = table.Values(column)[record];
      if (std::isnan(value)) continue;
      const auto result = std::to_chars(number, number + sizeof number, value);
      out.append(number, result.ptr);
    }
    out += kCsvLineEnd;
  }
}
