// Parsing of plenx-board-sim's command line.
#include "sim_options.h"

#include <charconv>
#include <cstdlib>
#include <set>
#include <string_view>

namespace {

// A frame longer than this is no plausible layout; it also bounds the
// simulator's allocations.
constexpr long long kMaxValueCount = 20000;

const std::set<std::string_view> kValueOptions = {"--device",
                                                  "--layout",
                                                  "--frames",
                                                  "--interval-ms",
                                                  "--seed",
                                                  "--replay",
                                                  "--bad-checksum-rate",
                                                  "--garbage-rate",
                                                  "--silence-rate",
                                                  "--gap-rate"};

template <typename Number>
bool ParseNumber(std::string_view text, Number& number) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  return error == std::errc() && end == text.data() + text.size();
}

bool ParseRate(std::string_view text, double& rate) {
  const std::string copy(text);
  char* end = nullptr;
  rate = std::strtod(copy.c_str(), &end);
  return !copy.empty() && *end == '\0' && rate >= 0 && rate <= 1;
}

bool ParseLayout(std::string_view text, BoardLayout& layout) {
  const size_t first = text.find(',');
  const size_t second = first == std::string_view::npos ? first : text.find(',', first + 1);
  if (second == std::string_view::npos) {
    return false;
  }
  if (!ParseNumber(text.substr(0, first), layout.statusParams) ||
      !ParseNumber(text.substr(first + 1, second - first - 1), layout.numDevices) ||
      !ParseNumber(text.substr(second + 1), layout.acParams)) {
    return false;
  }
  if (layout.statusParams < 0 || layout.numDevices < 0 || layout.acParams < 0) {
    return false;
  }
  const long long count = layout.statusParams + static_cast<long long>(layout.numDevices) * layout.acParams;
  return count >= 1 && count <= kMaxValueCount;
}

}  // namespace

const char* const kSimUsage =
    "usage: plenx-board-sim [--pty | --device PATH] [options]\n"
    "Stands in for the installation's control board: writes telemetry frames\n"
    "to a serial line at 9600 baud.\n"
    "  --pty               create a pseudo-terminal (the default) and print its\n"
    "                      device path as the first line\n"
    "  --device PATH       write to an existing serial device instead\n"
    "  --layout S,N,A      status values, units, values per unit (69,4,40)\n"
    "  --frames N          frames to send (default: until stopped)\n"
    "  --interval-ms MS    start-to-start time of frames (default: the frame's\n"
    "                      wire time at 9600 baud; 0: as fast as the line takes)\n"
    "  --seed N            seed of the simulated installation and the faults\n"
    "  --replay FILE       send the bytes of a capture once, at the line rate,\n"
    "                      instead of generated frames\n"
    "  --bad-checksum-rate R  chance per frame of a wrong checksum (0 to 1)\n"
    "  --garbage-rate R    chance per frame of noise bytes after it\n"
    "  --silence-rate R    chance per frame of an 11 s silence after it\n"
    "  --gap-rate R        chance per frame of a 300 ms pause inside it\n"
    "SIGINT or SIGTERM ends it.\n";

std::optional<SimOptions> ParseSimOptions(int argc, char** argv, std::string& error, bool& wantsHelp) {
  SimOptions options;
  wantsHelp = false;
  bool ptyGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view option = argv[i];
    if (option == "--help" || option == "-h") {
      wantsHelp = true;
      error = kSimUsage;
      return std::nullopt;
    }
    if (option == "--pty") {
      ptyGiven = true;
      continue;
    }
    if (!kValueOptions.contains(option)) {
      error = "unknown option: " + std::string(option);
      return std::nullopt;
    }
    if (i + 1 >= argc) {
      error = "missing value for " + std::string(option);
      return std::nullopt;
    }
    const std::string_view value = argv[++i];
    bool valid = true;
    if (option == "--device") {
      options.devicePath = value;
      valid = !value.empty();
    } else if (option == "--layout") {
      valid = ParseLayout(value, options.layout);
    } else if (option == "--frames") {
      valid = ParseNumber(value, options.frames) && options.frames >= 0;
    } else if (option == "--interval-ms") {
      int intervalMs = 0;
      valid = ParseNumber(value, intervalMs) && intervalMs >= 0;
      options.intervalMs = intervalMs;
    } else if (option == "--seed") {
      uint32_t seed = 0;
      valid = ParseNumber(value, seed);
      options.seed = seed;
    } else if (option == "--replay") {
      options.replayPath = value;
      valid = !value.empty();
    } else if (option == "--bad-checksum-rate") {
      valid = ParseRate(value, options.faults.badChecksum);
    } else if (option == "--garbage-rate") {
      valid = ParseRate(value, options.faults.garbage);
    } else if (option == "--silence-rate") {
      valid = ParseRate(value, options.faults.silence);
    } else {
      valid = ParseRate(value, options.faults.gap);
    }
    if (!valid) {
      error = "invalid value for " + std::string(option) + ": " + std::string(value);
      return std::nullopt;
    }
  }
  if (ptyGiven && !options.devicePath.empty()) {
    error = "--pty and --device exclude each other";
    return std::nullopt;
  }
  return options;
}
