// The remembered window size and column widths: their stored texts and
// values that do not read.
#include "config/window_settings.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

TEST(WindowSettingsTextTest, WindowSizeReadsOnlyTwoSizesInRange) {
  struct Case {
    const char* text;
    std::optional<WindowSize> size;
  };
  const Case cases[] = {
      {"750,390", WindowSize{750, 390}},
      {"16384,1", WindowSize{16384, 1}},
      {"", std::nullopt},
      {"750", std::nullopt},
      {"750,390,1", std::nullopt},
      {"750,0", std::nullopt},
      {"-750,390", std::nullopt},
      {"16385,390", std::nullopt},
      {"99999999999999,390", std::nullopt},
      {"750 ,390", std::nullopt},
      {"0x2ee,390", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseWindowSize(c.text), c.size) << c.text;
  EXPECT_EQ(FormatWindowSize(WindowSize{1024, 600}), "1024,600");
}

TEST(WindowSettingsTextTest, ColumnWidthsKeepTheirListsAndDropWhatDoesNotRead) {
  EXPECT_EQ(ParseColumnWidths("350,200;0,0;280,180"), (ColumnWidths{{350, 200}, {0, 0}, {280, 180}}));
  EXPECT_EQ(ParseColumnWidths("x,200;-5;20000,7"), (ColumnWidths{{0, 200}, {0}, {0, 7}}));
  EXPECT_EQ(ParseColumnWidths(""), ColumnWidths{});
  // Lists without any width at the end are left out; those before stay.
  EXPECT_EQ(FormatColumnWidths({{0, 0}, {280, 0}, {0, 0}, {}}), "0,0;280,0");
  EXPECT_EQ(FormatColumnWidths({{0, 0}}), "");
}

}  // namespace
