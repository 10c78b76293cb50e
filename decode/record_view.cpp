// Turns one record text into the Value texts of the outdoor and unit lists.
#include "decode/record_view.h"

#include "decode/record_decoder.h"

RecordTexts DecodeRecord(const RecordLayout& layout, std::string_view record) {
  RecordDecoder decoder(layout);
  const size_t present = decoder.Load(record);

  RecordTexts texts;
  // The outdoor list, even when it has no rows, and the lists reached.
  const size_t listCount = present == 0 ? 1 : static_cast<size_t>(decoder.Row(present - 1).listIndex) + 1;
  texts.listTexts.resize(listCount);
  std::vector<size_t> rowCounts(listCount);
  for (size_t row = 0; row < present; ++row) ++rowCounts[static_cast<size_t>(decoder.Row(row).listIndex)];
  for (size_t list = 0; list < listCount; ++list) texts.listTexts[list].reserve(rowCounts[list]);

  for (size_t row = 0; row < present; ++row) {
    std::string text;
    decoder.AppendText(row, text);
    texts.listTexts[static_cast<size_t>(decoder.Row(row).listIndex)].push_back(std::move(text));
  }
  texts.missingPosition = decoder.MissingPosition();
  texts.tooShort = texts.missingPosition >= 0;
  return texts;
}
