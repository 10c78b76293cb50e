// A logging run in a process of its own for the kill -9 test: the run core
// on a fast clock with day files, logging what the board sends on DEVICE to
// LOG until a termination signal stops it as Stop does.
//
// usage: site-run DEVICE LOG START RATE
//   START: the clock's first time, in seconds since the epoch; RATE: how
//   many times as fast as real time it runs.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/termination_signals.h"
#include "run/run_core.h"

namespace {

constexpr int kArgumentCount = 5;

class AppendingPrompt : public UserPrompt {
 public:
  PromptAnswer AskYesNoCancel(const std::string&, const std::string&) override { return PromptAnswer::Yes; }
  void ShowError(const std::string& text) override { std::fprintf(stderr, "site-run: %s\n", text.c_str()); }
};

// The run's events and its end, on standard error, for a failing test to show.
class EventLines : public RunObserver {
 public:
  void OnRunEvent(const RunEvent& event) override {
    if (!event.message.empty()) std::fprintf(stderr, "site-run: %s\n", event.message.c_str());
  }
  void OnRunEnded(const RunEnd& end) override {
    for (const std::string& message : end.failureMessages)
      std::fprintf(stderr, "site-run: %s\n", message.c_str());
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != kArgumentCount) {
    std::fprintf(stderr, "usage: site-run DEVICE LOG START RATE\n");
    return 2;
  }
  const timespec start{static_cast<time_t>(std::strtoll(argv[3], nullptr, 10)), 0};
  auto clock = std::make_shared<FastWallClock>(start, std::strtod(argv[4], nullptr));
  LoggerConfig config;
  config.Load("");
  RunCore core(config, "", {}, clock);
  EventLines lines;
  core.Subscribe(lines);
  const TerminationSignalWatch signals([&core] { core.Stop(); });
  RunRequest request;
  request.portName = argv[1];
  request.logPath = argv[2];
  request.upkeep = RotationSettings{RotationKind::kDaily, 0, 0, 0};
  AppendingPrompt prompt;
  const RunStartResult started = core.Start(request, prompt);
  if (!started.Started()) {
    std::fprintf(stderr, "site-run: %s\n", started.message.c_str());
    return 1;
  }
  core.WaitEnded();
  return 0;
}
