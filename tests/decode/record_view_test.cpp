// Whole records to list texts: row structure per layout, the texts of every
// row, layouts other than the default, and records too short for the layout.
#include "decode/record_view.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "decode/shown_params.h"

namespace {

using Texts = std::vector<std::string>;

// A record whose value at every position is the position: "0,1,...,".
std::string PositionRecord(int64_t count, bool trailingComma = true) {
  std::string text;
  for (int64_t i = 0; i < count; ++i) {
    text += std::to_string(i);
    if (trailingComma || i + 1 < count) {
      text += ',';
    }
  }
  return text;
}

std::vector<int64_t> Positions(const std::vector<ShownRow>& rows) {
  std::vector<int64_t> positions;
  for (const ShownRow& row : rows) {
    positions.push_back(row.position);
  }
  return positions;
}

TEST(ListRowsTest, DefaultLayoutRows) {
  const auto lists = ListRows(RecordLayout{});
  ASSERT_EQ(lists.size(), 5u);
  EXPECT_EQ(Positions(lists[0]), (std::vector<int64_t>{3, 5, 7, 9, 10, 11, 15, 30, 39, 67}));
  EXPECT_EQ(Positions(lists[4]), (std::vector<int64_t>{190, 192, 194, 195, 196, 197, 199, 200, 201, 202, 205,
                                                       206, 213, 215, 216, 228}));
  EXPECT_EQ(lists[1].front().position, 70);
  EXPECT_EQ(lists[1].back().param, 39);
}

TEST(ListRowsTest, SmallLayoutShowsOnlyParamsBelowItsCounts) {
  const auto lists = ListRows(RecordLayout{10, 3, 12});
  ASSERT_EQ(lists.size(), 4u);
  EXPECT_EQ(Positions(lists[0]), (std::vector<int64_t>{3, 5, 7, 9}));
  EXPECT_EQ(Positions(lists[1]), (std::vector<int64_t>{11, 13, 15, 16, 17, 18, 20, 21}));
  EXPECT_EQ(Positions(lists[3]), (std::vector<int64_t>{35, 37, 39, 40, 41, 42, 44, 45}));
}

// Expected texts worked out by hand from the rules (temperatures as the
// float nearest to v / 16 * 9 / 5 + 32, to one decimal).
TEST(DecodeRecordTest, PositionRecordDefaultLayout) {
  const RecordLayout layout;
  const RecordTexts texts = DecodeRecord(layout, PositionRecord(229));
  EXPECT_FALSE(texts.tooShort);
  EXPECT_EQ(texts.missingPosition, -1);
  ASSERT_EQ(texts.listTexts.size(), 5u);
  EXPECT_EQ(texts.listTexts[0],
            (Texts{"Stop", "Stop", "Off", "33.0", "33.1", "33.2", "NA", "Fault", "36.4", "67"}));
  EXPECT_EQ(texts.listTexts[1], (Texts{"Off", "Open", "40.3", "-", "Disabled", "40.7", "40.9", "41.0", "41.1",
                                       "41.2", "85", "86", "42.5", "Fault", "96", "108"}));
  // Unit 1 has the indoor rules 40 positions on.
  EXPECT_EQ(texts.listTexts[2][2], "44.8");  // set-point, position 114
  EXPECT_EQ(texts.listTexts[2][15], "148");
  EXPECT_EQ(texts.listTexts[4], (Texts{"Off", "-", "53.8", "53.9", "-", "-", "-", "54.5", "-", "-", "205",
                                       "Running", "56.0", "Fault", "216", "228"}));

  // The text without its trailing comma decodes the same.
  const RecordTexts withoutComma = DecodeRecord(layout, PositionRecord(229, false));
  EXPECT_FALSE(withoutComma.tooShort);
  EXPECT_EQ(withoutComma.listTexts, texts.listTexts);
}

// S = 10, A = 12, N = 3: the unit values start at 10 and no unit rule
// position (70 and above) is reached, so the units show generic texts.
TEST(DecodeRecordTest, SmallLayoutUsesGenericTexts) {
  const RecordLayout layout{10, 3, 12};
  const RecordTexts texts = DecodeRecord(layout, PositionRecord(46));
  EXPECT_FALSE(texts.tooShort);
  ASSERT_EQ(texts.listTexts.size(), 4u);
  EXPECT_EQ(texts.listTexts[0], (Texts{"Stop", "Stop", "Off", "33.0"}));
  // Positions 11, 13, 15/16, 16/16, 17, 18/16, 20/16 (a half), 21/16.
  EXPECT_EQ(texts.listTexts[1], (Texts{"11", "13", "0.9", "1", "17", "1.1", "1.3", "1.3"}));
  EXPECT_EQ(texts.listTexts[3], (Texts{"35", "37", "2.4", "2.5", "41", "2.6", "2.8", "2.8"}));
}

// With three units the record ends at 188: the last unit shown (unit 2, on
// the tab named ZIZU) keeps the indoor rules, since rules follow positions.
TEST(DecodeRecordTest, ThreeUnitsReachNoZizuRule) {
  const RecordTexts texts = DecodeRecord(RecordLayout{69, 3, 40}, PositionRecord(189));
  EXPECT_FALSE(texts.tooShort);
  ASSERT_EQ(texts.listTexts.size(), 4u);
  EXPECT_EQ(texts.listTexts[3], (Texts{"Off", "Open", "49.3", "-", "Disabled", "49.7", "49.9", "50.0", "50.1",
                                       "50.2", "165", "166", "51.5", "Fault", "176", "188"}));
}

TEST(DecodeRecordTest, FieldTextsReadAsNumbers) {
  // Compressor "   2723" (blanks skipped), Fan "60abc" (digits up to the
  // first other character), Working Mode empty (0), temperature "400".
  const RecordTexts texts = DecodeRecord(RecordLayout{10, 0, 0}, "0,0,0,   2723,0,60abc,0,,0,400,");
  EXPECT_FALSE(texts.tooShort);
  EXPECT_EQ(texts.listTexts[0], (Texts{"50 %", "Running", "Off", "77.0"}));
}

struct ShortCase {
  const char* name;
  RecordLayout layout;
  int64_t values;
  int64_t missingPosition;
  std::vector<size_t> rowsWritten;  // per list
};

// A shown position without a field stops the record there: the rows before
// it keep their texts, the rest are not written and lists not reached are
// absent.
TEST(DecodeRecordTest, StopsAtFirstMissingPosition) {
  const ShortCase cases[] = {
      {"RecordEndsInOutdoorList", RecordLayout{}, 3, 5, {1}},
      // 69 + 4 * 800 values; unit 3's parameter 39 lies at 2508.
      {"LayoutBeyondFieldLimit", RecordLayout{69, 4, 800}, 3269, 2508, {10, 16, 16, 16, 15}},
      // Position 2500 is the first one the field limit leaves out.
      {"FirstPositionPastLimit", RecordLayout{2461, 1, 40}, 2501, 2500, {10, 15}},
      // Unit counts far beyond the record stop at its end, cheaply.
      {"HugeUnitCount", RecordLayout{69, INT32_MAX, 40}, 229, 230, {10, 16, 16, 16, 16}},
      {"HugeCounts", RecordLayout{INT32_MAX, INT32_MAX, INT32_MAX}, 229, int64_t{INT32_MAX} + 1, {10}},
  };
  for (const ShortCase& c : cases) {
    const RecordTexts texts = DecodeRecord(c.layout, PositionRecord(c.values));
    EXPECT_TRUE(texts.tooShort) << c.name;
    EXPECT_EQ(texts.missingPosition, c.missingPosition) << c.name;
    ASSERT_EQ(texts.listTexts.size(), c.rowsWritten.size()) << c.name;
    for (size_t list = 0; list < c.rowsWritten.size(); ++list) {
      EXPECT_EQ(texts.listTexts[list].size(), c.rowsWritten[list]) << c.name << " list " << list;
    }
  }
}

TEST(DecodeRecordTest, UnitsWithoutShownParamsGiveOnlyTheOutdoorList) {
  const RecordTexts texts = DecodeRecord(RecordLayout{69, INT32_MAX, 1}, PositionRecord(229));
  EXPECT_FALSE(texts.tooShort);
  ASSERT_EQ(texts.listTexts.size(), 1u);
  EXPECT_EQ(texts.listTexts[0].size(), 10u);
}

TEST(DecodeRecordTest, LastPositionWithinFieldLimitIsShown) {
  const RecordTexts texts = DecodeRecord(RecordLayout{2460, 1, 40}, PositionRecord(2500));
  EXPECT_FALSE(texts.tooShort);
  ASSERT_EQ(texts.listTexts[1].size(), 16u);
  EXPECT_EQ(texts.listTexts[1].back(), "2499");
}

TEST(DecodeRecordTest, FillsExactlyTheRowsListRowsGives) {
  for (const RecordLayout layout :
       {RecordLayout{}, RecordLayout{10, 3, 12}, RecordLayout{40, 2, 27}, RecordLayout{0, 1, 1}}) {
    const auto rows = ListRows(layout);
    const RecordTexts texts = DecodeRecord(layout, PositionRecord(RecordValueCount(layout)));
    EXPECT_FALSE(texts.tooShort);
    ASSERT_LE(texts.listTexts.size(), rows.size());
    for (size_t list = 0; list < rows.size(); ++list) {
      // A list without rows may be absent from the texts.
      const size_t written = list < texts.listTexts.size() ? texts.listTexts[list].size() : 0;
      EXPECT_EQ(written, rows[list].size()) << "list " << list;
    }
  }
}

}  // namespace
