// The raw capture file on Linux: a write refused as a full disk refuses it
// leaves no part behind, and later bytes still come.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "platform/append_file.h"
#include "platform/raw_capture.h"
#include "testkit/temp_folder.h"
#include "tests/support/file_size_limit.h"

namespace {

void AppendAll(RawCapture& capture, const std::string& bytes) {
  for (const char byte : bytes) ASSERT_TRUE(capture.Append(static_cast<uint8_t>(byte)));
}

// Other errors in the system's words.
TEST(AppendOpenFailureReason, OtherErrorsInTheSystemsWords) {
  EXPECT_EQ(AppendOpenFailureReason(EACCES), "permission denied");
  EXPECT_EQ(AppendOpenFailureReason(EROFS), "read-only file system");
}

// A piece that does not fit is dropped whole: the bytes before it stay, none
// of it is left half-written, and the capture goes on once there is room.
TEST(RawCaptureTest, FailedWriteLeavesNoPartAndLaterBytesStillCome) {
  TempFolder folder;
  const std::string path = folder.Path("full.raw");
  RawCapture capture;
  ASSERT_EQ(capture.Open(path), 0);
  {
    FileSizeLimit limit(10);
    ASSERT_TRUE(limit.Active());
    AppendAll(capture, "123456");
    ASSERT_TRUE(capture.Flush());
    AppendAll(capture, "abcdef");
    errno = 0;
    EXPECT_FALSE(capture.Flush());
    EXPECT_EQ(errno, EFBIG);
    EXPECT_EQ(ReadFileBytes(path), "123456");
  }
  AppendAll(capture, "xyz");
  EXPECT_TRUE(capture.Close());
  EXPECT_EQ(ReadFileBytes(path), "123456xyz");
}

}  // namespace
