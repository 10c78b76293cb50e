// plenx-logger's command line: refused arguments, and the screenshot, which
// starts no run.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "config/persisted_settings.h"
#include "tests/e2e/logger_process.h"
#include "tests/support/scoped_env.h"

namespace {

// Width and height from a PNG's IHDR chunk (big-endian, bytes 16 to 23);
// 0 and 0 when the file is no PNG.
std::pair<uint32_t, uint32_t> PngSize(const std::string& bytes) {
  if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0 || bytes.compare(12, 4, "IHDR") != 0)
    return {0, 0};
  const auto word = [&](size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    return value;
  };
  return {word(16), word(20)};
}

TEST(CommandLineTest, BadArgumentsEndWithTheUsageAndStatusTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {"--no-such-option"},
      {"--headless", "extra"},
      {"--seconds", "5"},  // a time limit needs an unattended run
      {"--append"},
      {"--headless", "--port", "COM25"},
      {"--headless", "--seconds", "0"},
      {"--headless", "--dump-every", "soon"},
      {"--headless", "--log", ""},
      {"--headless", "--screenshot", "window.png", "--seconds", "3"},
  };
  for (const std::vector<std::string>& arguments : cases) {
    SCOPED_TRACE(arguments.back());
    ProgramFolder folder;
    LoggerProcess logger(folder, arguments);
    EXPECT_EQ(logger.WaitExit(), 2);
    EXPECT_NE(logger.Err().find("usage: plenx-logger"), std::string::npos) << logger.Err();
    EXPECT_EQ(logger.Out(), "");
  }
}

// A number option says whether its value is no number or out of range.
TEST(CommandLineTest, NumberOptionsTellAWordFromAValueOutOfRange) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--replay", "site.log", "--speed", "abc"}, "abc is not a number"},
      {{"--replay", "site.log", "--speed", "-1"}, "-1 is not in range 0 to 1000000"},
      {{"--headless", "--dump-every", "soon"}, "soon is not a number"},
      {{"--headless", "--seconds", "0"}, "0 is not in range 0.001 to 2147483"},
  };
  for (const auto& [arguments, reason] : cases) {
    SCOPED_TRACE(arguments.back());
    ProgramFolder folder;
    LoggerProcess logger(folder, arguments);
    EXPECT_EQ(logger.WaitExit(), 2);
    EXPECT_NE(logger.Err().find(reason), std::string::npos) << logger.Err();
  }
}

TEST(CommandLineTest, HeadlessScreenshotWritesTheWindowAndStartsNoRun) {
  ProgramFolder folder;
  const std::string png = folder.Files().Path("window.png");
  // Unattended means without a display, whatever the environment says.
  const ScopedEnv platform("QT_QPA_PLATFORM", "xcb");
  const ScopedEnv display("DISPLAY", ":9999");
  LoggerProcess logger(folder, {"--headless", "--port", "COM2", "--screenshot", png});
  EXPECT_EQ(logger.WaitExit(), 0) << logger.Err();
  EXPECT_EQ(PngSize(ReadFileBytes(png)), (std::pair<uint32_t, uint32_t>{750, 390}));
  EXPECT_EQ(ReadPortSetting(), "");  // a run would have stored COM2
  EXPECT_EQ(logger.Out(), "");
}

TEST(CommandLineTest, ScreenshotThatCannotBeWrittenFails) {
  ProgramFolder folder;
  const std::string png = folder.Files().Path("missing/window.png");
  LoggerProcess logger(folder, {"--headless", "--screenshot", png});
  EXPECT_EQ(logger.WaitExit(), 1);
  EXPECT_NE(logger.Err().find("plenx-logger: cannot write " + png), std::string::npos) << logger.Err();
}

}  // namespace
