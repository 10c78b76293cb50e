// The unattended run: the run core with its views printed and its messages
// written, without a window.
#include "headless/headless_run.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>

#include "config/persisted_settings.h"
#include "decode/view_dump.h"
#include "headless/headless_notes.h"
#include "headless/run_summary.h"
#include "platform/folder_files.h"
#include "platform/full_path.h"
#include "platform/termination_signals.h"
#include "run/log_file.h"
#include "run/port_list.h"
#include "run/run_config.h"
#include "run/run_core.h"
#include "run/run_views.h"

namespace {

using Clock = std::chrono::steady_clock;

// Longest path a chosen log file may have: the save dialog's 260-byte buffer
// with its terminating zero.
constexpr size_t kMaxChosenPathBytes = 259;

// The log file chosen as the window's save dialog takes it: a full path, in
// an existing folder, that fits its buffer. Empty when taken, else why not.
std::string LogFileRefusal(const std::string& chosen) {
  if (chosen.size() > kMaxChosenPathBytes) {
    return "cannot log to " + chosen + ": the path is longer than " + std::to_string(kMaxChosenPathBytes) +
           " bytes";
  }
  if (!IsFolder(FolderOf(chosen))) return "cannot log to " + chosen + ": its folder does not exist";
  return {};
}

// The remembered port when the list has it, else the list's first.
std::string RememberedPortItem() {
  const std::string remembered = ReadPortSetting();
  for (const std::string& item : PortItemTexts()) {
    if (item == remembered) return item;
  }
  return PortItemText(1);
}

// The append question answered as a closed box would (no run) unless the
// command line said to append; the question is written only then.
class HeadlessPrompt : public UserPrompt {
 public:
  HeadlessPrompt(HeadlessNotes& notes, bool append) : m_notes(notes), m_append(append) {}
  PromptAnswer AskYesNoCancel(const std::string& text, const std::string& caption) override {
    if (m_append) return PromptAnswer::Yes;
    m_notes.Message(caption, text);
    return PromptAnswer::Cancel;
  }
  void ShowError(const std::string& text) override { m_notes.Message({}, text); }

 private:
  HeadlessNotes& m_notes;
  bool m_append;
};

// What wakes the waiting program: the end of the run, or a signal.
class Wakeups {
 public:
  void RunEnded(const RunEnd& end) {
    {
      std::lock_guard lock(m_mutex);
      m_ended = true;
      m_end = end;
    }
    m_wake.notify_all();
  }
  void Signalled() {
    {
      std::lock_guard lock(m_mutex);
      m_signalled = true;
    }
    m_wake.notify_all();
  }
  bool WasSignalled() {
    std::lock_guard lock(m_mutex);
    return m_signalled;
  }
  // How the run ended; once it has.
  RunEnd End() {
    std::lock_guard lock(m_mutex);
    return m_end;
  }
  // Waits until deadline (none: nullopt) or a wake-up; the wake-ups are
  // reported, not cleared.
  void WaitUntil(std::optional<Clock::time_point> deadline, bool& ended, bool& signalled) {
    std::unique_lock lock(m_mutex);
    const auto woken = [this] { return m_ended || m_signalled; };
    if (deadline) {
      m_wake.wait_until(lock, *deadline, woken);
    } else {
      m_wake.wait(lock, woken);
    }
    ended = m_ended;
    signalled = m_signalled;
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_ended = false;
  bool m_signalled = false;
  RunEnd m_end;
};

// The views printed in blocks, an empty line between two.
class ViewPrinter {
 public:
  explicit ViewPrinter(std::FILE* out) : m_out(out) {}
  void Print(const ViewDump& dump) {
    std::string text;
    if (m_printed) text += '\n';
    AppendViewDump(dump, text);
    std::fwrite(text.data(), 1, text.size(), m_out);
    std::fflush(m_out);
    m_printed = true;
  }

 private:
  std::FILE* m_out;
  bool m_printed = false;
};

}  // namespace

int RunHeadless(const HeadlessOptions& options, std::FILE* views, std::FILE* notes,
                const std::string& program, const std::vector<RunObserver*>& faces) {
  IgnoreBrokenPipes();
  Wakeups wakeups;
  const TerminationSignalWatch signalWatch([&wakeups] { wakeups.Signalled(); });
  HeadlessNotes notesFace(notes, program, [&wakeups](const RunEnd& end) { wakeups.RunEnded(end); });

  const RunConfig loaded = LoadRunConfig();
  if (!loaded.warnings.empty()) notesFace.Message({}, ConfigWarningsText(loaded.warnings));
  // The faces outlive the run, which ends before they go.
  RunViews viewsFace(loaded.config);
  RunCore core(loaded.config, loaded.path);
  core.Subscribe(viewsFace);
  core.Subscribe(notesFace);
  for (RunObserver* face : faces) core.Subscribe(*face);

  // A signal before the start: no run.
  if (wakeups.WasSignalled()) return kExitNoRun;
  RunStartResult started;
  std::string startNote;
  bool keepsLog = false;
  if (options.replayPath) {
    started = core.StartReplay(*options.replayPath, options.replaySpeed);
    // The name is file-system bytes, printed as it is.
    startNote = "replaying " + *options.replayPath;
  } else {
    const std::string port = options.portName.value_or(RememberedPortItem());
    std::string log = ReadLogFileSetting();
    if (options.logFile) {
      log = FullPath(*options.logFile);
      if (const std::string refusal = LogFileRefusal(log); !refusal.empty()) {
        notesFace.Announce(refusal);
        return kExitNoRun;
      }
    }
    RunRequest request;
    request.portName = port;
    request.logPath = log;
    keepsLog = !log.empty();
    request.rawCapturePath = RawCapturePathFor(loaded.config, log, options.rawCapturePath);
    request.upkeep = options.upkeep;
    request.rememberChoices = true;
    HeadlessPrompt prompt(notesFace, options.append);
    started = core.Start(request, prompt);
    startNote = "run started on " + port + ", " + (log.empty() ? "keeping no log" : "logging to " + log);
  }
  if (!started.Started()) {
    if (!started.message.empty()) notesFace.Message({}, started.message);
    return kExitNoRun;
  }
  notesFace.Announce(startNote);

  ViewPrinter printer(views);
  const Clock::time_point begun = Clock::now();
  std::optional<Clock::time_point> stopAt;
  if (options.runMs) stopAt = begun + std::chrono::milliseconds(*options.runMs);
  const auto dumpEvery = std::chrono::milliseconds(options.dumpEveryMs.value_or(0));
  std::optional<Clock::time_point> nextDump;
  if (options.dumpEveryMs) nextDump = begun + dumpEvery;
  bool stopping = false;
  bool bannerBeforeStop = false;
  for (;;) {
    // Once Stop is under way, only its end is waited for.
    std::optional<Clock::time_point> deadline;
    if (!stopping) deadline = stopAt ? stopAt : nextDump;
    if (!stopping && stopAt && nextDump) deadline = std::min(*stopAt, *nextDump);
    bool ended = false;
    bool signalled = false;
    wakeups.WaitUntil(deadline, ended, signalled);
    if (ended) break;
    if (stopping) continue;
    const Clock::time_point now = Clock::now();
    if (signalled || (stopAt && now >= *stopAt)) {
      // Stop as a technician's click: the views printed after it show the
      // banner as it was just before.
      stopping = true;
      bannerBeforeStop = viewsFace.BannerShown();
      core.Stop();
    } else if (nextDump && now >= *nextDump) {
      printer.Print(viewsFace.Dump());
      *nextDump += dumpEvery;
    }
  }
  core.WaitEnded();
  // A replay that ended by itself did so on its last record, which hid the banner.
  ViewDump dump = viewsFace.Dump();
  dump.bannerShown = stopping && bannerBeforeStop;
  printer.Print(dump);
  const RunEnd end = wakeups.End();
  if (options.replayPath) return end.replayFailed ? kExitNoRun : kExitRunEnded;
  notesFace.Announce(RunSummaryText(end, keepsLog));
  return RunEndedWell(end) ? kExitRunEnded : kExitRunNotWhole;
}
