// One decoder for many records: the numbers behind the Value texts, and
// records of different lengths through the same decoder.
#include "decode/record_decoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "decode/record_view.h"

namespace {

// A default-layout record text, every value 0 but the one at position.
std::string RecordWith(int64_t position, int32_t value) {
  std::string text;
  for (int64_t i = 0; i < 229; ++i) text += (i == position ? std::to_string(value) : "0") + ",";
  return text;
}

// The texts of every row through decoder, list by list as DecodeRecord has them.
std::vector<std::vector<std::string>> TextsOf(const RecordDecoder& decoder, size_t present) {
  std::vector<std::vector<std::string>> lists(1);
  for (size_t row = 0; row < present; ++row) {
    const auto list = static_cast<size_t>(decoder.Row(row).listIndex);
    if (list >= lists.size()) lists.resize(list + 1);
    lists[list].emplace_back();
    decoder.AppendText(row, lists[list].back());
  }
  return lists;
}

// Each row's text, the number plenx-export writes for it, and what a chart
// draws: the quantity and the unrounded number (NaN where none).
TEST(RecordDecoderTest, NumbersBehindTheTexts) {
  constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();
  using ValueQuantity::kFahrenheit, ValueQuantity::kPercent, ValueQuantity::kNumber;
  const struct {
    const char* name;
    int64_t position;
    int32_t value;
    const char* text;
    const char* number;
    ValueQuantity quantity;
    double charted;
  } cases[] = {
      {"CompressorRunning", 3, 2723, "50 %", "50", kPercent, 50},
      {"CompressorStopped", 3, 299, "Stop", "0", kPercent, 0},
      {"FanSendsItsValue", 5, 60, "Running", "60", kNumber, 60},
      {"OutdoorModeCode", 7, 2, "Cool", "2", ValueQuantity::kNone, 2},
      {"OutdoorTemperature", 10, 400, "77.0", "77.0", kFahrenheit, 77},
      // -4 / 16 C is 31.55 F, as a float 31.5499992: shown 31.5, charted unrounded.
      {"OutdoorTemperatureUnrounded", 11, -4, "31.5", "31.5", kFahrenheit, 31.55f},
      {"DefrostCode", 15, 4, "Stopping", "4", ValueQuantity::kNone, 4},
      {"OutdoorFaultCode", 30, 100, "Wrong indoor/outdoor units combination", "100", ValueQuantity::kNone,
       100},
      {"TopShellWithoutSensor", 39, -1, "NA", "", kFahrenheit, kNoValue},
      {"TopShellTemperature", 39, 400, "77.0", "77.0", kFahrenheit, 77},
      {"SoftwareVersionGeneric", 67, 21, "21", "21", kNumber, 21},
      {"IndoorModeCode", 70, 3, "Heat", "3", ValueQuantity::kNone, 3},
      {"ValveSteps", 72, 480, "Open", "480", kNumber, 480},
      {"IndoorPlaceholder", 75, 9, "-", "", ValueQuantity::kNone, kNoValue},
      {"IFeelOddIsOne", 76, 3, "Enabled", "1", ValueQuantity::kNone, 1},
      {"IFeelEvenIsZero", 76, 2, "Disabled", "0", ValueQuantity::kNone, 0},
      {"AirflowGeneric", 85, 1200, "1200", "1200", kNumber, 1200},
      {"IndoorFaultCode", 95, 2, "Float switch alarm", "2", ValueQuantity::kNone, 2},
      {"ZizuSetPoint", 194, 8, "32.9", "32.9", kFahrenheit, 32.9f},
      {"ZizuWaterTemperature", 195, 400, "77.0", "77.0", kFahrenheit, 77},
      {"ZizuPlaceholderOverTemperature", 197, 400, "-", "", ValueQuantity::kNone, kNoValue},
      {"PumpSendsItsValue", 206, 7, "Running", "7", kNumber, 7},
      {"ZizuFaultCode", 215, 2, "Water switch alarm", "2", ValueQuantity::kNone, 2},
  };
  RecordDecoder decoder{RecordLayout{}};
  for (const auto& c : cases) {
    ASSERT_EQ(decoder.Load(RecordWith(c.position, c.value)), decoder.RowCount()) << c.name;
    size_t row = 0;
    while (row < decoder.RowCount() && decoder.Row(row).shown.position != c.position) ++row;
    ASSERT_LT(row, decoder.RowCount()) << c.name;
    std::string text = "kept,";
    std::string number = "kept,";
    decoder.AppendText(row, text);
    decoder.AppendNumber(row, number);
    EXPECT_EQ(text, std::string("kept,") + c.text) << c.name;
    EXPECT_EQ(number, std::string("kept,") + c.number) << c.name;
    EXPECT_EQ(decoder.Quantity(row), c.quantity) << c.name;
    if (std::isnan(c.charted)) {
      EXPECT_TRUE(std::isnan(decoder.Value(row))) << c.name;
    } else {
      EXPECT_EQ(decoder.Value(row), c.charted) << c.name;
    }
  }
}

// A short record in between leaves nothing behind: the next complete record
// reads as DecodeRecord reads it alone.
TEST(RecordDecoderTest, ReusedAcrossRecordsOfDifferentLengths) {
  const RecordLayout layout;
  std::string full;
  for (int i = 0; i < 229; ++i) full += std::to_string(i * 37 % 1000 - 200) + ",";
  const RecordTexts alone = DecodeRecord(layout, full);

  RecordDecoder decoder(layout);
  ASSERT_EQ(decoder.Load(full), decoder.RowCount());
  EXPECT_EQ(decoder.MissingPosition(), -1);
  EXPECT_EQ(decoder.Load("1,2,3,"), 1u);  // only p = 3 has a field
  EXPECT_EQ(decoder.MissingPosition(), 5);
  EXPECT_EQ(decoder.Load(""), 0u);
  EXPECT_EQ(decoder.MissingPosition(), 3);
  ASSERT_EQ(decoder.Load(full), decoder.RowCount());
  EXPECT_EQ(decoder.MissingPosition(), -1);
  EXPECT_EQ(TextsOf(decoder, decoder.RowCount()), alone.listTexts);
}

}  // namespace
