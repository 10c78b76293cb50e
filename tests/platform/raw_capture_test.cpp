// The raw capture file: bytes appended unchanged after what the file holds,
// written in pieces, refused to a second writer, and a failed write that
// leaves no part behind.
#include "platform/raw_capture.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/append_file.h"
#include "testkit/temp_folder.h"

namespace {

// Every byte value, so nothing on the way may translate or drop one.
std::string AllByteValues() {
  std::string bytes;
  for (int value = 0; value < 256; ++value) bytes.push_back(static_cast<char>(value));
  return bytes;
}

void AppendAll(RawCapture& capture, const std::string& bytes) {
  for (const char byte : bytes) ASSERT_TRUE(capture.Append(static_cast<uint8_t>(byte)));
}

TEST(RawCaptureTest, BytesFollowTheFileContentUnchanged) {
  TempFolder folder;
  const std::string path = folder.Write("site.log.raw", "earlier run");
  RawCapture capture;
  ASSERT_EQ(capture.Open(path), 0);
  EXPECT_EQ(capture.FullPath(), path);
  const std::string bytes = AllByteValues();
  AppendAll(capture, bytes);
  // A silence brings the file up to date.
  ASSERT_TRUE(capture.Flush());
  EXPECT_EQ(ReadFileBytes(path), "earlier run" + bytes);

  // A full piece is written without waiting for a silence.
  const std::string piece(RawCapture::kFlushBytes, '\xFF');
  AppendAll(capture, piece);
  EXPECT_EQ(ReadFileBytes(path), "earlier run" + bytes + piece);

  // Close writes what is left; the name stays for a late message.
  AppendAll(capture, "tail");
  EXPECT_TRUE(capture.Close());
  EXPECT_FALSE(capture.IsOpen());
  EXPECT_EQ(capture.FullPath(), path);
  EXPECT_EQ(ReadFileBytes(path), "earlier run" + bytes + piece + "tail");
  // A closed capture takes nothing and fails nothing.
  EXPECT_TRUE(capture.Append('x'));
  EXPECT_EQ(ReadFileBytes(path), "earlier run" + bytes + piece + "tail");
}

TEST(RawCaptureTest, SecondWriterIsRefusedUntilTheFirstCloses) {
  TempFolder folder;
  const std::string path = folder.Path("shared.raw");
  RawCapture first;
  RawCapture second;
  ASSERT_EQ(first.Open(path), 0);
  const int error = second.Open(path);
  EXPECT_EQ(error, EWOULDBLOCK);
  EXPECT_EQ(AppendOpenFailureReason(error), "in use by another program");
  EXPECT_FALSE(second.IsOpen());
  first.Close();
  EXPECT_EQ(second.Open(path), 0);

  RawCapture nowhere;
  EXPECT_EQ(nowhere.Open(folder.Path("missing/x.raw")), ENOENT);
}

// A capture discarded because its run did not start leaves no file it made
// itself, and never touches one that was there or that holds bytes.
TEST(RawCaptureTest, DiscardRemovesOnlyAnEmptyFileItMade) {
  TempFolder folder;
  const std::string existing = folder.Write("existing.raw", "");
  const std::string made = folder.Path("made.raw");
  const std::string written = folder.Path("written.raw");
  for (const std::string& path : {existing, made, written}) {
    RawCapture capture;
    ASSERT_EQ(capture.Open(path), 0);
    if (path == written) {
      AppendAll(capture, "x");
      ASSERT_TRUE(capture.Flush());
    }
    AppendAll(capture, "dropped");
    capture.Discard();
    EXPECT_FALSE(capture.IsOpen());
  }
  EXPECT_TRUE(std::filesystem::exists(existing));
  EXPECT_FALSE(std::filesystem::exists(made));
  EXPECT_EQ(ReadFileBytes(written), "x");
}

TEST(AppendOpenFailureReason, SaysWhatTheUserCanActOn) {
  const struct {
    int error;
    const char* reason;
  } kCases[] = {
      {EWOULDBLOCK, "in use by another program"},
      {ENOENT, "no such folder"},
      {ENOTDIR, "a part of the path is not a folder"},
      {EISDIR, "it is a folder"},
  };
  for (const auto& c : kCases) EXPECT_EQ(AppendOpenFailureReason(c.error), c.reason) << c.error;
}

}  // namespace
