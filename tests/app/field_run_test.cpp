// Runs as the field has them: a serial line that is lost and comes back
// during a run, and the raw capture of the line kept beside the log.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/resource_ids.h"
#include "archive/log_archive_name.h"
#include "config/persisted_settings.h"
#include "link/frame_decoder.h"
#include "link/frame_encoder.h"
#include "link/record_text.h"
#include "platform/full_path.h"
#include "platform/local_time.h"
#include "platform/raw_capture.h"
#include "testkit/pty_line.h"
#include "testkit/run_command.h"
#include "tests/app/run_probe.h"
#include "tests/run/recording_face.h"
#include "tests/ui/scripted_dialog_responder.h"
#include "ui/button.h"
#include "ui/dialog_responder.h"

namespace {

namespace fs = std::filesystem;

constexpr int kValueCount = 229;
// Short reopen attempts, so a test does not wait out the program's second.
constexpr int kTestReopenIntervalMs = 20;
constexpr char kAppendQuestionTail[] = " exists.\nWould you like to append data to the existing file?";

using FieldProbe = RunProbe;

// A default-layout frame whose values start with seq.
std::vector<uint8_t> Frame(int seq) {
  std::vector<int16_t> values(kValueCount, 0);
  for (int i = 0; i < kValueCount; ++i) values[static_cast<size_t>(i)] = static_cast<int16_t>(seq * 7 + i);
  return EncodeFrame(seq % 5, values);
}

// The record texts of a log, in order (what follows "   -   " on each line).
std::vector<std::string> LoggedRecords(const std::string& logPath) {
  std::vector<std::string> records;
  const std::string log = ReadFileBytes(logPath);
  constexpr std::string_view kSeparator = "   -   ";
  for (size_t start = 0; start < log.size();) {
    const size_t end = log.find("\r\n", start);
    if (end == std::string::npos) break;
    const size_t text = log.find(kSeparator, start);
    if (text != std::string::npos && text < end) {
      records.push_back(log.substr(text + kSeparator.size(), end - text - kSeparator.size()));
    }
    start = end + 2;
  }
  return records;
}

// The records of a raw capture, decoded as one stream as plenx-decode does.
std::vector<std::string> DecodedRecords(const std::string& capture) {
  std::vector<std::string> records;
  std::optional<FrameDecoder> decoder = FrameDecoder::Create(kValueCount);
  for (const char byte : capture) {
    if (decoder->PutByte(static_cast<uint8_t>(byte))) records.push_back(FormatRecordText(decoder->Values()));
  }
  return records;
}

std::string Bytes(const std::vector<uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

class FieldRunTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    SetDialogResponder(&m_responder);
    fs::create_directories(PortFolder());
  }
  void TearDown() override { SetDialogResponder(nullptr); }

  fs::path PortFolder() const { return fs::path(m_settings.path()) / "plenx-logger" / "ports"; }
  // Points COM5 at device in one step, as `ln -sfn` does. A lost line is
  // pointed at a missing device before its terminal goes, since a terminal
  // number is handed out again as soon as it is free.
  void Plug(const std::string& device) const {
    const fs::path next = PortFolder() / "COM5.next";
    fs::create_symlink(device, next);
    fs::rename(next, PortFolder() / "COM5");
  }
  void Unplug() const { Plug(m_files.Path("no-adapter")); }

  ScriptedDialogResponder m_responder;
};

// The adapter is pulled and put back during a run: the run goes on into the
// same log, nothing asks the user anything, and the run says once that the
// line was lost and once that it is back.
TEST_F(FieldRunTest, LostLineComesBackAndTheSameLogGoesOn) {
  const std::string log = m_files.Path("site.log");
  PtyLine first;
  ASSERT_TRUE(first.Valid());
  Plug(first.SlavePath());
  RecordingFace face;
  {
    FieldProbe dlg(std::string{});
    dlg.m_runTimings.reopenIntervalMs = kTestReopenIntervalMs;
    ASSERT_TRUE(dlg.Create());
    dlg.m_run->Subscribe(face);
    dlg.m_config.portName = "COM5";
    dlg.m_config.logFileName = log;
    dlg.Click(kStartButtonId);
    ASSERT_TRUE(dlg.m_started);

    ASSERT_TRUE(first.Write(Frame(1)));
    ASSERT_TRUE(ProcessEventsUntil([&] { return LoggedRecords(log).size() == 1; }));
    Unplug();
    first.HangUp();
    ASSERT_TRUE(ProcessEventsUntil([&] { return face.Count(RunEventKind::kLineLost) > 0; }));
    PtyLine second;
    ASSERT_TRUE(second.Valid());
    Plug(second.SlavePath());
    ASSERT_TRUE(ProcessEventsUntil([&] { return face.Count(RunEventKind::kLineBack) > 0; }));
    EXPECT_TRUE(dlg.m_started);
    ASSERT_TRUE(second.Write(Frame(2)));
    ASSERT_TRUE(ProcessEventsUntil([&] { return LoggedRecords(log).size() == 2; }));
    ASSERT_TRUE(dlg.StopAndWait());
  }

  std::vector<std::string> expected;
  for (int seq : {1, 2}) expected.push_back(DecodedRecords(Bytes(Frame(seq))).at(0));
  EXPECT_EQ(LoggedRecords(log), expected);
  EXPECT_TRUE(m_responder.MessageBoxes().empty());
  std::vector<std::string> said;
  for (const RunEvent& event : face.Events()) {
    if (event.kind == RunEventKind::kLineLost || event.kind == RunEventKind::kLineBack)
      said.push_back(event.message);
  }
  EXPECT_EQ(said, (std::vector<std::string>{"COM5: line lost (hung up); opening it again every second",
                                            "COM5: line back"}));
}

// RAWCAPTURE=1: every byte of the line, noise and a damaged frame included,
// lands unchanged in "<log>.raw", which decodes to exactly the records the
// log got; the archive still holds the log alone.
TEST_F(FieldRunTest, RawCaptureBesideTheLogHoldsTheLineAndDecodesToTheLog) {
  const std::string log = m_files.Path("site.log");
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  std::vector<uint8_t> stream = {0x00, 0x13, 0xFF, 0x42, 0x7F};  // noise, a start with a bad type
  for (int seq = 0; seq < 6; ++seq) {
    std::vector<uint8_t> frame = Frame(seq);
    if (seq == 3) frame.back() ^= 1;  // a checksum that does not match
    stream.insert(stream.end(), frame.begin(), frame.end());
  }
  FieldProbe dlg(WriteIni("[CONFIG]\nRAWCAPTURE=1\n"));
  ASSERT_TRUE(dlg.Create());
  dlg.m_config.portName = line.SlavePath();
  dlg.m_config.logFileName = log;
  dlg.Click(kStartButtonId);
  ASSERT_TRUE(dlg.m_started);
  ASSERT_TRUE(line.Write(stream));
  ASSERT_TRUE(ProcessEventsUntil([&] { return LoggedRecords(log).size() == 5; }));
  ASSERT_TRUE(dlg.StopAndWait());

  const std::string raw = ReadFileBytes(log + ".raw");
  EXPECT_EQ(raw, Bytes(stream));
  EXPECT_EQ(DecodedRecords(raw), LoggedRecords(log));
  const std::optional<LogArchiveName> archive = LogArchiveNameFor(log, ReadLocalTime());
  ASSERT_TRUE(archive && fs::exists(archive->archivePath));
  if (std::system("command -v unzip > /dev/null") == 0) {
    EXPECT_EQ(RunCommand("unzip -Z1 '" + archive->archivePath + "'").output, "site.log\n");
  }
}

// One append question at most: the log's when the log exists (its answer
// covers the raw capture too), else the raw capture's own. A refused Start
// creates neither file.
TEST_F(FieldRunTest, OneAppendQuestionCoversTheLogAndItsRawCapture) {
  enum class Asked { kNone, kLog, kRaw };
  struct Case {
    const char* name;
    bool logExists, rawExists;
    int answer;
    Asked asked;
    bool starts;
  };
  const Case cases[] = {
      {"NeitherExists", false, false, IDCANCEL, Asked::kNone, true},
      {"LogExistsYes", true, false, IDYES, Asked::kLog, true},
      {"LogExistsNo", true, false, IDNO, Asked::kLog, false},
      {"RawExistsYes", false, true, IDYES, Asked::kRaw, true},
      {"RawExistsNo", false, true, IDNO, Asked::kRaw, false},
      {"BothExistYes", true, true, IDYES, Asked::kLog, true},
      {"BothExistCancel", true, true, IDCANCEL, Asked::kLog, false},
  };
  const std::string ini = WriteIni("[CONFIG]\nRAWCAPTURE=1\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string log = m_files.Path(std::string(c.name) + ".log");
    const std::string raw = log + ".raw";
    if (c.logExists) m_files.Write(std::string(c.name) + ".log", "old log\r\n");
    if (c.rawExists) m_files.Write(std::string(c.name) + ".log.raw", "old raw");
    ScriptedDialogResponder responder;
    SetDialogResponder(&responder);
    responder.QueueMessageBoxAnswer(c.answer);
    PtyLine line;
    ASSERT_TRUE(line.Valid());
    FieldProbe dlg(ini);
    ASSERT_TRUE(dlg.Create());
    dlg.m_config.portName = line.SlavePath();
    dlg.m_config.logFileName = log;
    dlg.Click(kStartButtonId);
    EXPECT_EQ(dlg.m_started, c.starts);
    if (c.starts) {
      ASSERT_TRUE(dlg.StopAndWait());
    }
    SetDialogResponder(&m_responder);

    if (c.asked == Asked::kNone) {
      EXPECT_TRUE(responder.MessageBoxes().empty());
    } else {
      ASSERT_EQ(responder.MessageBoxes().size(), 1u);
      const std::string named = c.asked == Asked::kLog ? log : raw;
      EXPECT_EQ(responder.MessageBoxes()[0].text, "File " + named + kAppendQuestionTail);
    }
    EXPECT_EQ(fs::exists(log), c.starts || c.logExists);
    EXPECT_EQ(fs::exists(raw), c.starts || c.rawExists);
    if (c.logExists) {
      EXPECT_EQ(ReadFileBytes(log), "old log\r\n");
    }
    if (c.rawExists) {
      EXPECT_EQ(ReadFileBytes(raw), "old raw");
    }
  }
}

// A raw capture file that cannot be opened stops the Start with the file and
// the reason; nothing of the run is left open or remembered.
TEST_F(FieldRunTest, RawCaptureThatCannotBeOpenedRefusesTheStart) {
  const std::string held = m_files.Path("held.raw");
  RawCapture otherWriter;
  ASSERT_EQ(otherWriter.Open(held), 0);
  const struct {
    std::string raw;
    const char* reason;
    size_t questions;  // to append to an existing file, answered Yes
  } kCases[] = {
      {m_files.Path("missing/line.raw"), "no such folder", 0},
      {held, "in use by another program", 1},
  };
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.reason);
    FieldProbe dlg(std::string{});
    dlg.SetRawCaptureFile(c.raw);
    ASSERT_TRUE(dlg.Create());
    dlg.m_config.portName = line.SlavePath();
    dlg.m_config.logFileName = m_files.Path("site.log");
    const size_t boxes = m_responder.MessageBoxes().size();
    if (c.questions > 0) m_responder.QueueMessageBoxAnswer(IDYES);
    dlg.Click(kStartButtonId);
    EXPECT_FALSE(dlg.m_started);
    EXPECT_FALSE(dlg.m_run->IsActive());
    EXPECT_FALSE(fs::exists(m_files.Path("site.log"))) << "the refused run left its new log behind";
    ASSERT_EQ(m_responder.MessageBoxes().size(), boxes + c.questions + 1);
    EXPECT_EQ(m_responder.MessageBoxes().back().text,
              "Cannot open raw capture file " + FullPath(c.raw) + ": " + c.reason + ".");
    EXPECT_EQ(ReadPortSetting(), "");
  }

  // A port that does not open leaves neither new file behind either.
  FieldProbe dlg(WriteIni("[CONFIG]\nRAWCAPTURE=1\n"));
  ASSERT_TRUE(dlg.Create());
  dlg.m_config.portName = m_files.Path("no-such-tty");
  dlg.m_config.logFileName = m_files.Path("site.log");
  dlg.Click(kStartButtonId);
  EXPECT_FALSE(dlg.m_started);
  EXPECT_EQ(m_responder.MessageBoxes().back().text, "Error opening COM port\n" + m_files.Path("no-such-tty") +
                                                        ": no such device. Plug in the adapter.");
  EXPECT_FALSE(fs::exists(m_files.Path("site.log")));
  EXPECT_FALSE(fs::exists(m_files.Path("site.log.raw")));
}

}  // namespace
