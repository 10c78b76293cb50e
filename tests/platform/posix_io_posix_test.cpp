// The I/O helper: retry after a signal, transfers continued past short
// writes and reads, the read limit, and failures reported with what got
// through.
#include "platform/posix_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <thread>

#include "testkit/temp_folder.h"

namespace {

// A pipe whose ends close with the object.
struct Pipe {
  Pipe() { EXPECT_EQ(pipe2(fds, O_CLOEXEC), 0); }
  ~Pipe() {
    CloseWriteEnd();
    if (fds[0] >= 0) CloseFile(fds[0]);
  }
  void CloseWriteEnd() {
    if (fds[1] >= 0) CloseFile(fds[1]);
    fds[1] = -1;
  }
  int fds[2] = {-1, -1};
};

TEST(PosixIo, RetryOnInterruptRepeatsOnlyInterruptedCalls) {
  int calls = 0;
  const auto interruptedTwice = [&calls] {
    ++calls;
    if (calls <= 2) {
      errno = EINTR;
      return -1;
    }
    return 7;
  };
  EXPECT_EQ(RetryOnInterrupt(interruptedTwice), 7);
  EXPECT_EQ(calls, 3);

  calls = 0;
  const auto failing = [&calls] {
    ++calls;
    errno = EIO;
    return -1;
  };
  EXPECT_EQ(RetryOnInterrupt(failing), -1);
  EXPECT_EQ(calls, 1);
}

TEST(PosixIo, ReadAllCollectsABufferThatArrivesInPieces) {
  // Four times the default pipe capacity: the reader gets the bytes in as
  // many pieces as the writer fills the pipe.
  std::string sent(256 * 1024, '\0');
  for (size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<char>(i * 131 % 251);
  Pipe pipe;
  std::string received(sent.size() + 10, '\0');
  bool failed = false;
  size_t got = 0;
  std::thread reader([&] { got = ReadAll(pipe.fds[0], received.data(), received.size(), failed); });
  EXPECT_EQ(WriteAll(pipe.fds[1], sent), sent.size());
  pipe.CloseWriteEnd();
  reader.join();
  EXPECT_FALSE(failed);
  ASSERT_EQ(got, sent.size());  // short of the buffer only at the end of the stream
  EXPECT_EQ(received.substr(0, got), sent);
}

TEST(PosixIo, ReadToEndStopsAtTheLimitOrTheEnd) {
  TempFolder folder;
  const std::string path = folder.Write("value", std::string(100000, 'v'));
  struct Case {
    size_t maxBytes;
    size_t expected;
  };
  for (const Case c : {Case{0, 0}, Case{1, 1}, Case{99999, 99999}, Case{100001, 100000}}) {
    const int fd = OpenFile(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const std::optional<std::string> bytes = ReadToEnd(fd, c.maxBytes);
    CloseFile(fd);
    ASSERT_TRUE(bytes) << c.maxBytes;
    EXPECT_EQ(*bytes, std::string(c.expected, 'v')) << c.maxBytes;
  }
}

TEST(PosixIo, FailuresSayWhatGotThrough) {
  // A full disk takes nothing.
  const int full = OpenFile("/dev/full", O_WRONLY | O_CLOEXEC);
  ASSERT_GE(full, 0);
  errno = 0;
  EXPECT_EQ(WriteAll(full, std::string(10, 'x')), 0u);
  EXPECT_EQ(errno, ENOSPC);
  EXPECT_EQ(WriteAllAt(full, "x", 1, 0), 0u);
  CloseFile(full);

  // A descriptor open for writing only cannot be read.
  TempFolder folder;
  const std::string path = folder.Write("file", "abc");
  const int writeOnly = OpenFile(path.c_str(), O_WRONLY | O_CLOEXEC);
  ASSERT_GE(writeOnly, 0);
  char buffer[4];
  bool failed = false;
  EXPECT_EQ(ReadAll(writeOnly, buffer, sizeof buffer, failed), 0u);
  EXPECT_TRUE(failed);
  EXPECT_FALSE(ReadToEnd(writeOnly, 10));
  CloseFile(writeOnly);

  EXPECT_EQ(OpenFile((folder.path() + "/absent").c_str(), O_RDONLY), -1);
  EXPECT_EQ(errno, ENOENT);
}

}  // namespace
