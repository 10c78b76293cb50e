// Stop on a 200 MB log, as the window runs it: the run core closes the link,
// flushes the log and writes the archive on its own thread, the window's
// thread handling events meanwhile. Reports the total Stop time and the longest
// gap between two events the window's thread handled during Stop, measured
// with a 1 ms heartbeat timer (goal: under 100 ms), and the longest stretch
// of CPU time the window's thread itself spent between two ticks.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/logger_dialog.h"
#include "app/resource_ids.h"
#include "archive/log_archive_name.h"
#include "bench/telemetry_log.h"
#include "testkit/pty_line.h"
#include "ui/button.h"
#include "ui/dialog_responder.h"

namespace {

constexpr size_t kLogBytes = 200u * 1000u * 1000u;
// Heartbeat period: each tick is one event the window's thread handled.
constexpr int kHeartbeatMs = 1;

double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Answers Yes to the append question; every other box is counted.
class AppendResponder : public DialogResponder {
 public:
  int AnswerMessageBox(const MessageBoxRequest& request) override {
    if (request.type == MB_YESNOCANCEL) return IDYES;
    ++otherBoxes;
    std::fprintf(stderr, "stop_bench: unexpected message: %s\n", request.text.c_str());
    return CancelAnswerFor(request.type);
  }
  std::optional<std::string> AnswerSaveFile(const SaveFileRequest&) override { return std::nullopt; }
  int otherBoxes = 0;
};

class BenchDialog : public CTESSAMPLENXLOGGERDlg {
 public:
  using CTESSAMPLENXLOGGERDlg::CTESSAMPLENXLOGGERDlg;
  using CTESSAMPLENXLOGGERDlg::m_config;
  using CTESSAMPLENXLOGGERDlg::m_started;
  void Click(int id) { dynamic_cast<CButton&>(*GetDlgItem(id)).Click(); }
};

void BM_StopOn200MBLog(benchmark::State& state) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int argc = 1;
  char name[] = "stop_bench";
  char* argv[] = {name, nullptr};
  QApplication application(argc, argv);

  std::string folder = (std::filesystem::temp_directory_path() / "plenx-stop-bench-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr) {
    state.SkipWithError("no scratch folder");
    return;
  }
  ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);  // the run's settings stay here
  const std::string log = folder + "/site.log";
  {
    const std::string text = TelemetryLog(kLogBytes);
    std::FILE* file = std::fopen(log.c_str(), "wb");
    if (file == nullptr || std::fwrite(text.data(), 1, text.size(), file) != text.size()) {
      state.SkipWithError("cannot write the log");
      return;
    }
    std::fclose(file);
  }
  PtyLine line;
  AppendResponder responder;
  SetDialogResponder(&responder);

  for (auto _ : state) {
    BenchDialog dlg(std::string{});
    dlg.Create();
    dlg.m_config.portName = line.SlavePath();
    dlg.m_config.logFileName = log;
    dlg.Click(kStartButtonId);
    if (!dlg.m_started) {
      state.SkipWithError("the run did not start");
      break;
    }

    QElapsedTimer clock;
    qint64 lastTickMs = -1;
    qint64 longestGapMs = 0;
    qint64 longestGapEndMs = 0;
    // CPU time the window's thread itself spent between two ticks: its own
    // work, apart from the time the system gave to other threads.
    double lastTickCpuMs = ThreadCpuMs();
    double longestBusyMs = 0;
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
      const qint64 now = clock.elapsed();
      if (lastTickMs >= 0 && now - lastTickMs > longestGapMs) {
        longestGapMs = now - lastTickMs;
        longestGapEndMs = now;
      }
      lastTickMs = now;
      const double cpu = ThreadCpuMs();
      if (cpu - lastTickCpuMs > longestBusyMs) longestBusyMs = cpu - lastTickCpuMs;
      lastTickCpuMs = cpu;
    });
    QEventLoop loop;
    QTimer stopper;
    QObject::connect(&stopper, &QTimer::timeout, [&] {
      if (!dlg.m_started) loop.quit();
    });
    clock.start();
    lastTickMs = 0;
    heartbeat.start(kHeartbeatMs);
    stopper.start(kHeartbeatMs);
    // The click runs inside the loop, so its own time counts as a gap.
    QTimer::singleShot(0, [&] { dlg.Click(kStopButtonId); });
    loop.exec();
    const qint64 stopMs = clock.elapsed();
    state.SetIterationTime(static_cast<double>(stopMs) / 1000.0);
    state.counters["stop_s"] = static_cast<double>(stopMs) / 1000.0;
    state.counters["longest_ui_gap_ms"] = static_cast<double>(longestGapMs);
    // When in Stop it ended, to tell the click, the archive's start (its
    // progress window) and the end apart.
    state.counters["gap_end_s"] = static_cast<double>(longestGapEndMs) / 1000.0;
    state.counters["longest_ui_busy_ms"] = longestBusyMs;
    dlg.DestroyWindow();
  }
  state.counters["log_MB"] = static_cast<double>(kLogBytes) / 1e6;
  state.counters["other_boxes"] = responder.otherBoxes;
  SetDialogResponder(nullptr);
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}
BENCHMARK(BM_StopOn200MBLog)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
