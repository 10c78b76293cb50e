// Texts cross into Qt as UTF-8 when valid and as Windows-1252 otherwise,
// and come back as the same bytes.
#include "ui/text_codec.h"

#include <gtest/gtest.h>

namespace {

// "\260" is the byte 0xB0, the degree sign in Windows-1252.

struct DecodeCase {
  const char* name;
  std::string bytes;
  std::u16string expected;
};

TEST(TextCodecTest, DecodesUtf8WhenValidElseWindows1252) {
  const DecodeCase cases[] = {
      {"ascii", "COM1", u"COM1"},
      {"degree sign of a label", "25.0 \260F", u"25.0 \u00B0F"},
      {"euro and quotes from the 0x80 row", "\x80 \x93x\x94", u"\u20AC \u201Cx\u201D"},
      {"undefined 0x81 keeps its number", "\x81", u"\u0081"},
      {"utf-8 file name", "/tmp/Z\xC3\xBCrich.log", u"/tmp/Z\u00FCrich.log"},
      {"utf-8 outside Windows-1252", "\xE6\x97\xA5.log", u"\u65E5.log"},
      {"utf-8 four bytes", "\xF0\x9F\x98\x80", u"\U0001F600"},
      {"overlong form is not utf-8", "\xC0\x80", u"\u00C0\u20AC"},
      {"surrogate is not utf-8", "\xED\xA0\x80", u"\u00ED\u00A0\u20AC"},
      {"truncated sequence is not utf-8", "a\xE2\x82", u"a\u00E2\u201A"},
      {"above U+10FFFF is not utf-8", "\xF4\x90\x80\x80", u"\u00F4\u0090\u20AC\u20AC"},
  };
  for (const DecodeCase& c : cases) {
    EXPECT_EQ(TextToQt(c.bytes).toStdU16String(), c.expected) << c.name;
  }
}

TEST(TextCodecTest, TextFromQtGivesWindows1252BytesBackAndUtf8ForTheRest) {
  for (const std::string bytes : {"25.0 \260F", "\x80\x81\x8D\x8F\x90\x9D\x9F\xFF", "plain"}) {
    EXPECT_EQ(TextFromQt(TextToQt(bytes)), bytes);
  }
  EXPECT_EQ(TextFromQt(QString::fromUtf16(u"\u65E5 \u00B0")), "\xE6\x97\xA5 \xC2\xB0");
}

}  // namespace
