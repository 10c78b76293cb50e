// UTF-8 recognition, conversion to Windows-1252 and code-page case folding.
#include "config/text_encoding.h"

#include <string>

#include <gtest/gtest.h>

namespace {

TEST(TextEncoding, RecognisesWellFormedUtf8) {
  struct Case {
    const char* name;
    std::string bytes;
    bool valid;
  };
  const Case cases[] = {
      {"Empty", "", true},
      {"Ascii", "[CONFIG]\r\nNUMDEVICES=4\n", true},
      {"DegreeSign",
       "[\xC2\xB0"
       "F]",
       true},
      {"EuroSign", "\xE2\x82\xAC", true},
      {"FourByteEmoji", "\xF0\x9F\x98\x80", true},
      {"Windows1252DegreeSign",
       "[\xB0"
       "F]",
       false},
      {"LoneContinuationByte", "\x80", false},
      {"TruncatedAtEnd", "abc\xC2", false},
      {"OverlongSlash", "\xC0\xAF", false},
      {"OverlongThreeByte", "\xE0\x80\xAF", false},
      {"Surrogate", "\xED\xA0\x80", false},
      {"AboveUnicode", "\xF4\x90\x80\x80", false},
      {"LeadWithoutTrail",
       "\xC3"
       "A",
       false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << c.name;
}

TEST(TextEncoding, ConvertsUtf8ToWindows1252) {
  struct Case {
    const char* name;
    std::string utf8;
    std::string windows1252;
  };
  const Case cases[] = {
      {"Ascii", "Fan", "Fan"},
      {"DegreeSign",
       "Outdoor Air Temperature [\xC2\xB0"
       "F]",
       "Outdoor Air Temperature [\xB0"
       "F]"},
      {"LatinLetters", "\xC3\xA9\xC3\xBF", "\xE9\xFF"},
      {"EuroAndDashes", "\xE2\x82\xAC\xE2\x80\x93\xE2\x80\x94", "\x80\x96\x97"},
      {"NotInCodePage", "\xE2\x86\x92x", "?x"},
      {"FourByteCharacter", "\xF0\x9F\x98\x80", "?"},
      {"C1ControlWithText", "\xC2\x80", "?"},          // 0x80 is the euro sign
      {"C1ControlUndefinedSlot", "\xC2\x81", "\x81"},  // 0x81 has no text
      {"NulKept", std::string("a\0b", 3), std::string("a\0b", 3)},
      {"NotUtf8Unchanged",
       "[\xB0"
       "F]",
       "[\xB0"
       "F]"},
  };
  for (const Case& c : cases) EXPECT_EQ(Utf8ToWindows1252(c.utf8), c.windows1252) << c.name;
}

TEST(TextEncoding, ConvertsWindows1252ToUtf8) {
  std::string out = "kept ";
  AppendWindows1252AsUtf8(
      "Outdoor Air Temperature [\xB0"
      "F] \x80 \xE9",
      out);
  EXPECT_EQ(out,
            "kept Outdoor Air Temperature [\xC2\xB0"
            "F] \xE2\x82\xAC \xC3\xA9");

  // Every byte of the code page, there and back.
  std::string everyByte;
  for (int byte = 0; byte < 256; ++byte) everyByte.push_back(static_cast<char>(byte));
  std::string utf8;
  AppendWindows1252AsUtf8(everyByte, utf8);
  EXPECT_TRUE(IsValidUtf8(utf8));
  EXPECT_EQ(Utf8ToWindows1252(utf8), everyByte);
}

TEST(TextEncoding, LowerCaseOfWindows1252Letters) {
  EXPECT_EQ(ToLowerWindows1252("DC Bus [V] \xC9\xD7\xDE\x8A\x9F"), "dc bus [v] \xE9\xD7\xFE\x9A\xFF");
  EXPECT_EQ(ToLowerWindows1252("\xB0\xDF\xFF-=|"), "\xB0\xDF\xFF-=|");
}

}  // namespace
