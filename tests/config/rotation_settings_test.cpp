// The rotation as text (the --rotate value and the remembered one) and the
// three remembered settings: read back as written, defaults for anything
// missing or unusable.
#include "config/rotation_settings.h"

#include <gtest/gtest.h>

#include <string>

#include "config/persisted_settings.h"
#include "tests/support/settings_sandbox.h"

namespace {

TEST(RotationSettings, RotationTextReadsAndWritesBack) {
  struct Case {
    const char* text;
    RotationKind kind;
    uint64_t bytes;
    const char* written;  // what RotationText gives back
  };
  const Case cases[] = {
      {"daily", RotationKind::kDaily, 0, "daily"},
      {"none", RotationKind::kNone, 0, "none"},
      {"size:65536", RotationKind::kSize, 65536, "size:64k"},
      {"size:100M", RotationKind::kSize, 100 * 1024 * 1024, "size:100M"},
      {"size:1024M", RotationKind::kSize, uint64_t{1} << 30, "size:1G"},
      {"size:2G", RotationKind::kSize, uint64_t{2} << 30, "size:2G"},
      {"size:70000", RotationKind::kSize, 70000, "size:70000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    RotationSettings settings;
    std::string reason;
    ASSERT_TRUE(ParseRotation(c.text, settings, reason)) << reason;
    EXPECT_EQ(settings.rotate, c.kind);
    EXPECT_EQ(settings.rotateBytes, c.bytes);
    EXPECT_EQ(RotationText(settings), c.written);
  }
  for (const char* bad : {"", "Daily", "weekly", "size:", "size:65535", "size:64K", "size:-1", "size:1T",
                          "size:99999999999999999999", "size:1.5M", "size: 1M"}) {
    SCOPED_TRACE(bad);
    RotationSettings settings{.rotate = RotationKind::kDaily};
    std::string reason;
    EXPECT_FALSE(ParseRotation(bad, settings, reason));
    EXPECT_NE(reason, "");
    EXPECT_EQ(settings.rotate, RotationKind::kDaily);  // unchanged
  }
}

TEST(RotationSettings, RememberedAsWrittenDefaultsOtherwise) {
  const SettingsSandbox settings;
  ASSERT_TRUE(settings.Active());
  EXPECT_EQ(ReadRotationSettings(), RotationSettings{});
  EXPECT_EQ(RotationSettings{}.minFreeMB, kDefaultMinFreeMB);

  const RotationSettings chosen{
      .rotate = RotationKind::kSize, .rotateBytes = 300 * 1024 * 1024, .keepDays = 14, .minFreeMB = 0};
  WriteRotationSettings(chosen);
  EXPECT_EQ(ReadRotationSettings(), chosen);

  WriteTextSetting("Rotate", "hourly");
  WriteTextSetting("KeepDays", "-3");
  WriteTextSetting("MinFreeMB", "lots");
  EXPECT_EQ(ReadRotationSettings(), RotationSettings{});
}

}  // namespace
