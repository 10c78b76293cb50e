// The window's events of the latest run: begun anew at each start, the
// oldest dropped beyond the cap with serials kept, and the values at an
// event's record by tab with its row marked.
#include "run/event_history.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "decode/outdoor_rules.h"
#include "run/run_record_decoder.h"

namespace {

ChangeEvent EventOf(ChangeKind kind, std::string after) {
  ChangeEvent event;
  event.kind = kind;
  event.after = std::move(after);
  return event;
}

TEST(EventHistoryTest, BeginsAnewAtEachStartAndDropsTheOldestBeyondItsCap) {
  EventHistory history(3);
  EXPECT_TRUE(history.Add({EventOf(ChangeKind::kRunStarted, "Started"), nullptr, nullptr}));
  for (const char* after : {"a", "b", "c"}) {
    EXPECT_FALSE(history.Add({EventOf(ChangeKind::kValue, after), nullptr, nullptr}));
  }
  // Four added, three kept: the start went, the others keep their numbers.
  EXPECT_EQ(history.Size(), 3u);
  EXPECT_EQ(history.FirstSerial(), 1u);
  EXPECT_EQ(history.EndSerial(), 4u);
  EXPECT_EQ(history.Find(0), nullptr);
  ASSERT_NE(history.Find(1), nullptr);
  EXPECT_EQ(history.Find(1)->event.after, "a");
  EXPECT_EQ(history.Find(3)->event.after, "c");
  EXPECT_EQ(history.Find(4), nullptr);

  EXPECT_TRUE(history.Add({EventOf(ChangeKind::kRunStarted, "Started"), nullptr, nullptr}));
  EXPECT_EQ(history.Size(), 1u);
  EXPECT_EQ(history.FirstSerial(), 0u);
  EXPECT_EQ(history.Find(0)->event.kind, ChangeKind::kRunStarted);
}

TEST(EventHistoryTest, ValuesAtAnEventAreTheRecordsTextsByTabWithItsRowMarked) {
  LoggerConfig config;
  config.Load("");
  const auto layout = std::make_shared<const RunLayout>(MakeRunLayout(config));
  RunRecordDecoder decoder(layout);
  std::string text;
  for (int position = 0; position < layout->valuesPerRecord; ++position) {
    text += std::to_string(position == kDiagnosticLevelParam ? 7 : 0) + ",";
  }
  RunRecord record;
  record.text = text;
  decoder.Decode(record);

  size_t diagnosticRow = 0;
  while (layout->rows[diagnosticRow].listIndex != kOutdoorListIndex ||
         layout->rows[diagnosticRow].param != kDiagnosticLevelParam) {
    ++diagnosticRow;
  }
  ChangeEvent event = EventOf(ChangeKind::kValue, "Overcurrent Compressor");
  event.row = diagnosticRow;
  const EventValues values = ValuesAtEvent(*layout, record, event);
  ASSERT_EQ(values.tabs.size(), layout->lists.size());
  for (size_t list = 0; list < layout->lists.size(); ++list) {
    EXPECT_EQ(values.tabs[list].text, layout->lists[list].tabText);
    ASSERT_EQ(values.tabs[list].rows.size(), layout->lists[list].rowCount);
  }
  ASSERT_EQ(values.changedTab, kOutdoorListIndex);
  const DumpRow& changed = values.tabs[kOutdoorListIndex].rows[static_cast<size_t>(values.changedRow)];
  EXPECT_EQ(changed.parameter, layout->rows[diagnosticRow].label);
  EXPECT_EQ(changed.value, "Overcurrent Compressor");
  EXPECT_EQ(values.tabs.back().rows.back().value, record.texts.back());

  // A short record's missing rows read empty; the run's own events mark none.
  record.filledRows = diagnosticRow;
  const EventValues shortValues = ValuesAtEvent(*layout, record, EventOf(ChangeKind::kRunStopped, "Stopped"));
  EXPECT_EQ(shortValues.changedTab, -1);
  EXPECT_EQ(shortValues.tabs[kOutdoorListIndex].rows[static_cast<size_t>(values.changedRow)].value, "");
  EXPECT_EQ(shortValues.tabs[kOutdoorListIndex].rows[0].value, record.texts[0]);
}

}  // namespace
