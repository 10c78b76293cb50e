// The shape of a run's records, worked out once from the configuration.
#include "run/run_layout.h"

#include "decode/record_decoder.h"
#include "decode/shown_params.h"
#include "decode/unit_tabs.h"

RunLayout MakeRunLayout(const LoggerConfig& config) {
  RunLayout layout;
  layout.layout = config.Layout();
  layout.valuesPerRecord = config.ValuesPerRecord();
  layout.tabTexts = UnitTabTexts(config.ShownUnitCount());
  // The decoder knows what each row's number measures; it leaves out rows
  // past the fields a record is read into, which are shown but never filled.
  const RecordDecoder decoder(layout.layout);
  const std::vector<std::vector<ShownRow>> listRows = ListRows(config.ShownLayout());
  for (size_t list = 0; list < listRows.size(); ++list) {
    const std::vector<std::string>& labels =
        list == kOutdoorListIndex ? config.statusLabels : config.acLabels[list - 1];
    RunList& shown = layout.lists.emplace_back();
    shown.tabText = list < layout.tabTexts.size() ? layout.tabTexts[list] : std::string();
    shown.firstRow = layout.rows.size();
    shown.rowCount = listRows[list].size();
    for (const ShownRow& row : listRows[list]) {
      RunRow& runRow = layout.rows.emplace_back();
      runRow.listIndex = static_cast<int>(list);
      runRow.param = row.param;
      runRow.position = row.position;
      const size_t index = layout.rows.size() - 1;
      if (index < decoder.RowCount()) runRow.quantity = decoder.Quantity(index);
      const auto label = static_cast<size_t>(row.param);
      if (label < labels.size()) runRow.label = labels[label];
    }
  }
  return layout;
}
