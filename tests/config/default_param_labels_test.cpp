// The built-in label table: its shape, its byte encoding and sample texts.
#include "config/default_param_labels.h"

#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace {

TEST(DefaultParamLabels, OnlyEntry69IsNullAndTextsAreTrimmedWindows1252) {
  int degreeSigns = 0;
  for (int i = 0; i < kDefaultParamLabelCount; ++i) {
    if (i == 69) {
      EXPECT_EQ(DefaultParamLabels[i], nullptr);
      continue;
    }
    ASSERT_NE(DefaultParamLabels[i], nullptr) << i;
    const std::string_view text = DefaultParamLabels[i];
    ASSERT_FALSE(text.empty()) << i;
    EXPECT_NE(text.front(), ' ') << i;
    EXPECT_NE(text.back(), ' ') << i;
    for (const char byte : text) {
      const auto value = static_cast<unsigned char>(byte);
      // The degree sign is the only byte outside ASCII, and never as UTF-8.
      EXPECT_TRUE(value < 0x80 || value == 0xB0) << i << ": " << text;
      if (value == 0xB0) ++degreeSigns;
    }
  }
  EXPECT_EQ(degreeSigns, 22);
}

TEST(DefaultParamLabels, SampleEntries) {
  struct Case {
    int index;
    std::string text;
  };
  const Case cases[] = {
      {0, "CMP | FAN | PFC (0=OFF / 1=ON)"},
      {10,
       "Outdoor Air Temperature [\xB0"
       "F]"},
      {33, "SetCommand: 58213 + (1=OU_StFl/2=OU_Rst/3=IU_StFl/4=IU_Rst/5=IR_Rst/6=NO_IR_Rst)"},
      {68, "OUTDOOR UNIT IR SVN"},
      {70, "Target Working Mode (0=OFF / 1=COOL / 2=DRY / 3=HEAT / 4=FAN / 5=AUTO)"},
      {91, "Flap 1 (0=Closed / 1=Open) [x100] + Flap 2 Pos. (0=AutoSwing 1/2/3/4/5/6 7=FullSwing)"},
      {105,
       "COND Correction [16th \xB0"
       "F]"},
      {109, "Software Version"},
      {110, "Target Working Mode"},
      {134,
       "Outlet Water Temperature [\xB0"
       "F]"},
      {149, "Software Version"},
  };
  for (const Case& c : cases) EXPECT_EQ(DefaultParamLabels[c.index], c.text) << c.index;
}

TEST(DefaultParamLabels, SharedTextsWithinRanges) {
  auto count = [](int first, int last, std::string_view text) {
    int found = 0;
    for (int i = first; i <= last; ++i) found += DefaultParamLabels[i] == text;
    return found;
  };
  EXPECT_EQ(count(110, 149, "-"), 30);
  EXPECT_EQ(count(70, 109, "-"), 2);
  EXPECT_EQ(count(70, 109, "Expansion Valve"), 2);
  EXPECT_EQ(count(0, 68, "-"), 0);
}

}  // namespace
