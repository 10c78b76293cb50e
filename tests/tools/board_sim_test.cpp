// plenx-board-sim as the logger and a technician meet it: frames on a
// pseudo-terminal, faults on demand, replays, a clean end on a signal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "link/frame_decoder.h"
#include "link/frame_encoder.h"
#include "link/simple_protocol.h"
#include "testkit/child_exit.h"
#include "testkit/pty_line.h"
#include "testkit/record_queue.h"
#include "testkit/wait.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kDefaultValueCount = 69 + 4 * 40;
// Generous: the machine may be loaded and the tests run under sanitizers.
constexpr int kArrivalTimeoutMs = 15000;

// One run of the simulator with its stdout on a pipe.
class SimProcess {
 public:
  explicit SimProcess(const std::vector<std::string>& args) {
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    // The usage texts of refused command lines would only clutter the output.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> argv = {std::string(PLENX_BIN_DIR) + "/plenx-board-sim"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& arg : argv) pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    if (posix_spawn(&m_pid, pointers[0], &actions, nullptr, pointers.data(), environ) != 0) {
      m_pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    m_stdout = out[0];
  }
  ~SimProcess() {
    if (m_pid > 0) {
      kill(m_pid, SIGKILL);
      waitpid(m_pid, nullptr, 0);
    }
    if (m_stdout >= 0) close(m_stdout);
  }

  // The first line of stdout, the pseudo-terminal's path; "" if none came.
  std::string FirstLine() {
    std::string line;
    char c = 0;
    pollfd request{m_stdout, POLLIN, 0};
    while (poll(&request, 1, kArrivalTimeoutMs) > 0 && read(m_stdout, &c, 1) == 1 && c != '\n') {
      line += c;
    }
    return line;
  }

  // The exit code once the process ended within timeoutMs, else nullopt.
  std::optional<int> WaitExit(int timeoutMs) {
    const std::optional<int> exitCode = WaitChildExit(m_pid, timeoutMs);
    if (exitCode) m_pid = -1;
    return exitCode;
  }

  void Signal(int signal) { kill(m_pid, signal); }

 private:
  pid_t m_pid = -1;
  int m_stdout = -1;
};

// Reads the pseudo-terminal directly until count frames decoded (or
// timeoutMs passed); bytesRead counts every byte taken from the line.
std::vector<std::vector<int16_t>> ReadFrames(const std::string& path, int valueCount, size_t count,
                                             size_t* bytesRead = nullptr, std::vector<int>* units = nullptr) {
  std::vector<std::vector<int16_t>> frames;
  const int line = open(path.c_str(), O_RDONLY | O_NOCTTY);
  if (line < 0) return frames;
  std::optional<FrameDecoder> decoder = FrameDecoder::Create(valueCount);
  const Clock::time_point deadline = Clock::now() + milliseconds(kArrivalTimeoutMs);
  uint8_t buffer[4096];
  pollfd request{line, POLLIN, 0};
  while (frames.size() < count && Clock::now() < deadline && poll(&request, 1, 200) >= 0) {
    const ssize_t got = (request.revents & POLLIN) != 0 ? read(line, buffer, sizeof buffer) : 0;
    if (got < 0) break;
    if (bytesRead != nullptr) *bytesRead += static_cast<size_t>(got);
    for (ssize_t i = 0; i < got && frames.size() < count; ++i) {
      if (decoder->PutByte(buffer[i])) {
        frames.emplace_back(decoder->Values().begin(), decoder->Values().end());
        if (units != nullptr) units->push_back(decoder->UnitIndex());
      }
    }
  }
  close(line);
  return frames;
}

// Records the link posts from the simulator's line.
size_t CountLinkRecords(const std::string& path, int valueCount, RecordQueue& window, SimProcess& sim) {
  CSimpleProtocol link;
  link.SetValueCount(valueCount);
  link.SetPortName(path);
  link.SetTarget(&window, WM_LINK_RECORD);
  if (link.Open() != 0) {
    ADD_FAILURE() << "Open failed";
    return 0;
  }
  // The simulator ends once the link has read every byte. The reader hands
  // on each byte before it reads the next, so once Close has joined it,
  // every record of those bytes is queued.
  EXPECT_EQ(sim.WaitExit(kArrivalTimeoutMs), 0);
  link.Close();
  return window.Size();
}

TEST(BoardSimTest, FullSpeedFramesReachTheLinkCompleteAndInOrder) {
  constexpr int kFrames = 300;
  SimProcess sim({"--pty", "--frames", std::to_string(kFrames), "--interval-ms", "0", "--seed", "3"});
  const std::string path = sim.FirstLine();
  ASSERT_FALSE(path.empty());
  RecordQueue window;
  CSimpleProtocol link;
  link.SetValueCount(kDefaultValueCount);
  link.SetPortName(path);
  link.SetTarget(&window, WM_LINK_RECORD);
  ASSERT_EQ(link.Open(), 0);
  for (int i = 0; i < kFrames; ++i) {
    std::optional<RecordQueue::Message> posted = window.WaitPop(kArrivalTimeoutMs);
    ASSERT_TRUE(posted.has_value()) << "record " << i;
    ASSERT_EQ(posted->unitIndex, i % 5);
    ASSERT_EQ(std::count(posted->recordText->begin(), posted->recordText->end(), ','), kDefaultValueCount);
  }
  EXPECT_EQ(sim.WaitExit(kArrivalTimeoutMs), 0);
}

// Over half an hour of simulated operation the values move the way an
// installation's do. Seed 1 starts in the cold, heating.
TEST(BoardSimTest, InstallationBehavesPlausiblyOverTime) {
  constexpr size_t kFrames = 4000;
  constexpr int kCompressor = 3, kFan = 5, kMode = 7, kAirTemp = 10, kCoilTemp = 11, kDefrost = 15,
                kOutdoorFault = 30;
  constexpr int kUnit0 = 69, kWaterUnit = 69 + 3 * 40;
  constexpr int kUnitMode = 1, kRoomTemp = 10, kWaterTemp = 6, kPumpStatus = 17;
  // Sixteenths of a degree: -40 and +130 degrees Celsius.
  constexpr int kColdest = -40 * 16, kHottest = 130 * 16;
  SimProcess sim({"--pty", "--frames", std::to_string(kFrames), "--interval-ms", "0", "--seed", "1"});
  const std::string path = sim.FirstLine();
  ASSERT_FALSE(path.empty());
  const auto frames = ReadFrames(path, kDefaultValueCount, kFrames);
  ASSERT_EQ(frames.size(), kFrames);

  std::set<int> compressorValues, outdoorModes, defrostStates, unitModes, faults;
  bool fanRan = false, fanStopped = false, pumpRan = false;
  for (size_t f = 0; f < frames.size(); ++f) {
    const std::vector<int16_t>& v = frames[f];
    compressorValues.insert(v[kCompressor]);
    outdoorModes.insert(v[kMode]);
    defrostStates.insert(v[kDefrost]);
    unitModes.insert(v[kUnit0 + kUnitMode]);
    faults.insert(v[kOutdoorFault]);
    (v[kFan] >= 50 ? fanRan : fanStopped) = true;
    pumpRan |= v[kWaterUnit + kPumpStatus] >= 5;
    for (const int t : {kAirTemp, kCoilTemp, kUnit0 + kRoomTemp, kWaterUnit + kWaterTemp}) {
      ASSERT_GE(v[t], kColdest) << "frame " << f << " position " << t;
      ASSERT_LE(v[t], kHottest) << "frame " << f << " position " << t;
      // Temperatures drift: under 1 degree from one frame to the next.
      if (f > 0) {
        ASSERT_LE(std::abs(v[t] - frames[f - 1][t]), 16) << "frame " << f;
      }
    }
  }
  // The compressor ramps through many speeds and also stops.
  EXPECT_GT(compressorValues.size(), 50u);
  EXPECT_LT(*compressorValues.begin(), 300);
  EXPECT_TRUE(fanRan && fanStopped);
  EXPECT_TRUE(pumpRan);
  EXPECT_TRUE(outdoorModes.count(3)) << "never heated";
  for (const int mode : outdoorModes) EXPECT_TRUE(mode >= 0 && mode <= 3) << mode;
  for (const int mode : unitModes) EXPECT_TRUE(mode >= 0 && mode <= 4) << mode;
  // A whole defrost cycle: starting, active, stopping, end.
  for (const int state : {1, 2, 4, 5}) EXPECT_TRUE(defrostStates.count(state)) << state;
  for (const int state : defrostStates) EXPECT_TRUE(state >= 0 && state <= 5) << state;
}

// A scenario's event comes on time: the compressor trip 2 s in (the fifth
// frame at the line's pace of about 0.49 s a frame), with its code and the
// compressor stopped, and its recovery after the 5 s lock-out.
TEST(BoardSimTest, ScenarioTripsAndRecoversOnTime) {
  constexpr size_t kFrames = 20;
  constexpr int kCompressor = 3, kOutdoorFault = 30, kOvercurrentCompressor = 7, kCompressorRunningMin = 300;
  SimProcess sim({"--pty", "--scenario", "compressor-trip", "--frames", std::to_string(kFrames),
                  "--interval-ms", "0", "--seed", "5"});
  const auto frames = ReadFrames(sim.FirstLine(), kDefaultValueCount, kFrames);
  ASSERT_EQ(frames.size(), kFrames);
  std::vector<int> faults;
  for (const std::vector<int16_t>& v : frames) {
    faults.push_back(v[kOutdoorFault]);
    if (v[kOutdoorFault] == kOvercurrentCompressor) {
      EXPECT_LT(v[kCompressor], kCompressorRunningMin);
    }
  }
  const std::vector<int> expected = {0, 0, 0, 0, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(faults, expected);
  EXPECT_GE(frames[3][kCompressor], kCompressorRunningMin);
  EXPECT_GE(frames.back()[kCompressor], kCompressorRunningMin);
}

TEST(BoardSimTest, SameSeedSendsTheSameStream) {
  const std::vector<std::string> args = {"--pty", "--frames",       "40", "--interval-ms", "0", "--seed",
                                         "9",     "--garbage-rate", "0.5"};
  std::vector<std::vector<int16_t>> runs[2];
  for (auto& run : runs) {
    SimProcess sim(args);
    run = ReadFrames(sim.FirstLine(), kDefaultValueCount, 40);
  }
  ASSERT_EQ(runs[0].size(), 40u);
  EXPECT_EQ(runs[0], runs[1]);
}

// Each fault at rate 1: what the logger then receives.
TEST(BoardSimTest, FaultsOnDemand) {
  constexpr int kFrames = 5;
  constexpr int kValueCount = 9;
  const struct {
    const char* option;
    size_t records;
  } kCases[] = {
      {"--bad-checksum-rate", 0},
      // Noise between frames never costs a frame.
      {"--garbage-rate", kFrames},
      // A pause inside every frame loses every frame.
      {"--gap-rate", 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.option);
    SimProcess sim({"--pty", "--layout", "5,1,4", "--frames", std::to_string(kFrames), "--interval-ms", "0",
                    c.option, "1"});
    const std::string path = sim.FirstLine();
    ASSERT_FALSE(path.empty());
    RecordQueue window;
    EXPECT_EQ(CountLinkRecords(path, kValueCount, window, sim), c.records);
  }
}

TEST(BoardSimTest, GarbageAddsBytesButNoStartByte) {
  constexpr size_t kFrames = 50;
  constexpr size_t kFrameBytes = 2 * 3 + 4;
  SimProcess sim({"--pty", "--layout", "3,0,0", "--frames", std::to_string(kFrames), "--interval-ms", "0",
                  "--garbage-rate", "1", "--seed", "4"});
  size_t bytesRead = 0;
  std::vector<int> units;
  const auto frames = ReadFrames(sim.FirstLine(), 3, kFrames, &bytesRead, &units);
  ASSERT_EQ(frames.size(), kFrames);
  EXPECT_GT(bytesRead, kFrames * kFrameBytes);
  for (size_t i = 0; i < units.size(); ++i) EXPECT_EQ(units[i], static_cast<int>(i % 5));
}

TEST(BoardSimTest, ReplaySendsTheCaptureUnchanged) {
  const std::filesystem::path capture =
      std::filesystem::temp_directory_path() / ("plenx_sim_replay_" + std::to_string(getpid()));
  std::vector<uint8_t> bytes = {0x00, 0x0D, 0x0A, 0x03, 0x11, 0x13};
  const std::vector<int16_t> values = {1, -1, 32767};
  AppendFrame(bytes, 2, values);
  bytes.push_back(0xFF);
  std::ofstream(capture, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));

  SimProcess sim({"--replay", capture.string()});
  const std::string path = sim.FirstLine();
  ASSERT_FALSE(path.empty());
  const int line = open(path.c_str(), O_RDONLY | O_NOCTTY);
  ASSERT_GE(line, 0);
  std::vector<uint8_t> received(bytes.size());
  size_t got = 0;
  pollfd request{line, POLLIN, 0};
  while (got < bytes.size() && poll(&request, 1, kArrivalTimeoutMs) > 0) {
    const ssize_t count = read(line, received.data() + got, received.size() - got);
    if (count <= 0) break;
    got += static_cast<size_t>(count);
  }
  close(line);
  std::filesystem::remove(capture);
  EXPECT_EQ(received, bytes);
  EXPECT_EQ(sim.WaitExit(kArrivalTimeoutMs), 0);
}

// The logger stops and starts again on the same terminal; a signal then
// ends the simulator cleanly.
TEST(BoardSimTest, TerminalOutlivesALoggerRestartAndSignalsEndIt) {
  SimProcess sim({"--pty", "--layout", "5,1,4", "--seed", "2"});
  const std::string path = sim.FirstLine();
  ASSERT_FALSE(path.empty());
  RecordQueue window;
  CSimpleProtocol link;
  link.SetValueCount(9);
  link.SetPortName(path);
  link.SetTarget(&window, WM_LINK_RECORD);
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run);
    ASSERT_EQ(link.Open(), 0);
    EXPECT_TRUE(window.WaitPop(kArrivalTimeoutMs).has_value());
    if (run == 0) link.Close();
  }
  sim.Signal(SIGINT);
  EXPECT_EQ(sim.WaitExit(2000), 0);

  SimProcess idle({"--pty", "--interval-ms", "60000"});
  ASSERT_FALSE(idle.FirstLine().empty());
  idle.Signal(SIGTERM);
  EXPECT_EQ(idle.WaitExit(2000), 0);
}

// A device the simulator wrote to is left as free as it found it: a terminal
// that another process keeps open must not stay exclusive, or the next run
// of the simulator (as any user but root) is refused.
TEST(BoardSimTest, DeviceIsReleasedWhenTheSimulatorEnds) {
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  SimProcess sim({"--device", line.SlavePath(), "--layout", "3,0,0", "--frames", "1", "--interval-ms", "0"});
  EXPECT_EQ(sim.FirstLine(), line.SlavePath());
  ASSERT_EQ(sim.WaitExit(kArrivalTimeoutMs), 0);
  int exclusive = 0;
  ASSERT_EQ(ioctl(line.HeldSlave(), TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 0);
}

TEST(BoardSimTest, CommandLineErrorsAreRefused) {
  const struct {
    std::vector<std::string> args;
    int exitCode;
  } kCases[] = {
      {{"--help"}, 0},
      {{"--layout", "69,4"}, 2},
      {{"--layout", "0,0,0"}, 2},
      {{"--frames", "-1"}, 2},
      {{"--garbage-rate", "1.5"}, 2},
      {{"--pty", "--device", "/dev/ttyS0"}, 2},
      {{"--bogus"}, 2},
      {{"--device", "/dev/plenx-no-such-port"}, 1},
      {{"--scenario", "flood"}, 2},
      {{"--scenario", "defrost", "--replay", "capture.bin"}, 2},
  };
  for (const auto& c : kCases) {
    SimProcess sim(c.args);
    EXPECT_EQ(sim.WaitExit(5000), c.exitCode) << c.args.front();
  }
}

}  // namespace
