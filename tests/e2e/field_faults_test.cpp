// plenx-logger run unattended through the faults of a real site, each made
// for real where the machine allows it (a mount needs root or a user
// namespace; without one the test says so and skips): the adapter gone for
// good, the disk filling and emptying, the log removed or renamed, a
// read-only folder for the archive, a broken per-user store, an INI file
// that is not a file or not text, a port that is not a serial line. The
// program must say what happened, lose nothing it could keep, never hang,
// and end a run as Stop does.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "archive/log_archive_name.h"
#include "config/persisted_settings.h"
#include "decode/log_line.h"
#include "headless/headless_run.h"
#include "link/frame_encoder.h"
#include "platform/local_time.h"
#include "testkit/run_command.h"
#include "tests/e2e/logger_process.h"
#include "tests/support/faults.h"

namespace {

namespace fs = std::filesystem;

constexpr int kValueCount = 69 + 4 * 40;

// Frame `index`'s values: its index first, so each record is told apart.
std::vector<int16_t> Values(int index) {
  std::vector<int16_t> values(kValueCount, 7);
  values[0] = static_cast<int16_t>(index);
  return values;
}

std::string RecordOf(int index) {
  std::string text;
  for (int16_t value : Values(index)) text += std::to_string(value) + ",";
  return text;
}

// The record texts of a log file; a line that is not whole fails the test.
std::vector<std::string> Records(const std::string& path) {
  std::vector<std::string> records;
  for (const std::string& line : Lines(ReadFileBytes(path))) {
    LogLine parsed;
    std::string reason;
    EXPECT_TRUE(ParseLogLine(line, parsed, reason)) << reason << ": " << line;
    records.emplace_back(parsed.record);
  }
  return records;
}

std::vector<std::string> RecordsOf(std::initializer_list<int> indexes) {
  std::vector<std::string> records;
  for (int index : indexes) records.push_back(RecordOf(index));
  return records;
}

// A started headless run on COM5, a pseudo-terminal the test plays the board on.
class FaultRun {
 public:
  explicit FaultRun(const ProgramFolder& folder, const std::string& log, std::vector<std::string> extra = {})
      : m_log(log) {
    if (!m_line.Valid()) return;
    folder.MapPort("COM5", m_line.SlavePath());
    std::vector<std::string> arguments = {"--headless", "--port", "COM5", "--log", log};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    m_logger.emplace(folder, arguments);
  }

  bool Started() const { return m_logger && m_logger->WaitForRun(); }
  LoggerProcess& Logger() { return *m_logger; }
  PtyLine& Line() { return m_line; }

  // Sends frame `index` and waits until the log at path holds `lines` lines.
  bool SendAndWait(int index, const std::string& path, size_t lines) {
    return m_line.Write(EncodeFrame(index % 5, Values(index))) &&
           WaitUntil([&] { return Lines(ReadFileBytes(path)).size() >= lines; }, kProgramTimeoutMs);
  }
  bool Send(int index) { return m_line.Write(EncodeFrame(index % 5, Values(index))); }

  // Ends the run as a technician's Stop; the exit status.
  int Stop() {
    m_logger->Signal(SIGTERM);
    return m_logger->WaitExit();
  }

  std::string ArchivePath() const {
    const std::optional<LogArchiveName> name = LogArchiveNameFor(m_log, ReadLocalTime());
    return name ? name->archivePath : std::string();
  }

 private:
  std::string m_log;
  PtyLine m_line;
  std::optional<LoggerProcess> m_logger;
};

// What the dated archive holds as its one entry, or "" when there is none.
std::string ArchivedLog(const std::string& archive, const std::string& entry) {
  if (!fs::exists(archive)) return "";
  return RunCommand("unzip -p '" + archive + "' '" + entry + "'").output;
}

TEST(FieldFaultTest, AdapterGoneForGoodLeavesARunThatStopsAndArchives) {
  ProgramFolder folder;
  const std::string log = folder.Files().Path("site.log");
  FaultRun run(folder, log);
  ASSERT_TRUE(run.Started()) << run.Logger().Err();
  ASSERT_TRUE(run.SendAndWait(1, log, 1));
  run.Line().HangUp();
  EXPECT_TRUE(run.Logger().WaitForErr(" COM5: line lost")) << run.Logger().Err();
  EXPECT_EQ(run.Stop(), 0) << run.Logger().Err();
  EXPECT_EQ(Records(log), RecordsOf({1}));
  EXPECT_EQ(ArchivedLog(run.ArchivePath(), "site.log"), ReadFileBytes(log));
}

// The disk fills during the run: the failure is said once for the record
// that could not be logged, no part of a line is left, and once there is
// room again the next records are logged and the archive is written.
TEST(FieldFaultTest, DiskFillsMidRunAndLoggingResumesWhenSpaceComesBack) {
  ProgramFolder folder;
  const std::string stick = folder.Files().Path("stick");
  fs::create_directory(stick);
  const SmallVolume volume(stick, 256 * 1024);
  if (!volume.Mounted()) GTEST_SKIP() << kNoMountReason;
  const std::string log = stick + "/site.log";
  FaultRun run(folder, log);
  ASSERT_TRUE(run.Started()) << run.Logger().Err();
  ASSERT_TRUE(run.SendAndWait(1, log, 1));

  const std::string filler = stick + "/filler";
  {
    std::ofstream fill(filler, std::ios::binary);
    const std::string block(512, 'f');
    while (fill.write(block.data(), block.size()) && fill.flush()) {
    }
  }
  // The log's last block may still have room for a few lines: records go
  // on, one at a time, until one cannot be logged.
  const std::string diskFull = "Disk full while accessing " + log + ".";
  std::vector<int> logged = {1};
  int failed = 0;
  for (int index = 2; failed == 0 && index < 100; ++index) {
    ASSERT_TRUE(run.Send(index));
    ASSERT_TRUE(WaitUntil(
        [&] {
          if (run.Logger().Err().find(diskFull) != std::string::npos) failed = index;
          return failed != 0 || Lines(ReadFileBytes(log)).size() == logged.size() + 1;
        },
        kProgramTimeoutMs));
    if (failed == 0) logged.push_back(index);
  }
  ASSERT_NE(failed, 0) << "the disk never filled";
  fs::remove(filler);
  ASSERT_TRUE(run.SendAndWait(failed + 1, log, logged.size() + 1));
  // A run that lost a line does not end well: said once, summed up at the
  // end, and told by the exit status.
  EXPECT_EQ(run.Stop(), kExitRunNotWhole) << run.Logger().Err();
  const std::string err = run.Logger().Err();
  EXPECT_EQ(err.find(diskFull), err.rfind(diskFull)) << err;
  // The records logged, the one that was not, and the one after it.
  EXPECT_NE(err.find("plenx-logger: run ended: " + std::to_string(logged.size() + 2) +
                     " records, 1 log line not written, archived in " + run.ArchivePath() + "\n"),
            std::string::npos)
      << err;
  logged.push_back(failed + 1);
  std::vector<std::string> expected;
  for (int index : logged) expected.push_back(RecordOf(index));
  EXPECT_EQ(Records(log), expected);
  EXPECT_EQ(ArchivedLog(run.ArchivePath(), "site.log"), ReadFileBytes(log));
}

// Removed or renamed during the run (someone copying it off, or tidying):
// the run says so and goes on in a new file of the log's name, which Stop
// archives; a renamed file keeps what was logged before.
TEST(FieldFaultTest, LogRemovedOrRenamedMidRunGoesOnInANewFileOfItsName) {
  ProgramFolder folder;
  const std::string log = folder.Files().Path("site.log");
  const std::string copied = folder.Files().Path("copied.log");
  FaultRun run(folder, log);
  ASSERT_TRUE(run.Started()) << run.Logger().Err();
  const std::string said =
      "Plenx Logger: The log file " + log +
      " was removed or renamed during the run. Logging goes on in a new file of that name.\n";
  ASSERT_TRUE(run.SendAndWait(1, log, 1));
  fs::rename(log, copied);
  ASSERT_TRUE(run.SendAndWait(2, log, 1));
  EXPECT_TRUE(run.Logger().WaitForErr(said)) << run.Logger().Err();
  fs::remove(log);
  ASSERT_TRUE(run.SendAndWait(3, log, 1));
  ASSERT_TRUE(run.SendAndWait(4, log, 2));
  EXPECT_EQ(run.Stop(), 0) << run.Logger().Err();

  const std::string err = run.Logger().Err();
  size_t saidTimes = 0;
  for (size_t at = err.find(said); at != std::string::npos; at = err.find(said, at + 1)) ++saidTimes;
  EXPECT_EQ(saidTimes, 2u) << err;
  EXPECT_EQ(Records(copied), RecordsOf({1}));
  EXPECT_EQ(Records(log), RecordsOf({3, 4}));
  EXPECT_EQ(ArchivedLog(run.ArchivePath(), "site.log"), ReadFileBytes(log));
}

// The folder of the log turns read-only before Stop (a stick's write switch,
// a file system remounted read-only after errors): Stop says the archive
// cannot be written and why, leaves no temporary file, and the log stays
// whole.
TEST(FieldFaultTest, ReadOnlyArchiveFolderIsReportedAndTheLogKept) {
  // Root writes anywhere the permission bits forbid, so for root the folder
  // becomes a read-only mount of itself (the open log stays writable), in a
  // mount namespace the program must share: entered before it starts.
  const bool asRoot = geteuid() == 0;
  if (asRoot && !EnterPrivateMountNamespace()) GTEST_SKIP() << kNoMountReason;
  ProgramFolder folder;
  const std::string logs = folder.Files().Path("logs");
  fs::create_directory(logs);
  const std::string log = logs + "/site.log";
  FaultRun run(folder, log);
  ASSERT_TRUE(run.Started()) << run.Logger().Err();
  ASSERT_TRUE(run.SendAndWait(1, log, 1));
  bool bound = false;
  std::string reason = "permission denied";
  if (asRoot) {
    ASSERT_EQ(mount(logs.c_str(), logs.c_str(), nullptr, MS_BIND, nullptr), 0);
    bound = true;
    ASSERT_EQ(mount(nullptr, logs.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr), 0);
    reason = "read-only file system";
  } else {
    ASSERT_EQ(chmod(logs.c_str(), 0555), 0);
  }
  ASSERT_TRUE(run.SendAndWait(2, log, 2));
  const std::string archive = run.ArchivePath();
  EXPECT_EQ(run.Stop(), kExitRunNotWhole) << run.Logger().Err();
  EXPECT_NE(run.Logger().Err().find(", all logged, the archive was not written\n"), std::string::npos)
      << run.Logger().Err();
  EXPECT_NE(run.Logger().Err().find("Cannot write archive " + archive + ": " + reason + ".\n"),
            std::string::npos)
      << run.Logger().Err();
  if (bound) umount2(logs.c_str(), MNT_DETACH);
  chmod(logs.c_str(), 0755);
  EXPECT_EQ(Records(log), RecordsOf({1, 2}));
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(logs))
    names.push_back(entry.path().filename());
  EXPECT_EQ(names, std::vector<std::string>{"site.log"});
}

// Whatever the per-user store holds (bytes that are no text, a folder or a
// FIFO where a value belongs, no zero byte) the window
// opens and a run with a port and log given works; the run's start stores
// the port and log file afresh. A store that cannot be written at all (its
// folder is a file) loses only the remembering.
TEST(FieldFaultTest, BrokenPerUserStoreNeitherStopsNorSpoilsARun) {
  for (const bool storeIsAFile : {false, true}) {
    SCOPED_TRACE(storeIsAFile ? "StoreFolderIsAFile" : "GarbageValues");
    ProgramFolder folder;
    const fs::path store =
        fs::path(std::getenv("XDG_CONFIG_HOME")) / "plenx-logger" / "Software" / "TessamPlenxLogger";
    if (storeIsAFile) {
      fs::create_directories(store.parent_path());
      std::ofstream(store) << "not a folder";
    } else {
      fs::create_directories(store / "WindowSize");  // a folder where a value belongs
      std::mt19937 random(20);
      std::string garbage(5000, '\0');
      for (char& byte : garbage) byte = static_cast<char>(random());
      std::ofstream(store / "CommunicationPort", std::ios::binary) << garbage;
      std::ofstream(store / "LogFile", std::ios::binary) << "99999999999,-5";
      // A FIFO where a value belongs would block a reader that waits for a
      // writer; as root, no mode makes a file unreadable.
      ASSERT_EQ(mkfifo((store / "ColumnWidths").c_str(), 0600), 0);
    }
    const std::string log = folder.Files().Path("site.log");
    FaultRun run(folder, log);
    ASSERT_TRUE(run.Started()) << run.Logger().Err();
    ASSERT_TRUE(run.SendAndWait(1, log, 1));
    EXPECT_EQ(run.Stop(), 0) << run.Logger().Err();
    EXPECT_EQ(Records(log), RecordsOf({1}));
    EXPECT_EQ(ReadPortSetting(), storeIsAFile ? "" : "COM5");
    EXPECT_EQ(ReadLogFileSetting(), storeIsAFile ? "" : log);
  }
}

// An INI file that is a folder or a FIFO is passed over (the lookup takes
// regular files only), one of more than 16 MiB is refused with a message,
// and one of binary bytes reads as whatever lines it happens to hold: no
// run hangs, and each logs the default layout.
TEST(FieldFaultTest, IniThatIsAFolderAFifoHugeOrBinaryNeverStopsARun) {
  struct Case {
    const char* what;
    void (*make)(const std::string& path);
    const char* said;  // on standard error, or nullptr
  };
  const Case cases[] = {
      {"Folder", [](const std::string& path) { fs::create_directory(path); }, nullptr},
      {"Fifo", [](const std::string& path) { ASSERT_EQ(mkfifo(path.c_str(), 0644), 0); }, nullptr},
      {"Huge",
       [](const std::string& path) {
         std::ofstream(path) << "[CONFIG]\nNUMDEVICES=2\n";
         fs::resize_file(path, 17 * 1024 * 1024);  // sparse
       },
       "larger than 16777216 bytes, not read; using the built-in settings and labels"},
      {"Binary",
       [](const std::string& path) {
         std::mt19937 random(7);
         std::string bytes(64 * 1024, '\0');
         for (char& byte : bytes) byte = static_cast<char>(random());
         std::ofstream(path, std::ios::binary) << bytes;
       },
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ProgramFolder folder;
    c.make(folder.Files().Path("plenx-logger.ini"));
    const std::string log = folder.Files().Path("site.log");
    FaultRun run(folder, log);
    ASSERT_TRUE(run.Started()) << run.Logger().Err();
    if (c.said != nullptr) {
      EXPECT_NE(run.Logger().Err().find(c.said), std::string::npos) << run.Logger().Err();
    }
    ASSERT_TRUE(run.SendAndWait(1, log, 1));
    EXPECT_EQ(run.Stop(), 0) << run.Logger().Err();
    EXPECT_EQ(Records(log), RecordsOf({1}));
  }
}

// A port whose link leads to a regular file or a FIFO: Start says it is not
// a serial port, at once, and the run does not start.
TEST(FieldFaultTest, PortThatIsAFileOrAFifoIsRefusedAtOnce) {
  for (const bool fifo : {false, true}) {
    SCOPED_TRACE(fifo ? "Fifo" : "RegularFile");
    ProgramFolder folder;
    const std::string device = folder.Files().Path("not-a-port");
    if (fifo) {
      ASSERT_EQ(mkfifo(device.c_str(), 0644), 0);
    } else {
      folder.Files().Write("not-a-port", "frames?");
    }
    folder.MapPort("COM5", device);
    LoggerProcess logger(folder, {"--headless", "--port", "COM5", "--log", "site.log"});
    EXPECT_EQ(logger.WaitExit(), 1) << logger.Err();
    EXPECT_NE(logger.Err().find("Error opening COM port\n"), std::string::npos) << logger.Err();
    EXPECT_NE(logger.Err().find(": not a serial port."), std::string::npos) << logger.Err();
    EXPECT_FALSE(fs::exists(folder.Files().Path("site.log")));
  }
}

}  // namespace
