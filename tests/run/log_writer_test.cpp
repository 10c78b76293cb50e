// The log writer: the record path hands it lines and goes on, however long
// the disk takes; every line is written, in order, by the end.
#include "run/log_writer.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace {

// A log whose writes stall until released, as a stalled USB stick's do.
class StalledLog : public LogLineFile {
 public:
  int AppendLine(std::string_view line) override {
    std::unique_lock lock(m_mutex);
    m_stalled = true;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return m_released; });
    lines.emplace_back(line);
    return 0;
  }
  std::string ReopenedText() const override { return {}; }
  std::string WriteFailureText() const override { return {}; }
  const std::string& FullPath() const override { return m_path; }

  void WaitUntilStalled() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_stalled; });
  }
  void Release() {
    std::lock_guard lock(m_mutex);
    m_released = true;
    m_changed.notify_all();
  }

  std::vector<std::string> lines;  // read after the writer has finished

 private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  bool m_stalled = false;
  bool m_released = false;
  std::string m_path = "/media/stick/site.log";
};

TEST(LogWriterTest, LinesQueueWhileTheDiskStallsAndAreAllWrittenInOrder) {
  constexpr int kLines = 1000;
  StalledLog log;
  std::vector<RunEvent> events;
  LogWriter writer;
  ASSERT_TRUE(writer.Start(log, [&events](const RunEvent& event) { events.push_back(event); }));
  std::vector<std::string> added;
  for (int i = 0; i < kLines; ++i) {
    added.push_back("line " + std::to_string(i) + "\r\n");
    writer.Add(added.back());
    // The first write now hangs on the disk; the rest are added all the same.
    if (i == 0) log.WaitUntilStalled();
  }
  log.Release();
  EXPECT_EQ(writer.Finish(), 0u);
  EXPECT_EQ(log.lines, added);
  EXPECT_TRUE(events.empty());
}

}  // namespace
