// The text form of the views: the banner line, then each tab with its rows,
// every text in UTF-8 as the window shows it.
#include "decode/view_dump.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ViewDumpTest, BannerThenEachTabWithItsRowsInUtf8) {
  ViewDump dump;
  dump.bannerShown = true;
  // A Windows-1252 degree sign, a label typed in UTF-8, a tab without a list.
  dump.tabs = {{"OUTDOOR",
                {{"Fan", "Running"},
                 {"Outdoor Air Temperature [\xB0"
                  "F]",
                  "37.0"}}},
               {"INDOOR A / HK", {{"Mode caf\xC3\xA9", "Heat"}}},
               {"ZIZU", {}}};
  std::string text = "before\n";
  AppendViewDump(dump, text);
  EXPECT_EQ(text,
            "before\n"
            "banner: shown\n"
            "[OUTDOOR]\n"
            "Fan\tRunning\n"
            "Outdoor Air Temperature [\xC2\xB0"
            "F]\t37.0\n"
            "[INDOOR A / HK]\n"
            "Mode caf\xC3\xA9\tHeat\n"
            "[ZIZU]\n");

  dump.bannerShown = false;
  dump.tabs.clear();
  text.clear();
  AppendViewDump(dump, text);
  EXPECT_EQ(text, "banner: hidden\n");
}

}  // namespace
