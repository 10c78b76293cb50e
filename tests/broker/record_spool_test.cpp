// The spool keeps records in order across a restart, within its limits,
// and survives an entry cut short by a kill.
#include "broker/record_spool.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "testkit/temp_folder.h"

namespace {

constexpr SpoolLimits kRoomy{1024 * 1024, 3'600'000};

std::vector<std::string> ReadAll(RecordSpool& spool) {
  std::vector<std::string> payloads;
  SpoolPosition at = spool.Head();
  while (std::optional<SpoolEntry> entry = spool.Read(at)) {
    payloads.push_back(entry->payload);
    at = entry->next;
  }
  return payloads;
}

TEST(RecordSpoolTest, KeepsOrderAcrossReopenAndForgetsWhatWasDropped) {
  TempFolder folder;
  const std::string dir = folder.Path("spool");
  {
    RecordSpool spool;
    ASSERT_TRUE(spool.Open(dir, kRoomy)) << spool.Problem();
    for (int i = 1; i <= 5; ++i) ASSERT_TRUE(spool.Append(1000, "record " + std::to_string(i)));
    const std::optional<SpoolEntry> first = spool.Read(spool.Head());
    ASSERT_TRUE(first);
    spool.DropBefore(first->next);
    EXPECT_EQ(ReadAll(spool), (std::vector<std::string>{"record 2", "record 3", "record 4", "record 5"}));

    RecordSpool second;
    EXPECT_FALSE(second.Open(dir, kRoomy)) << "two loggers shared a spool";
    EXPECT_NE(second.Problem().find("in use by another logger"), std::string::npos) << second.Problem();
  }
  RecordSpool reopened;
  ASSERT_TRUE(reopened.Open(dir, kRoomy));
  EXPECT_EQ(ReadAll(reopened), (std::vector<std::string>{"record 2", "record 3", "record 4", "record 5"}));
  ASSERT_TRUE(reopened.Append(1000, "record 6"));
  EXPECT_EQ(ReadAll(reopened).back(), "record 6");
}

TEST(RecordSpoolTest, CutsAnEntryAKillLeftHalfWritten) {
  TempFolder folder;
  const std::string dir = folder.Path("spool");
  {
    RecordSpool spool;
    ASSERT_TRUE(spool.Open(dir, kRoomy));
    ASSERT_TRUE(spool.Append(1000, "whole"));
    ASSERT_TRUE(spool.Append(1000, "cut short"));
  }
  std::string segmentFile;
  for (const auto& item : std::filesystem::directory_iterator(dir)) {
    if (item.path().extension() == ".seg") segmentFile = item.path().string();
  }
  std::filesystem::resize_file(segmentFile, std::filesystem::file_size(segmentFile) - 3);
  RecordSpool spool;
  ASSERT_TRUE(spool.Open(dir, kRoomy));
  EXPECT_EQ(ReadAll(spool), (std::vector<std::string>{"whole"}));
  ASSERT_TRUE(spool.Append(1000, "next"));
  EXPECT_EQ(ReadAll(spool), (std::vector<std::string>{"whole", "next"}));
}

TEST(RecordSpoolTest, DropsTheOldestPastItsLimitsAndCountsThem) {
  TempFolder folder;
  RecordSpool spool;
  // The smallest segments are 64 KiB: 256 KiB hold about four of them.
  const SpoolLimits limits{256 * 1024, 60'000};
  ASSERT_TRUE(spool.Open(folder.Path("spool"), limits));
  const std::string payload(1000, 'x');
  const int appended = 1000;  // about 1 MB
  for (int i = 0; i < appended; ++i) ASSERT_TRUE(spool.Append(1000, std::to_string(i) + payload));
  EXPECT_LE(spool.Bytes(), limits.maxBytes);
  const uint64_t dropped = spool.TakeDroppedCount();
  const std::vector<std::string> kept = ReadAll(spool);
  EXPECT_EQ(dropped + kept.size(), static_cast<uint64_t>(appended));
  EXPECT_GT(dropped, 0u);
  // The newest are kept, in order.
  EXPECT_EQ(kept.back(), std::to_string(appended - 1) + payload);
  EXPECT_EQ(kept.front(), std::to_string(dropped) + payload);

  // Age: entries from before the limit go, the younger stay.
  ASSERT_TRUE(spool.Append(70'000, "young"));
  spool.DropExpired(65'000);
  EXPECT_EQ(ReadAll(spool), (std::vector<std::string>{"young"}));
  EXPECT_EQ(spool.TakeDroppedCount(), kept.size());
}

}  // namespace
