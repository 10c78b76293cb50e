// --rotate, --keep-days and --min-free on a command line: given values land
// in the settings, missing ones leave what the caller put there (the
// remembered settings), and a bad value refuses the line with its reason.
#include "upkeep/rotation_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Parses args after the program name into settings; the refusal's text, or
// "" when the line was accepted.
std::string Parse(std::vector<std::string> args, RotationSettings& settings) {
  CLI::App app("test", "plenx-logger");
  AddRotationOptions(app, settings);
  args.insert(args.begin(), "plenx-logger");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  try {
    app.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::ParseError& error) {
    return error.what();
  }
  return "";
}

TEST(RotationOptions, GivenValuesOverrideTheRemembered) {
  const RotationSettings remembered{.rotate = RotationKind::kDaily, .keepDays = 30, .minFreeMB = 500};
  struct Case {
    std::vector<std::string> args;
    RotationSettings expected;
  };
  const Case cases[] = {
      {{}, remembered},
      {{"--rotate", "none"}, {.rotate = RotationKind::kNone, .keepDays = 30, .minFreeMB = 500}},
      {{"--rotate=size:10M", "--keep-days", "0"},
       {.rotate = RotationKind::kSize, .rotateBytes = 10 << 20, .keepDays = 0, .minFreeMB = 500}},
      {{"--min-free", "0", "--keep-days", "7"},
       {.rotate = RotationKind::kDaily, .keepDays = 7, .minFreeMB = 0}},
  };
  for (const Case& c : cases) {
    RotationSettings settings = remembered;
    EXPECT_EQ(Parse(c.args, settings), "");
    EXPECT_EQ(settings, c.expected);
  }
}

TEST(RotationOptions, BadValuesAreRefusedWithTheReason) {
  struct Case {
    std::vector<std::string> args;
    std::string reasonPart;
  };
  const Case cases[] = {
      {{"--rotate", "weekly"}, "weekly is none of daily, size:N or none"},
      {{"--rotate", "size:1k"}, "must be a number of bytes from 65536 (64k) up"},
      {{"--keep-days", "-1"}, "--keep-days"},
      {{"--keep-days", "36501"}, "--keep-days"},
      {{"--keep-days", "seven"}, "--keep-days"},
      {{"--min-free", "-5"}, "--min-free"},
      {{"--rotate"}, "--rotate"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.front());
    RotationSettings settings;
    const std::string refusal = Parse(c.args, settings);
    EXPECT_NE(refusal.find(c.reasonPart), std::string::npos) << refusal;
  }
}

}  // namespace
