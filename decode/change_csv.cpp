// Header and rows of the events CSV.
#include "decode/change_csv.h"

#include <string_view>

#include "decode/csv_field.h"
#include "decode/time_stamp.h"

namespace {

constexpr const char* kHeader = "Time,Severity,Unit,Parameter,Before,After";

void AppendField(std::string_view text, std::string& out) {
  out += ',';
  const size_t start = out.size();
  out += text;
  FinishCsvField(out, start);
}

}  // namespace

void AppendChangeCsvHeader(std::string& out) {
  out += kHeader;
  out += kCsvLineEnd;
}

void AppendChangeCsvRow(const ChangeEvent& event, std::string& out) {
  AppendIsoTime(event.time, out);
  AppendField(SeverityName(event.severity), out);
  AppendField(event.tab, out);
  AppendField(event.parameter, out);
  AppendField(event.before, out);
  AppendField(event.after, out);
  out += kCsvLineEnd;
}
