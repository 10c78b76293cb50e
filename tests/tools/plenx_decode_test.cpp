// plenx-decode as a technician runs it: captures in, one line per frame out.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "link/frame_encoder.h"
#include "testkit/temp_folder.h"

namespace {

struct ToolRun {
  int exitCode;
  std::string out;
  std::string err;
};

class PlenxDecode : public testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(m_folder.path().empty()); }

  std::string WriteCapture(const std::vector<uint8_t>& bytes) { return m_folder.Write("capture.bin", bytes); }

  ToolRun Decode(const std::string& args) {
    const std::string out = m_folder.Path("out.txt");
    const std::string err = m_folder.Path("err.txt");
    const std::string command =
        std::string(PLENX_BIN_DIR) + "/plenx-decode " + args + " >" + out + " 2>" + err;
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileBytes(out), ReadFileBytes(err)};
  }

  TempFolder m_folder;
};

TEST_F(PlenxDecode, PrintsWorkedExamplesExactly) {
  struct Case {
    const char* args;
    std::vector<uint8_t> bytes;
    const char* expected;
  };
  std::vector<uint8_t> sixtyFour = {0xFF, 0xF0};
  std::string sixtyFourText = "0\t";
  for (int i = 0; i < 64; ++i) {
    sixtyFour.insert(sixtyFour.end(), {0xFF, 0xFE});
    sixtyFourText += "32767,";
  }
  sixtyFour.insert(sixtyFour.end(), {0x01, 0x30});
  sixtyFourText += "\n";
  const std::vector<Case> cases = {
      {"--values 3", {0xFF, 0xF0, 0x7F, 0x7F, 0x7F, 0x80, 0x7F, 0x7E, 0x04, 0xED}, "0\t0,1,-1,\n"},
      {"--layout 2,0,7", {0xFF, 0xF3, 0xFF, 0xFE, 0x00, 0x00, 0x03, 0xF2}, "3\t32767,-32512,\n"},
      {"--layout 0,2,2",
       {0xFF, 0xF1, 0x80, 0x80, 0x7F, 0x7D, 0x7F, 0xE3, 0x83, 0x6B, 0x06, 0x42},
       "1\t256,-2,100,1000,\n"},
      {"--values 64", sixtyFour, sixtyFourText.c_str()},
      {"--values 1",
       {0xFF, 0xF0, 0x00, 0x0F, 0x02, 0x00, 0xFF, 0xF0, 0x00, 0x0F, 0x01, 0xFF},
       "0\t-32497,\n0\t-32497,\n"},
      {"--values 1", {0xFF, 0xF0, 0xFF, 0xFF, 0x03, 0xF0}, "0\t-32768,\n"},
  };
  for (const Case& c : cases) {
    const std::string capture = WriteCapture(c.bytes);
    const ToolRun run = Decode(std::string(c.args) + " " + capture);
    EXPECT_EQ(run.exitCode, 0) << c.args;
    EXPECT_EQ(run.out, c.expected) << c.args;
    // The same capture through standard input.
    EXPECT_EQ(Decode(std::string(c.args) + " - <" + capture).out, c.expected) << c.args;
  }
}

TEST_F(PlenxDecode, DefaultLayoutDecodesALongStreamInOrder) {
  std::vector<uint8_t> stream;
  std::string expected;
  std::vector<int16_t> values(229);
  for (int frame = 0; frame < 500; ++frame) {
    for (size_t i = 0; i < values.size(); ++i) {
      values[i] = static_cast<int16_t>((frame * 131 + static_cast<int>(i) * 17) % 20000 - 10000);
    }
    stream.insert(stream.end(), {0x00, 0x12});  // garbage between frames
    AppendFrame(stream, frame % 5, values);
    expected += std::to_string(frame % 5) + "\t";
    for (const int16_t value : values) expected += std::to_string(value) + ",";
    expected += "\n";
  }
  const ToolRun run = Decode(WriteCapture(stream));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, expected);
}

TEST_F(PlenxDecode, BadArgumentsAndUnreadableFiles) {
  struct Case {
    std::string args;
    int exitCode;
    std::string errorMentions;
  };
  const std::string missing = m_folder.Path("no-such-capture.bin");
  const std::vector<Case> cases = {
      {"--values 0", 2, "usage: plenx-decode"},
      {"--values -3", 2, "usage: plenx-decode"},
      {"--values abc", 2, "usage: plenx-decode"},
      {"--layout 69,4", 2, "usage: plenx-decode"},
      {"--layout 0,0,0", 2, "usage: plenx-decode"},
      {"--values", 2, "usage: plenx-decode"},
      {"--values 3 --layout 1,1,1", 2, "usage: plenx-decode"},
      {"--frobnicate", 2, "usage: plenx-decode"},
      {"a.bin b.bin", 2, "usage: plenx-decode"},
      {missing, 1, "no-such-capture.bin"},
      {m_folder.path(), 1, m_folder.path()},
  };
  for (const Case& c : cases) {
    const ToolRun run = Decode(c.args);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.args;
    EXPECT_NE(run.err.find(c.errorMentions), std::string::npos) << c.args << ": " << run.err;
    EXPECT_TRUE(run.out.empty()) << c.args;
  }
}

TEST_F(PlenxDecode, ReportsAnOutputThatCannotBeWritten) {
  const std::string capture = WriteCapture(EncodeFrame(0, std::vector<int16_t>(229)));
  const std::string command =
      std::string(PLENX_BIN_DIR) + "/plenx-decode " + capture + " >/dev/full 2>/dev/null";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
}

}  // namespace
