// The run core without a window: records from a pseudo-terminal reach every
// face once, in order, stamped and decoded once, and the log holds the ones
// LOGEVERY keeps; failures are said once; Stop works from a signal and while
// the line is lost; a replayed log takes the same path as a live run.
#include "run/run_core.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/log_archive_name.h"
#include "decode/log_line.h"
#include "decode/record_view.h"
#include "link/frame_encoder.h"
#include "link/record_text.h"
#include "platform/termination_signals.h"
#include "testkit/pty_line.h"
#include "testkit/temp_folder.h"
#include "testkit/wait.h"
#include "tests/run/recording_face.h"
#include "tests/support/file_size_limit.h"

namespace {

namespace fs = std::filesystem;

constexpr int kValueCount = 69 + 4 * 40;
// Short, so that the tests of silence and of foreign frames wait little.
constexpr int kTestWatchdogMs = 300;

// Answers Yes to every question and keeps what was asked.
class YesPrompt : public UserPrompt {
 public:
  PromptAnswer AskYesNoCancel(const std::string& text, const std::string&) override {
    questions.push_back(text);
    return PromptAnswer::Yes;
  }
  void ShowError(const std::string& text) override { ADD_FAILURE() << "unexpected error: " << text; }
  std::vector<std::string> questions;
};

// The built-in configuration, with these CONFIG values changed.
LoggerConfig Config(int logEvery = 1, int numDevices = 4) {
  LoggerConfig config;
  config.Load("");
  config.logEvery = logEvery;
  config.numDevices = numDevices;
  return config;
}

// Frame `index`'s values: its index first, so each record is told apart.
std::vector<int16_t> FrameValues(int index, int count = kValueCount) {
  std::vector<int16_t> values(static_cast<size_t>(count));
  for (int k = 0; k < count; ++k)
    values[static_cast<size_t>(k)] = static_cast<int16_t>((index * 31 + k * 7) % 900);
  values[0] = static_cast<int16_t>(index);
  return values;
}

std::string RecordOf(int index) { return FormatRecordText(FrameValues(index)); }

class RunCoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_line.Valid()); }

  RunRequest Request(const std::string& logName = "site.log") const {
    RunRequest request;
    request.portName = m_line.SlavePath();  // a device path stands for itself
    if (!logName.empty()) request.logPath = m_files.Path(logName);
    return request;
  }

  TempFolder m_files;
  PtyLine m_line;
  YesPrompt m_prompt;
};

TEST_F(RunCoreTest, RecordsReachEveryFaceOnceInOrderStampedDecodedAndLoggedAsLogEverySays) {
  constexpr int kFrames = 9;
  const LoggerConfig config = Config(/*logEvery=*/3);
  RecordingFace first;
  RecordingFace second;
  RunCore core(config, "");
  core.Subscribe(first);
  core.Subscribe(second);
  const RunRequest request = Request();
  ASSERT_TRUE(core.Start(request, m_prompt).Started());
  EXPECT_TRUE(core.IsActive());
  ASSERT_EQ(first.Starts().size(), 1u);
  EXPECT_EQ(first.Starts()[0].logPath, request.logPath);
  EXPECT_EQ(first.Starts()[0].devicePath, m_line.SlavePath());
  EXPECT_FALSE(first.Starts()[0].replay);
  // The banner shows from the start, until the first record.
  EXPECT_EQ(first.EventKinds(), std::vector<RunEventKind>{RunEventKind::kLineQuiet});

  std::vector<uint8_t> stream;
  for (int i = 0; i < kFrames; ++i) AppendFrame(stream, i % 5, FrameValues(i));
  ASSERT_TRUE(m_line.Write(stream));
  ASSERT_TRUE(second.WaitForRecords(kFrames));
  core.Stop();
  core.WaitEnded();
  EXPECT_FALSE(core.IsActive());

  const std::vector<std::shared_ptr<const RunRecord>> records = first.Records();
  ASSERT_EQ(records.size(), static_cast<size_t>(kFrames));
  const std::vector<std::shared_ptr<const RunRecord>> seen = second.Records();
  std::string expectedLog;
  for (int i = 0; i < kFrames; ++i) {
    SCOPED_TRACE(i);
    const RunRecord& record = *records[static_cast<size_t>(i)];
    EXPECT_EQ(seen[static_cast<size_t>(i)], records[static_cast<size_t>(i)])
        << "one record object for all faces";
    EXPECT_EQ(record.sequence, static_cast<uint64_t>(i) + 1);
    EXPECT_EQ(record.text, RecordOf(i));
    EXPECT_EQ(record.unitIndex, i % 5);
    EXPECT_FALSE(record.replayed);
    EXPECT_EQ(record.logged, i % 3 != 0);
    if (record.logged) expectedLog += FormatLogLine(record.time, record.text);
    // Decoded once, into the texts the lists show.
    const RecordTexts texts = DecodeRecord(config.Layout(), record.text);
    std::vector<std::string> flat;
    for (const std::vector<std::string>& list : texts.listTexts)
      flat.insert(flat.end(), list.begin(), list.end());
    EXPECT_EQ(record.texts, flat);
    EXPECT_EQ(record.filledRows, flat.size());
    EXPECT_EQ(record.missingPosition, -1);
  }
  EXPECT_EQ(ReadFileBytes(request.logPath), expectedLog);
  EXPECT_EQ(first.EventKinds(),
            (std::vector<RunEventKind>{RunEventKind::kLineQuiet, RunEventKind::kLineReceiving}));

  const std::optional<RunEnd> end = first.End();
  ASSERT_TRUE(end);
  EXPECT_EQ(end->records, static_cast<uint64_t>(kFrames));
  EXPECT_EQ(end->linesNotLogged, 0u);
  EXPECT_TRUE(end->failureMessages.empty());
  const std::optional<LogArchiveName> archive = LogArchiveNameFor(request.logPath, ReadLocalTime());
  ASSERT_TRUE(archive);
  EXPECT_EQ(end->archivePath, archive->archivePath);
  EXPECT_TRUE(fs::exists(archive->archivePath));
}

// Bytes keep coming and none of them makes a frame of the configured layout:
// said once, with the layout and the configuration file; frames of the
// layout clear it again.
TEST_F(RunCoreTest, FramesOfAnotherLayoutAreSaidOnceUntilOneMatches) {
  RecordingFace face;
  RunTimings timings;
  timings.watchdogMs = kTestWatchdogMs;
  RunCore core(Config(), "/etc/xdg/plenx-logger/plenx-logger.ini", timings);
  core.Subscribe(face);
  ASSERT_TRUE(core.Start(Request(""), m_prompt).Started());
  // A board of the layout 72,2,40: 152 values a frame.
  std::vector<uint8_t> foreign;
  for (int i = 0; i < 8; ++i) AppendFrame(foreign, 0, FrameValues(i, 152));
  ASSERT_TRUE(m_line.Write(foreign));
  ASSERT_TRUE(face.WaitForEvent(RunEventKind::kNoFrameMatches));
  ASSERT_TRUE(m_line.Write(foreign));
  // The first may be taken for the end of a foreign one.
  for (int i = 1; i <= 2; ++i) ASSERT_TRUE(m_line.Write(EncodeFrame(0, FrameValues(i))));
  ASSERT_TRUE(face.WaitForRecords(1));
  core.Stop();
  core.WaitEnded();

  EXPECT_EQ(face.Count(RunEventKind::kNoFrameMatches), 1u);
  EXPECT_EQ(face.Count(RunEventKind::kFramesMatch), 1u);
  for (const RunEvent& event : face.Events()) {
    if (event.kind != RunEventKind::kNoFrameMatches) continue;
    EXPECT_EQ(event.message, "Data is arriving on " + m_line.SlavePath() +
                                 " but no frame matches the layout 69,4,40 of "
                                 "/etc/xdg/plenx-logger/plenx-logger.ini.");
    EXPECT_EQ(event.path, m_line.SlavePath());
  }
  EXPECT_TRUE(face.End()->archivePath.empty()) << "a run without a log makes no archive";
}

// Records whose shown values lie past what a record is read into: the
// improper argument is said once, not for every record.
TEST_F(RunCoreTest, RecordTooShortIsSaidOnce) {
  const LoggerConfig config = Config(1, /*numDevices=*/70);  // 2869 values: past the 2500 read
  RecordingFace face;
  RunCore core(config, "");
  core.Subscribe(face);
  ASSERT_TRUE(core.Start(Request(), m_prompt).Started());
  const int valueCount = static_cast<int>(config.ValuesPerRecord());
  std::vector<uint8_t> stream;
  for (int i = 0; i < 3; ++i) AppendFrame(stream, 0, FrameValues(i, valueCount));
  ASSERT_TRUE(m_line.Write(stream));
  ASSERT_TRUE(face.WaitForRecords(3));
  core.Stop();
  core.WaitEnded();
  EXPECT_EQ(face.Count(RunEventKind::kRecordTooShort), 1u);
  EXPECT_GE(face.Records()[0]->missingPosition, 2500);
  // Logged whole all the same.
  EXPECT_GT(ReadFileBytes(m_files.Path("site.log")).size(), static_cast<size_t>(valueCount) * 3);
}

// A log that can no longer grow (the file size limit of a full disk): the
// failure is said once, and once lines are written again that is said with
// the count of those that were not.
TEST_F(RunCoreTest, LogWriteFailureIsSaidOnceUntilWritesWork) {
  RecordingFace face;
  RunCore core(Config(), "");
  core.Subscribe(face);
  const RunRequest request = Request();
  ASSERT_TRUE(core.Start(request, m_prompt).Started());
  ASSERT_TRUE(m_line.Write(EncodeFrame(0, FrameValues(0))));
  ASSERT_TRUE(face.WaitForRecords(1));
  ASSERT_TRUE(WaitUntil([&] { return !ReadFileBytes(request.logPath).empty(); }, RecordingFace::kWaitMs));
  {
    FileSizeLimit full(fs::file_size(request.logPath));
    ASSERT_TRUE(full.Active());
    ASSERT_TRUE(m_line.Write(EncodeFrame(0, FrameValues(1))));
    ASSERT_TRUE(face.WaitForEvent(RunEventKind::kLogWriteFailed));
    // May fail too, silently, or find room already.
    ASSERT_TRUE(m_line.Write(EncodeFrame(0, FrameValues(2))));
    ASSERT_TRUE(face.WaitForRecords(3));
  }
  ASSERT_TRUE(m_line.Write(EncodeFrame(0, FrameValues(3))));
  ASSERT_TRUE(face.WaitForEvent(RunEventKind::kLogWriteResumed));
  core.Stop();
  core.WaitEnded();

  EXPECT_EQ(face.Count(RunEventKind::kLogWriteFailed), 1u);
  EXPECT_EQ(face.Count(RunEventKind::kLogWriteResumed), 1u);
  const std::optional<RunEnd> end = face.End();
  ASSERT_TRUE(end);
  std::vector<RunEvent> said;
  for (const RunEvent& event : face.Events()) {
    if (event.kind == RunEventKind::kLogWriteFailed || event.kind == RunEventKind::kLogWriteResumed)
      said.push_back(event);
  }
  ASSERT_EQ(said.size(), 2u);
  EXPECT_EQ(said[0].message, "Disk full while accessing " + request.logPath + ".");
  EXPECT_EQ(said[0].path, request.logPath);
  EXPECT_EQ(said[0].error, EFBIG);
  EXPECT_EQ(said[1].count, end->linesNotLogged);
  // Every line is whole: those of the records not written are missing.
  std::string expected;
  const std::vector<std::shared_ptr<const RunRecord>> records = face.Records();
  for (size_t i = 0; i < records.size(); ++i) {
    if (i >= 1 && i < 1 + end->linesNotLogged) continue;
    expected += FormatLogLine(records[i]->time, records[i]->text);
  }
  EXPECT_EQ(ReadFileBytes(request.logPath), expected);
}

// SIGTERM ends the run as Stop does, from the signal watch's own thread.
TEST_F(RunCoreTest, SignalStopsTheRunAndTheLogIsArchived) {
  RecordingFace face;
  RunCore core(Config(), "");
  core.Subscribe(face);
  const RunRequest request = Request();
  ASSERT_TRUE(core.Start(request, m_prompt).Started());
  ASSERT_TRUE(m_line.Write(EncodeFrame(0, FrameValues(0))));
  ASSERT_TRUE(face.WaitForRecords(1));
  {
    const TerminationSignalWatch watch([&core] { core.Stop(); });
    ASSERT_TRUE(watch.Active());
    ASSERT_EQ(::raise(SIGTERM), 0);
    ASSERT_TRUE(face.WaitForEnd());
  }
  core.WaitEnded();
  EXPECT_TRUE(fs::exists(face.End()->archivePath));
  EXPECT_EQ(ReadFileBytes(request.logPath), FormatLogLine(face.Records()[0]->time, RecordOf(0)));
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
  ASSERT_TRUE(m_line.Write(EncodeFrame(0, FrameValues(0))));
  ASSERT_TRUE(face.WaitForRecords(1));
  m_line.HangUp();
  ASSERT_TRUE(face.WaitForEvent(RunEventKind::kLineLost));
  core.Stop();
  ASSERT_TRUE(face.WaitForEnd());
  core.WaitEnded();
  for (const RunEvent& event : face.Events()) {
    if (event.kind != RunEventKind::kLineLost) continue;
    EXPECT_EQ(event.message, request.portName + ": line lost (hung up); opening it again every second");
    EXPECT_EQ(event.error, 0);
  }
  EXPECT_TRUE(fs::exists(face.End()->archivePath));
}

// A log replayed: its records reach the faces as a live run's did, marked
// replayed and with their logged times; the banner follows a recorded gap;
// nothing is written; lines that are no records are reported at the end.
TEST_F(RunCoreTest, ReplayTakesTheLiveRecordPath) {
  const LoggerConfig config = Config();
  const LocalTime first{2015, 3, 7, 14, 5, 9, 42};
  const LocalTime afterGap{2015, 3, 7, 14, 5, 39, 42};  // 30 s later
  const std::string log =
      m_files.Write("site.log", FormatLogLine(first, RecordOf(1)) + "a note typed into the log\r\n" +
                                    FormatLogLine(afterGap, RecordOf(2)));
  RecordingFace face;
  RunCore core(config, "");
  core.Subscribe(face);
  // 60 times as fast: the banner after 10 s / 60, the next record after 0.5 s.
  ASSERT_TRUE(core.StartReplay(log, 60).Started());
  ASSERT_TRUE(face.WaitForEnd());
  core.WaitEnded();

  ASSERT_EQ(face.Starts().size(), 1u);
  EXPECT_TRUE(face.Starts()[0].replay);
  EXPECT_EQ(face.Starts()[0].replayPath, log);
  const std::vector<std::shared_ptr<const RunRecord>> records = face.Records();
  ASSERT_EQ(records.size(), 2u);
  for (size_t i = 0; i < records.size(); ++i) {
    EXPECT_EQ(records[i]->sequence, i + 1);
    EXPECT_TRUE(records[i]->replayed);
    EXPECT_FALSE(records[i]->logged);
    EXPECT_EQ(records[i]->unitIndex, -1);
    EXPECT_EQ(records[i]->text, RecordOf(static_cast<int>(i) + 1));
    EXPECT_EQ(records[i]->filledRows, records[i]->texts.size());
  }
  EXPECT_EQ(records[0]->time, first);
  EXPECT_EQ(records[1]->time, afterGap);
  EXPECT_EQ(face.EventKinds(),
            (std::vector<RunEventKind>{RunEventKind::kLineQuiet, RunEventKind::kLineReceiving}));
  const std::optional<RunEnd> end = face.End();
  EXPECT_EQ(end->records, 2u);
  EXPECT_FALSE(end->replayFailed);
  EXPECT_TRUE(end->archivePath.empty());
  ASSERT_EQ(end->noticeMessages.size(), 1u);
  EXPECT_TRUE(end->noticeMessages[0].starts_with("1 of 3 lines of " + log + " were skipped:\nline 2: "))
      << end->noticeMessages[0];
  EXPECT_EQ(std::distance(fs::directory_iterator(m_files.path()), fs::directory_iterator()), 1)
      << "a replay writes nothing";

  // Stopped while it waits for the record after the gap: nothing reported.
  ASSERT_TRUE(core.StartReplay(log, 1).Started());
  ASSERT_TRUE(face.WaitForRecords(3));
  core.Stop();
  core.WaitEnded();
  EXPECT_EQ(face.Records().size(), 3u);
  EXPECT_TRUE(face.End()->noticeMessages.empty());
}

TEST_F(RunCoreTest, StartRefusalsLeaveNothingBehind) {
  RecordingFace face;
  RunCore core(Config(), "");
  core.Subscribe(face);
  RunRequest request = Request();
  request.portName = m_files.Path("no-such-tty");
  const RunStartResult port = core.Start(request, m_prompt);
  EXPECT_EQ(port.refusal, RunRefusal::kPortNotOpened);
  EXPECT_EQ(port.message,
            "Error opening COM port\n" + request.portName + ": no such device. Plug in the adapter.");
  EXPECT_FALSE(core.IsActive());
  EXPECT_TRUE(fs::is_empty(m_files.path())) << "the new log was left behind";
  EXPECT_TRUE(face.Starts().empty());

  const RunStartResult replay = core.StartReplay(m_files.Path("missing.log"), 0);
  EXPECT_EQ(replay.refusal, RunRefusal::kReplayNotOpened);
  EXPECT_EQ(replay.message,
            "Cannot open log file " + m_files.Path("missing.log") + ": no such file or directory.");

  ASSERT_TRUE(core.Start(Request(), m_prompt).Started());
  EXPECT_EQ(core.Start(Request(), m_prompt).refusal, RunRefusal::kAlreadyActive);
  core.Stop();
  core.WaitEnded();
}

}  // namespace
