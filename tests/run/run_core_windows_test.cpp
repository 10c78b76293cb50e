// The run core on Windows, on the test session's null-modem pair under Wine:
// records reach the faces and the log, Stop archives it; an adapter pulled
// out during the run is said, and Stop ends the wait to open it again; a
// console's Ctrl+C ends the run as Stop does.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "archive/log_archive_name.h"
#include "decode/log_line.h"
#include "link/frame_encoder.h"
#include "link/record_text.h"
#include "platform/termination_signals.h"
#include "run/run_core.h"
#include "testkit/temp_folder.h"
#include "tests/run/recording_face.h"
#include "tests/windows/null_modem.h"

namespace {

namespace fs = std::filesystem;

constexpr int kValueCount = 69 + 4 * 40;

class YesPrompt : public UserPrompt {
 public:
  PromptAnswer AskYesNoCancel(const std::string&, const std::string&) override { return PromptAnswer::Yes; }
  void ShowError(const std::string& text) override { ADD_FAILURE() << "unexpected error: " << text; }
};

LoggerConfig Config() {
  LoggerConfig config;
  config.Load("");
  return config;
}

std::vector<int16_t> FrameValues(int index) {
  std::vector<int16_t> values(kValueCount);
  for (int k = 0; k < kValueCount; ++k)
    values[static_cast<size_t>(k)] = static_cast<int16_t>((index * 31 + k * 7) % 900);
  values[0] = static_cast<int16_t>(index);
  return values;
}

class RunCoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::optional<NullModem> modem = SessionNullModem();
    if (!modem) GTEST_SKIP() << "no null-modem pair: run through CTest's Wine session";
    m_modem = *modem;
    m_board = OpenSerialPort(m_modem.boardPort);
    ASSERT_NE(m_board, kInvalidSerialHandle);
    ConfigureSerialLine(m_board, kSerialBaudRate);
  }
  void TearDown() override {
    if (m_board != kInvalidSerialHandle) CloseSerialPort(m_board);
  }

  RunRequest Request() const {
    RunRequest request;
    request.portName = m_modem.loggerPort;
    request.logPath = m_files.Path("site.log");
    return request;
  }

  // Sends frame `index` as the board would, for unit index % 5.
  bool SendFrame(int index) {
    const std::vector<uint8_t> frame = EncodeFrame(index % 5, FrameValues(index));
    size_t sent = 0;
    while (sent < frame.size()) {
      const std::ptrdiff_t written = WriteSerialBytes(m_board, frame.data() + sent, frame.size() - sent);
      if (written < 0) return false;
      sent += static_cast<size_t>(written);
    }
    return DrainSerialLine(m_board);
  }

  NullModem m_modem;
  SerialHandle m_board = kInvalidSerialHandle;
  TempFolder m_files;
  YesPrompt m_prompt;
};

TEST_F(RunCoreTest, RecordsAreLoggedAndStopArchivesTheLog) {
  constexpr int kFrames = 4;
  RecordingFace face;
  RunCore core(Config(), "");
  core.Subscribe(face);
  const RunRequest request = Request();
  ASSERT_TRUE(core.Start(request, m_prompt).Started());
  for (int i = 0; i < kFrames; ++i) ASSERT_TRUE(SendFrame(i));
  ASSERT_TRUE(face.WaitForRecords(kFrames));
  core.Stop();
  ASSERT_TRUE(face.WaitForEnd());
  core.WaitEnded();

  std::string expectedLog;
  const std::vector<std::shared_ptr<const RunRecord>> records = face.Records();
  ASSERT_EQ(records.size(), static_cast<size_t>(kFrames));
  for (int i = 0; i < kFrames; ++i) {
    const RunRecord& record = *records[static_cast<size_t>(i)];
    EXPECT_EQ(record.text, FormatRecordText(FrameValues(i)));
    EXPECT_EQ(record.unitIndex, i % 5);
    expectedLog += FormatLogLine(record.time, record.text);
  }
  EXPECT_EQ(ReadFileBytes(request.logPath), expectedLog);
  const std::optional<RunEnd> end = face.End();
  ASSERT_TRUE(end);
  EXPECT_TRUE(end->failureMessages.empty());
  const std::optional<LogArchiveName> archive = LogArchiveNameFor(request.logPath, ReadLocalTime());
  ASSERT_TRUE(archive);
  EXPECT_EQ(end->archivePath, archive->archivePath);
  EXPECT_TRUE(fs::exists(FsPath(archive->archivePath)));
}

// The adapter is pulled out and the link waits to open it again: Stop ends
// that wait at once and the run ends as usual.
TEST_F(RunCoreTest, StopWhileTheLineIsLostEndsTheRun) {
  RecordingFace face;
  RunTimings timings;
  timings.reopenIntervalMs = RecordingFace::kWaitMs * 10;  // longer than any test may take
  RunCore core(Config(), "", timings);
  core.Subscribe(face);
  const RunRequest request = Request();
  ASSERT_TRUE(core.Start(request, m_prompt).Started());
  ASSERT_TRUE(SendFrame(0));
  ASSERT_TRUE(face.WaitForRecords(1));
  UnpluggedLoggerEnd unplugged(m_modem);
  ASSERT_TRUE(unplugged.Unplugged());
  ASSERT_TRUE(face.WaitForEvent(RunEventKind::kLineLost));
  core.Stop();
  ASSERT_TRUE(face.WaitForEnd());
  core.WaitEnded();
  EXPECT_TRUE(fs::exists(FsPath(face.End()->archivePath)));
}

// Ctrl+C in the program's console: the watch's thread stops the run, whose
// log is archived, and the program goes on to its end.
TEST_F(RunCoreTest, CtrlCStopsTheRunAndTheLogIsArchived) {
  // A program that has a console already is refused another.
  if (!AllocConsole() && GetLastError() != ERROR_ACCESS_DENIED)
    GTEST_SKIP() << "no console to send Ctrl+C in";
  RecordingFace face;
  RunCore core(Config(), "");
  core.Subscribe(face);
  ASSERT_TRUE(core.Start(Request(), m_prompt).Started());
  ASSERT_TRUE(SendFrame(0));
  ASSERT_TRUE(face.WaitForRecords(1));
  {
    const TerminationSignalWatch watch([&core] { core.Stop(); });
    ASSERT_TRUE(watch.Active());
    // Wine refuses the event in the console of a program started from
    // Linux; there headless_matches_linux.sh sends SIGINT instead, which
    // Wine hands to the program as Ctrl+C.
    if (!GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0))
      GTEST_SKIP() << "the console refuses Ctrl+C events (Wine)";
    ASSERT_TRUE(face.WaitForEnd());
  }
  core.WaitEnded();
  EXPECT_TRUE(fs::exists(FsPath(face.End()->archivePath)));
}

}  // namespace
