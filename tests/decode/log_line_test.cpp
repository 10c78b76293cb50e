// The log's lines: written with every field zero-padded, read back or
// refused with their reason, and a byte stream cut into numbered lines
// whatever the pieces it arrives in.
#include "decode/log_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decode/log_line_splitter.h"

namespace {

TEST(FormatLogLineTest, ZeroPadsEveryField) {
  EXPECT_EQ(FormatLogLine({987, 1, 2, 3, 4, 5, 6}, "0,"), "0987/01/02-03:04:05.006   -   0,\r\n");
  EXPECT_EQ(FormatLogLine({2015, 3, 7, 14, 5, 9, 42}, ""), "2015/03/07-14:05:09.042   -   \r\n");
}

TEST(ParseLogLineTest, ReadsBackWhatTheLogWrites) {
  const struct {
    LocalTime time;
    std::string record;
    int values;
  } cases[] = {
      {{2015, 3, 7, 14, 5, 9, 42}, "12,-3,300,", 3},
      {{2016, 2, 29, 23, 59, 60, 999}, "0,", 1},  // a leap day and a leap second
      {{987, 1, 2, 3, 4, 5, 6}, "-32512,32512,", 2},
  };
  for (const auto& c : cases) {
    std::string line = FormatLogLine(c.time, c.record);
    ASSERT_TRUE(line.ends_with("\r\n"));
    line.pop_back();  // the LF goes with the line splitter; the CR stays
    LogLine parsed;
    std::string reason;
    ASSERT_TRUE(ParseLogLine(line, parsed, reason)) << line << ": " << reason;
    EXPECT_EQ(parsed.time, c.time) << line;
    EXPECT_EQ(parsed.record, c.record) << line;
    EXPECT_EQ(parsed.valueCount, c.values) << line;
    // A file whose CRs were taken out reads the same.
    line.pop_back();
    ASSERT_TRUE(ParseLogLine(line, parsed, reason)) << line << ": " << reason;
    EXPECT_EQ(parsed.record, c.record) << line;
  }
}

TEST(ParseLogLineTest, RefusesWhatIsNotALogLineWithItsReason) {
  const struct {
    const char* name;
    std::string line;
    std::string reason;
  } cases[] = {
      {"Empty", "", "empty line"},
      {"OnlyCarriageReturn", "\r", "empty line"},
      {"Prose", "Service visit, unit 2 replaced", "no time stamp YYYY/MM/DD-hh:mm:ss.mmm at the start"},
      {"IsoTimeStamp", "2015-03-07T14:05:09.042   -   1,",
       "no time stamp YYYY/MM/DD-hh:mm:ss.mmm at the start"},
      {"NoMilliseconds", "2015/03/07-14:05:09   -   1,",
       "no time stamp YYYY/MM/DD-hh:mm:ss.mmm at the start"},
      {"CutInTimeStamp", "2015/03/07-14:0", "no time stamp YYYY/MM/DD-hh:mm:ss.mmm at the start"},
      {"ThirteenthMonth", "2015/13/07-14:05:09.042   -   1,",
       "no such date or time: 2015/13/07-14:05:09.042"},
      {"NoLeapDay", "2015/02/29-14:05:09.042   -   1,", "no such date or time: 2015/02/29-14:05:09.042"},
      {"DayZero", "2015/03/00-14:05:09.042   -   1,", "no such date or time: 2015/03/00-14:05:09.042"},
      {"Hour24", "2015/03/07-24:00:00.000   -   1,", "no such date or time: 2015/03/07-24:00:00.000"},
      {"Minute60", "2015/03/07-14:60:09.042   -   1,", "no such date or time: 2015/03/07-14:60:09.042"},
      {"OneBlankSeparator", "2015/03/07-14:05:09.042 - 1,", "no \"   -   \" after the time stamp"},
      {"StampOnly", "2015/03/07-14:05:09.042", "no \"   -   \" after the time stamp"},
      {"NoValues", "2015/03/07-14:05:09.042   -   ", "no values after the time stamp"},
      {"NoLastComma", "2015/03/07-14:05:09.042   -   12,-3,300",
       "the record ends without its last comma (cut short?)"},
      {"LoneMinusAtEnd", "2015/03/07-14:05:09.042   -   12,-", "a lone '-' at the end, at column 34"},
      {"EmptyValue", "2015/03/07-14:05:09.042   -   12,,3,", "',' where a value belongs, at column 34"},
      {"Blank", "2015/03/07-14:05:09.042   -   12, 3,", "' ' where a value belongs, at column 34"},
      {"PlusSign", "2015/03/07-14:05:09.042   -   +12,", "'+' where a value belongs, at column 31"},
      {"LetterInValue", "2015/03/07-14:05:09.042   -   12x,", "'x' in a value, at column 33"},
      {"CarriageReturnInside", "2015/03/07-14:05:09.042   -   1\r2,", "byte 0x0D in a value, at column 32"},
      // An appended run whose old file lacked a final line end.
      {"TwoLinesRunTogether", "2015/03/07-14:05:09.042   -   1,2015/03/07-14:05:10.042   -   1,",
       "'/' in a value, at column 37"},
  };
  for (const auto& c : cases) {
    LogLine parsed;
    std::string reason;
    EXPECT_FALSE(ParseLogLine(c.line, parsed, reason)) << c.name;
    EXPECT_EQ(reason, c.reason) << c.name;
  }
}

// Each line with its number and whether it was cut, as one text per line.
std::vector<std::string> LinesOf(const std::vector<std::string>& pieces) {
  LogLineSplitter splitter;
  std::vector<std::string> lines;
  const auto onLine = [&lines](const TextLine& line) {
    lines.push_back(std::to_string(line.number) + (line.overlong ? " cut " : " ") +
                    std::to_string(line.text.size()) + ":" + std::string(line.text.substr(0, 8)));
  };
  for (const std::string& piece : pieces) splitter.Feed(piece, onLine);
  splitter.Finish(onLine);
  return lines;
}

TEST(LogLineSplitterTest, SameLinesWhateverThePieces) {
  const std::string stream = "first\r\n\nthird line\nno line end";
  const std::vector<std::string> expected = {"1 6:first\r", "2 0:", "3 10:third li", "4 11:no line "};
  EXPECT_EQ(LinesOf({stream}), expected);
  for (size_t cut = 0; cut <= stream.size(); ++cut) {
    EXPECT_EQ(LinesOf({stream.substr(0, cut), stream.substr(cut)}), expected) << cut;
  }
  std::vector<std::string> bytes;
  for (const char c : stream) bytes.emplace_back(1, c);
  EXPECT_EQ(LinesOf(bytes), expected);
  EXPECT_EQ(LinesOf({"ends\n"}), std::vector<std::string>{"1 4:ends"});
  EXPECT_EQ(LinesOf({""}), std::vector<std::string>{});
}

// Memory stays bounded: a line longer than the limit is handed out cut to
// it and marked, within one piece or across many, and the next line is whole.
TEST(LogLineSplitterTest, OverlongLineIsCutAndMarked) {
  const std::string longLine(kMaxLogLineBytes + 1, 'x');
  const std::string limitLine(kMaxLogLineBytes, 'y');
  const std::string max = std::to_string(kMaxLogLineBytes);
  const std::vector<std::string> expected = {"1 cut " + max + ":xxxxxxxx", "2 " + max + ":yyyyyyyy",
                                             "3 4:next"};
  EXPECT_EQ(LinesOf({longLine + "\n" + limitLine + "\nnext\n"}), expected);
  std::vector<std::string> pieces;
  for (size_t at = 0; at < longLine.size(); at += 4096) pieces.push_back(longLine.substr(at, 4096));
  pieces.push_back("\n" + limitLine.substr(0, 10));
  pieces.push_back(limitLine.substr(10) + "\nnext");
  EXPECT_EQ(LinesOf(pieces), expected);
}

}  // namespace
