// File names between WTF-8 and 16-bit units: every unit sequence, lone
// surrogates included, comes back unchanged; bytes that are not WTF-8 stand
// for their Windows-1252 characters.
#include "platform/wide_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(WideText, UnitsAndTheirWtf8Form) {
  struct Case {
    std::u16string units;
    std::string bytes;
  };
  const Case cases[] = {
      {u"", ""},
      {u"C:\\logs\\site.log", "C:\\logs\\site.log"},
      {u"M\u00E9sures \u00B0F",
       "M\xC3\xA9sures \xC2\xB0"
       "F"},
      {u"\u03A9\u20AC", "\xCE\xA9\xE2\x82\xAC"},
      {u"\U0001F321", "\xF0\x9F\x8C\xA1"},             // a pair: one code point of four bytes
      {std::u16string(1, u'\xD83C'), "\xED\xA0\xBC"},  // a high surrogate alone
      {std::u16string(1, u'\xDF21'), "\xED\xBC\xA1"},  // a low surrogate alone
      {std::u16string{u'\xDF21', u'\xD83C'}, "\xED\xBC\xA1\xED\xA0\xBC"},  // the wrong way round
      {std::u16string(1, u'\0'), std::string(1, '\0')},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Wtf8FromUtf16(c.units), c.bytes) << c.bytes;
    EXPECT_EQ(Utf16FromWtf8(c.bytes), c.units) << c.bytes;
  }
}

TEST(WideText, BytesThatAreNotWtf8StandForWindows1252Characters) {
  struct Case {
    std::string bytes;
    std::u16string units;
  };
  const Case cases[] = {
      {"M\xE9sures \xB0"
       "F",
       u"M\u00E9sures \u00B0F"},
      {"\x80", u"\u20AC"},
      {"\xC3", u"\u00C3"},                                // a sequence cut short
      {"\xC0\xAF", u"\u00C0\u00AF"},                      // an overlong '/', never a separator
      {"\xF4\x90\x80\x80", u"\u00F4\u0090\u20AC\u20AC"},  // above U+10FFFF
  };
  for (const Case& c : cases) EXPECT_EQ(Utf16FromWtf8(c.bytes), c.units) << c.bytes;
}

}  // namespace
