// Splitting record texts into fields and reading field values like strtol.
#include "decode/record_fields.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

// "0,1,2,...,count-1" with a comma after every value when trailingComma.
std::string CountingRecord(int count, bool trailingComma) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += std::to_string(i);
    if (trailingComma || i + 1 < count) {
      text += ',';
    }
  }
  return text;
}

struct SplitCase {
  const char* name;
  std::string text;
  std::vector<std::string> fields;
};

TEST(SplitRecordTest, SplitsAtCommasKeepingBlanks) {
  const SplitCase cases[] = {
      {"TrailingCommaGivesEmptyLastField", "1,-2,3,", {"1", "-2", "3", ""}},
      {"NoTrailingComma", "0,1,2", {"0", "1", "2"}},
      {"EmptyFieldInside", "5,,7,", {"5", "", "7", ""}},
      {"LoneComma", ",", {"", ""}},
      {"EmptyText", "", {}},
      {"BlanksAndTabsKept", " 1,\t2 ,", {" 1", "\t2 ", ""}},
  };
  for (const SplitCase& c : cases) {
    std::vector<std::string> fields = {"stale"};
    EXPECT_EQ(SplitRecord(c.text, fields), static_cast<int>(c.fields.size())) << c.name;
    EXPECT_EQ(fields, c.fields) << c.name;
  }
}

struct LimitCase {
  const char* name;
  int values;
  bool trailingComma;
  int expectedFields;
  const char* expectedLast;
};

// The array never holds more than 2500 fields: the trailing empty field is
// only added while there is room, and values past the limit are dropped.
TEST(SplitRecordTest, KeepsAtMost2500Fields) {
  const LimitCase cases[] = {
      {"JustBelowLimitWithTrailingComma", 2499, true, 2500, ""},
      {"AtLimitWithTrailingComma", 2500, true, 2500, "2499"},
      {"AtLimitWithoutTrailingComma", 2500, false, 2500, "2499"},
      {"BeyondLimit", 3000, true, 2500, "2499"},
  };
  for (const LimitCase& c : cases) {
    std::vector<std::string> fields;
    EXPECT_EQ(SplitRecord(CountingRecord(c.values, c.trailingComma), fields), c.expectedFields) << c.name;
    ASSERT_EQ(fields.size(), static_cast<size_t>(c.expectedFields)) << c.name;
    EXPECT_EQ(fields.back(), c.expectedLast) << c.name;
  }
}

TEST(FieldValueTest, ReadsLikeStrtol) {
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
  const struct {
    const char* field;
    int32_t value;
  } cases[] = {
      {"42", 42},
      {"   42", 42},
      {"\t\n\v\f\r 9", 9},
      {"", 0},
      {"12abc", 12},
      {"-7", -7},
      {"+5", 5},
      {"007", 7},
      {"abc", 0},
      {"-", 0},
      {"- 3", 0},
      {"0x10", 0},
      {"1 2", 1},
      {"-32768", -32768},
      {"32767", 32767},
      {"2147483647", kMax},
      {"2147483648", kMax},
      {"99999999999999999999", kMax},
      {"-2147483648", kMin},
      {"-99999999999999999999", kMin},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FieldValue(c.field), c.value) << '"' << c.field << '"';
  }
}

// RecordFieldValues reads whole records in one pass; it must cut and read
// them exactly as SplitRecord followed by FieldValue on every field.
TEST(RecordFieldValuesTest, AgreesWithSplitThenFieldValue) {
  const std::string texts[] = {
      "1,-2,3,",
      "0,1,2",
      "5,,7,",
      ",",
      "",
      " 1,\t2 ,",
      "12abc,+5,-,- 3,0x10,",
      "123456789,1234567890,-999999999,-2147483648,99999999999999999999,",
      "-0,007,",
      "42",
      "-",
      "1,2,,",
      CountingRecord(2499, true),
      CountingRecord(2500, true),
      CountingRecord(2500, false),
      CountingRecord(3000, true),
  };
  for (const std::string& text : texts) {
    std::vector<std::string> fields;
    const int fieldCount = SplitRecord(text, fields);
    std::vector<int32_t> expected;
    for (const std::string& field : fields) expected.push_back(FieldValue(field));
    std::vector<int32_t> values = {99};
    EXPECT_EQ(RecordFieldValues(text, values), fieldCount) << text.substr(0, 40);
    EXPECT_EQ(values, expected) << text.substr(0, 40);
  }
}

}  // namespace
