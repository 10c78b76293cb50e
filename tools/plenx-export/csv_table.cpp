// Header and rows of the CSV table of a log.
#include "tools/plenx-export/csv_table.h"

#include <vector>

#include "decode/csv_field.h"
#include "decode/shown_params.h"
#include "decode/time_stamp.h"
#include "decode/unit_tabs.h"

namespace {

constexpr const char* kTimeColumnHead = "Time";

}  // namespace

CsvTable::CsvTable(const LoggerConfig& config, CellContent content)
    // The columns are the window's lists: those of the units it shows.
    : m_decoder(config.ShownLayout()), m_content(content), m_valuesPerRecord(config.ValuesPerRecord()) {
  m_header = kTimeColumnHead;
  const std::vector<std::string> tabTexts = UnitTabTexts(config.ShownUnitCount());
  const std::vector<std::vector<ShownRow>> lists = ListRows(config.ShownLayout());
  for (size_t list = 0; list < lists.size(); ++list) {
    // The labels the window's list shows in its Parameter column.
    const std::vector<std::string>* labels = list == kOutdoorListIndex           ? &config.statusLabels
                                             : list - 1 < config.acLabels.size() ? &config.acLabels[list - 1]
                                                                                 : nullptr;
    for (const ShownRow& row : lists[list]) {
      m_header += ',';
      const size_t start = m_header.size();
      m_header += list < tabTexts.size() ? tabTexts[list] : std::string();
      m_header += '/';
      const auto param = static_cast<size_t>(row.param);
      if (labels != nullptr && param < labels->size()) m_header += (*labels)[param];
      FinishCsvField(m_header, start);
      ++m_columnCount;
    }
  }
  m_header += kCsvLineEnd;
}

void CsvTable::AppendRow(const LogLine& line, std::string& out) {
  AppendIsoTime(line.time, out);
  const size_t present = m_decoder.Load(line.record);
  for (size_t row = 0; row < present; ++row) {
    out.push_back(',');
    const size_t start = out.size();
    if (m_content == CellContent::kListText) {
      m_decoder.AppendText(row, out);
    } else {
      m_decoder.AppendNumber(row, out);
    }
    FinishCsvField(out, start);
  }
  out.append(m_columnCount - present, ',');
  out += kCsvLineEnd;
}
