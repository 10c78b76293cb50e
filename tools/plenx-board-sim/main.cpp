// plenx-board-sim: stands in for the installation's control board, writing
// telemetry frames to a pseudo-terminal or a serial device at 9600 baud.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <limits>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "board_model.h"
#include "cli/command_line.h"
#include "fault_dice.h"
#include "line_output.h"
#include "link/frame_encoder.h"
#include "link/frame_format.h"
#include "platform/posix_io.h"
#include "platform/serial_port.h"
#include "platform/system_error_text.h"
#include "scenario.h"
#include "sim_options.h"
#include "stop_signal.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// 8N1: a start bit, eight data bits and a stop bit per byte.
constexpr int kBitsPerByte = 10;
constexpr std::chrono::nanoseconds kByteTime{1'000'000'000LL * kBitsPerByte / kSerialBaudRate};
// Bytes written at once when pacing at the line rate: about 10 ms of line.
constexpr size_t kPacedChunkBytes = 10;
// A pause inside a frame: longer than the logger's read time-out.
constexpr milliseconds kGapTime{300};
// A silence between frames: longer than the logger's 10 s watchdog.
constexpr milliseconds kSilenceTime{11000};
// The type byte names units 0 to 4 in turn.
constexpr int kUnitIndexCount = 5;

enum ExitCode : int { kExitOk = 0, kExitFailure = 1 };

// Sends bytes no faster than the line carries them. lineClock is when the
// line is free again; a line that fell idle does not catch up in a burst.
bool SendPaced(LineOutput& line, std::span<const uint8_t> bytes, Clock::time_point& lineClock) {
  lineClock = std::max(lineClock, Clock::now());
  for (size_t at = 0; at < bytes.size(); at += kPacedChunkBytes) {
    const std::span<const uint8_t> chunk = bytes.subspan(at, std::min(kPacedChunkBytes, bytes.size() - at));
    if (!SleepUntil(lineClock) || !line.Write(chunk)) {
      return false;
    }
    lineClock += kByteTime * chunk.size();
  }
  return true;
}

// Sends at the line rate when the frame period leaves time for it, else as
// fast as the line takes the bytes.
bool Send(LineOutput& line, std::span<const uint8_t> bytes, bool paced, Clock::time_point& lineClock) {
  return paced ? SendPaced(line, bytes, lineClock) : line.Write(bytes);
}

int RunFrames(const SimOptions& options, LineOutput& line, uint32_t seed) {
  const int valueCount = static_cast<int>(RecordValueCount(options.layout));
  const auto wireTime =
      std::chrono::duration_cast<milliseconds>(kByteTime * plenx::frame::FrameBytes(valueCount));
  const milliseconds interval = options.intervalMs ? milliseconds(*options.intervalMs) : wireTime;
  const bool paced = interval >= wireTime;
  // Simulated time per frame; at full speed the installation still moves
  // as if the frames came at the line rate.
  const double frameSeconds = std::chrono::duration<double>(std::max(interval, wireTime)).count();

  BoardModel model(options.layout, seed);
  std::optional<ScenarioScript> script;
  if (options.scenario) script.emplace(*options.scenario, model);
  FaultDice dice(options.faults, seed + 1);
  std::vector<uint8_t> frame;
  Clock::time_point lineClock = Clock::now();
  Clock::time_point nextStart = Clock::now();
  for (long long sent = 0; options.frames < 0 || sent < options.frames; ++sent) {
    if (!SleepUntil(nextStart)) {
      return kExitOk;
    }
    nextStart = std::max(nextStart, Clock::now()) + interval;
    if (paced) {
      line.DropStaleInput();
    }
    if (script) {
      script->Advance(frameSeconds);
    } else {
      model.Advance(frameSeconds);
    }
    frame.clear();
    AppendFrame(frame, static_cast<int>(sent % kUnitIndexCount), model.Values());
    const FrameFaults faults = dice.Roll();
    if (faults.badChecksum) {
      frame.back() = static_cast<uint8_t>((frame.back() + 1) % plenx::frame::kDigitBase);
    }
    const std::span<const uint8_t> bytes(frame);
    const size_t split = faults.gap ? dice.GapPosition(bytes.size()) : bytes.size();
    if (!Send(line, bytes.first(split), paced, lineClock)) {
      return StopRequested() ? kExitOk : kExitFailure;
    }
    if (faults.gap &&
        (!SleepUntil(Clock::now() + kGapTime) || !Send(line, bytes.subspan(split), paced, lineClock))) {
      return StopRequested() ? kExitOk : kExitFailure;
    }
    if (faults.garbage && !Send(line, dice.Garbage(), paced, lineClock)) {
      return StopRequested() ? kExitOk : kExitFailure;
    }
    if (faults.silence && !SleepUntil(Clock::now() + kSilenceTime)) {
      return kExitOk;
    }
  }
  line.Drain();
  return kExitOk;
}

int RunReplay(const std::string& path, LineOutput& line) {
  const int capture = OpenForReading(path);
  std::optional<std::string> read;
  if (capture >= 0) {
    read = ReadToEnd(capture, std::numeric_limits<size_t>::max());
    CloseFile(capture);
  }
  if (!read) {
    std::fprintf(stderr, "plenx-board-sim: cannot read %s: %s\n", path.c_str(),
                 SystemErrorText(errno).c_str());
    return kExitFailure;
  }
  const std::vector<uint8_t> bytes(read->begin(), read->end());
  Clock::time_point lineClock = Clock::now();
  if (!SendPaced(line, bytes, lineClock)) {
    return StopRequested() ? kExitOk : kExitFailure;
  }
  line.Drain();
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"", "plenx-board-sim"};
  SimOptions options;
  AddSimOptions(app, options);
  if (const std::optional<int> exitStatus = ParseCommandLine(app, argc, argv)) return *exitStatus;
  InstallStopSignalHandlers();
  std::string error;
  std::optional<LineOutput> line = options.devicePath.empty()
                                       ? LineOutput::CreatePty(error)
                                       : LineOutput::OpenDevice(options.devicePath, error);
  if (!line) {
    std::fprintf(stderr, "plenx-board-sim: %s\n", error.c_str());
    return kExitFailure;
  }
  std::printf("%s\n", line->DevicePath().c_str());
  std::fflush(stdout);
  if (!options.replayPath.empty()) {
    return RunReplay(options.replayPath, *line);
  }
  const uint32_t seed = options.seed ? *options.seed : std::random_device{}();
  return RunFrames(options, *line, seed);
}
