// The INI reader: line and name rules, integer values, text decoding, and
// reading files that are missing, odd or hostile.
#include "config/ini_file.h"

#include <filesystem>
#include <optional>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "testkit/temp_folder.h"

namespace {

TEST(IniFile, LookupRules) {
  struct Case {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    std::optional<std::string> value;
  };
  const Case cases[] = {
      {"SectionAndKeyIgnoreCase", "[config]\nNumDevices=2\n", "CONFIG", "NUMDEVICES", "2"},
      {"Windows1252LettersIgnoreCase", "[S]\n\xC9t\xC9=1\n", "s", "\xE9t\xE9", "1"},
      {"SplitAtFirstEquals", "[S]\na=b=c\n", "S", "a", "b=c"},
      {"KeyCannotHoldEquals", "[S]\na=b=c\n", "S", "a=b", std::nullopt},
      {"BlanksTrimmed", "  [ S ]  \n\t key \t=  two words \t\n", "S", "key", "two words"},
      {"DoubleQuotesRemoved", "[S]\nk=\" padded \"\n", "S", "k", " padded "},
      {"SingleQuotesRemoved", "[S]\nk='x'\n", "S", "k", "x"},
      {"UnmatchedQuotesKept", "[S]\nk=\"x'\n", "S", "k", "\"x'"},
      {"LoneQuoteKept", "[S]\nk=\"\n", "S", "k", "\""},
      {"CrLfLineEnds", "[S]\r\nk=v\r\nm=w\r\n", "S", "m", "w"},
      {"NoFinalLineEnd", "[S]\nk=last", "S", "k", "last"},
      {"CommentLine", "[S]\n;k=commented\n  ; k=also\nk=real\n", "S", "k", "real"},
      {"SemicolonInsideValueKept", "[S]\nk=a;b\n", "S", "k", "a;b"},
      {"FirstDuplicateWins", "[S]\nk=first\nK=second\n", "S", "k", "first"},
      {"RepeatedSectionAddsKeys", "[S]\nk=first\n[T]\n[s]\nk=second\nj=3\n", "S", "j", "3"},
      {"RepeatedSectionKeepsFirstValue", "[S]\nk=first\n[s]\nk=second\n", "S", "k", "first"},
      {"EmptyValue", "[S]\nk=\n", "S", "k", ""},
      {"KeyBeforeAnySection", "k=v\n[S]\n", "S", "k", std::nullopt},
      {"LineWithoutEquals", "[S]\nk\n", "S", "k", std::nullopt},
      {"EmptyKeyIgnored", "[S]\n=v\n", "S", "", std::nullopt},
      {"BrokenHeaderStopsSection", "[S]\n[T\nk=v\n", "S", "k", std::nullopt},
      {"TextAfterHeaderIgnored", "[S] trailing\nk=v\n", "S", "k", "v"},
      {"OtherSection", "[S]\nk=v\n[T]\nk=w\n", "T", "k", "w"},
      {"MissingSection", "[S]\nk=v\n", "T", "k", std::nullopt},
      {"NulInsideValue", std::string("[S]\nk=a\0b\n", 10), "S", "k", std::string("a\0b", 3)},
      {"EmptyText", "", "S", "k", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IniFile::Parse(c.text).Find(c.section, c.key), c.value) << c.name;
  }
}

TEST(IniFile, ProfileIntegers) {
  struct Case {
    const char* text;
    std::optional<int32_t> value;
  };
  const Case cases[] = {
      {"4", 4},
      {"+12", 12},
      {"-3", -3},
      {"007", 7},
      {"12abc", 12},
      {"3.9", 3},
      {"2147483647", 2147483647},
      {"2147483648", 2147483647},
      {"-2147483648", INT32_MIN},
      {"-99999999999999999999", INT32_MIN},
      {"", std::nullopt},
      {"abc", std::nullopt},
      {"-", std::nullopt},
      {"+-1", std::nullopt},
      {" 1", std::nullopt},  // values reach here trimmed
  };
  for (const Case& c : cases) EXPECT_EQ(ParseProfileInt(c.text), c.value) << c.text;
}

TEST(IniFile, DecodesUtf8FilesAndKeepsWindows1252Files) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string text;
  };
  const Case cases[] = {
      {"Utf8DegreeSignBecomesOneByte",
       "k [\xC2\xB0"
       "F]=v",
       "k [\xB0"
       "F]=v"},
      {"Utf8ByteOrderMarkDropped", "\xEF\xBB\xBF[S]", "[S]"},
      {"Windows1252Kept",
       "k [\xB0"
       "F]=\xE9",
       "k [\xB0"
       "F]=\xE9"},
      {"MixedIsNotUtf8", "\xC2\xB0 \xB0", "\xC2\xB0 \xB0"},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeConfigText(c.bytes), c.text) << c.name;
}

// Whatever a damaged file holds, its damage stays on its own lines: keys
// before and after it keep their values, a value read as a number is the
// number its leading digits spell, and decoding never lengthens the text.
TEST(IniFile, ArbitraryBytesStayOnTheirOwnLines) {
  std::mt19937 random(20261210);  // fixed seed: a failure is reproducible
  // Bytes biased towards the characters the parser acts on.
  const std::string interesting = "[]=;\"'\r\n \t\xC2\xB0\xEF\xBB\xBF";
  for (int round = 0; round < 2000; ++round) {
    std::string bytes(random() % 200, '\0');
    for (char& byte : bytes) {
      byte = random() % 2 ? interesting[random() % interesting.size()] : static_cast<char>(random() % 256);
    }
    SCOPED_TRACE(testing::PrintToString(bytes));
    const std::string text = "[before]\nkey=1\n" + bytes + "\n[after]\nkey=2\n";
    const std::string decoded = DecodeConfigText(text);
    EXPECT_LE(decoded.size(), text.size());
    const IniFile ini = IniFile::Parse(decoded);
    ASSERT_EQ(ini.Find("before", "key"), "1");
    ASSERT_EQ(ini.Find("after", "key"), "2");

    const int32_t number = static_cast<int32_t>(random());
    const std::string value = std::to_string(number) + bytes;
    if (bytes.empty() || bytes[0] < '0' || bytes[0] > '9') {
      ASSERT_EQ(ParseProfileInt(value), number);
    }
  }
}

TEST(IniFile, ReadsLongLinesWithoutFinalLineEnd) {
  TempFolder folder;
  const std::string longValue(1 << 20, 'x');
  const std::string path = folder.Write("long.ini", "[S]\nk=" + longValue + "\nj=after");
  const IniReadResult read = ReadIniFile(path);
  ASSERT_EQ(read.status, IniReadStatus::kRead);
  EXPECT_EQ(read.file.Find("S", "k"), longValue);
  EXPECT_EQ(read.file.Find("S", "j"), "after");
}

TEST(IniFile, ReadFailuresGiveAnEmptyFile) {
  TempFolder folder;
  const std::string empty = folder.Write("empty.ini", "");
  const IniReadResult emptyRead = ReadIniFile(empty);
  EXPECT_EQ(emptyRead.status, IniReadStatus::kRead);
  EXPECT_EQ(emptyRead.file.Find("S", "k"), std::nullopt);

  EXPECT_EQ(ReadIniFile(folder.Path("missing.ini")).status, IniReadStatus::kUnavailable);
  EXPECT_EQ(ReadIniFile(folder.path()).status, IniReadStatus::kUnavailable);  // a folder

  // A file beyond the limit (sparse where the file system can) is refused
  // unread.
  const std::string huge = folder.Write("huge.ini", "[S]\nk=v\n");
  std::filesystem::resize_file(FsPath(huge), kMaxConfigFileBytes + 1);
  const IniReadResult hugeRead = ReadIniFile(huge);
  EXPECT_EQ(hugeRead.status, IniReadStatus::kTooLarge);
  EXPECT_EQ(hugeRead.file.Find("S", "k"), std::nullopt);
}

}  // namespace
