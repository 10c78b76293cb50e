// The record layout: the built-in one, the value count and the "S,N,A" text.
#include "config/record_layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

namespace {

TEST(RecordLayout, BuiltInLayoutCarries229Values) {
  const RecordLayout layout;
  EXPECT_EQ(layout.statusParams, 69);
  EXPECT_EQ(layout.numDevices, 4);
  EXPECT_EQ(layout.acParams, 40);
  EXPECT_EQ(RecordValueCount(layout), 229);
  EXPECT_EQ(RecordValueCount(RecordLayout{INT_MAX, INT_MAX, INT_MAX}),
            int64_t{INT_MAX} + int64_t{INT_MAX} * INT_MAX);
  EXPECT_EQ(RecordValueCount(RecordLayout{69, -1, 40}), 0);
}

TEST(RecordLayout, TextIsThreeCountsSeparatedByCommas) {
  struct Case {
    const char* text;
    std::optional<RecordLayout> layout;
  };
  const Case cases[] = {
      {"69,4,40", RecordLayout{69, 4, 40}},
      {"0,0,0", RecordLayout{0, 0, 0}},
      {"007,1,2", RecordLayout{7, 1, 2}},
      {"69,4", std::nullopt},
      {"69,4,40,1", std::nullopt},
      {"69,,40", std::nullopt},
      {"-1,4,40", std::nullopt},
      {"+1,4,40", std::nullopt},
      {" 1,4,40", std::nullopt},
      {"1,4,40 ", std::nullopt},
      {"1,4,x", std::nullopt},
      {"1,4,99999999999", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    const std::optional<RecordLayout> layout = ParseRecordLayout(c.text);
    ASSERT_EQ(layout.has_value(), c.layout.has_value()) << c.text;
    if (!layout) continue;
    EXPECT_EQ(layout->statusParams, c.layout->statusParams) << c.text;
    EXPECT_EQ(layout->numDevices, c.layout->numDevices) << c.text;
    EXPECT_EQ(layout->acParams, c.layout->acParams) << c.text;
  }
}

}  // namespace
