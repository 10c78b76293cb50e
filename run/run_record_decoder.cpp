// Record texts into row texts and numbers.
#include "run/run_record_decoder.h"

#include <algorithm>
#include <limits>
#include <utility>

RunRecordDecoder::RunRecordDecoder(std::shared_ptr<const RunLayout> layout)
    : m_layout(std::move(layout)), m_decoder(m_layout->layout) {}

void RunRecordDecoder::Decode(RunRecord& record) {
  // The decoder's rows are the layout's, those of the units past the shown
  // ones after them; a record short of those still counts as short.
  const size_t present = m_decoder.Load(record.text);
  const size_t rowCount = m_layout->rows.size();
  record.filledRows = std::min(present, rowCount);
  record.missingPosition = m_decoder.MissingPosition();
  record.texts.assign(rowCount, std::string());
  record.numbers.assign(rowCount, std::numeric_limits<double>::quiet_NaN());
  for (size_t row = 0; row < record.filledRows; ++row) {
    m_decoder.AppendText(row, record.texts[row]);
    record.numbers[row] = m_decoder.Value(row);
  }
}
