// Tab texts by unit count, in the order the insertions leave them.
#include "decode/unit_tabs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(UnitTabTextsTest, TextsByTabIndex) {
  using Texts = std::vector<std::string>;
  const struct {
    int numDevices;
    Texts texts;
  } cases[] = {
      // Below two units "ZIZU" is inserted before tabs inserted earlier.
      {0, {"ZIZU", "OUTDOOR", "INDOOR A / HK"}},
      {1, {"OUTDOOR", "ZIZU", "INDOOR A / HK"}},
      {2, {"OUTDOOR", "INDOOR A / HK", "ZIZU"}},
      {4, {"OUTDOOR", "INDOOR A / HK", "INDOOR B", "INDOOR C", "ZIZU"}},
      {10,
       {"OUTDOOR", "INDOOR A / HK", "INDOOR B", "INDOOR C", "INDOOR D", "INDOOR E", "INDOOR F", "INDOOR G",
        "INDOOR H", "INDOOR I", "ZIZU"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UnitTabTexts(c.numDevices), c.texts) << c.numDevices;
  }
}

}  // namespace
