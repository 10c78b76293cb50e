// One logging run, or the replay of a log, and the faces it feeds: the run
// owns the link, the decoding, the log and its writer, the raw capture, the
// watchdog, Stop and the archive; the faces (the window's lists, an
// unattended run's views, trends, a broker, ...) subscribe and get each
// record once, as values with text and time, and every event once.
//
// Threads. Start, StartReplay, Stop and the replay controls are called by
// the program's own thread (the window's, or an unattended run's main
// thread); Start asks its questions on it. A live record is taken on the
// link's reader thread, which stamps, decodes and hands it to every face; a
// replayed one on the replay's thread. The log writer, the watchdog and
// Stop's worker have threads of their own and report through the same
// faces. Calls to the faces never overlap (one lock), come in the order the
// run took them, and reach the faces in the order they subscribed.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "config/logger_config.h"
#include "decode/log_replay.h"
#include "link/simple_protocol.h"
#include "platform/raw_capture.h"
#include "run/log_file.h"
#include "run/log_writer.h"
#include "run/run_observer.h"
#include "run/run_record_decoder.h"
#include "run/user_prompt.h"

// The watchdog: a run without a valid record for this long shows the
// "COMMUNICATION ERROR" banner (kLineQuiet).
inline constexpr int kWatchdogPeriodMs = 10000;

// What a live run is started with.
struct RunRequest {
  // The chosen port: "COM3" (a per-user port link, else /dev/ttyS2), or a
  // device path.
  std::string portName;
  // The log file as chosen (file-system bytes, a relative name taken from
  // the current folder); empty: the run keeps no log and makes no archive.
  std::string logPath;
  // The raw capture of the line; empty: none (see RawCapturePathFor).
  std::string rawCapturePath;
  // A successful Start remembers the port and the log file name for the
  // next start of the program (WritePortSetting, WriteLogFileSetting).
  bool rememberChoices = false;
};

// Why Start or StartReplay did not start a run.
enum class RunRefusal : uint8_t {
  kNone,                 // it started
  kAlreadyActive,        // a run or replay is active, or Stop is not through
  kAppendDeclined,       // the append question was not answered Yes; no message
  kLogNotOpened,         // "Cannot open log file <path>: <reason>."
  kRawCaptureNotOpened,  // "Cannot open raw capture file <path>: <reason>."
  kPortNotOpened,        // PortOpenFailureText
  kReplayNotOpened,      // "Cannot open log file <path>: <reason>."
};

struct RunStartResult {
  RunRefusal refusal = RunRefusal::kNone;
  // What the user must be told (Windows-1252); empty for kNone and
  // kAppendDeclined.
  std::string message;
  bool Started() const { return refusal == RunRefusal::kNone; }
};

// Times the program keeps; tests shorten them.
struct RunTimings {
  int watchdogMs = kWatchdogPeriodMs;
  int reopenIntervalMs = CSimpleProtocol::kReopenIntervalMs;
};

// The raw capture file of a run: `chosen` when given (the command line's
// --raw); else "<log>.raw" when RAWCAPTURE is 1 and a log is kept; else
// none (empty).
std::string RawCapturePathFor(const LoggerConfig& config, const std::string& logPath,
                              const std::optional<std::string>& chosen);

class RunCore : private RecordWindow {
 public:
  // Runs of config's layout; configPath names the configuration file in
  // messages (empty: the built-in settings).
  RunCore(LoggerConfig config, std::string configPath, RunTimings timings = {});
  // Stops a run still active and waits for its end (archive included).
  ~RunCore() override;
  RunCore(const RunCore&) = delete;
  RunCore& operator=(const RunCore&) = delete;

  // Adds a face; it gets every call from the next one on. Any thread but a
  // face's call.
  void Subscribe(RunObserver& face);
  // Removes a face; once this returns, it gets no further call. Any thread
  // but a face's call.
  void Unsubscribe(RunObserver& face);

  // Starts a live run: asks `prompt` whether to append to an existing log
  // (or, when only it exists, raw capture), opens the log, the raw capture
  // and the port, and returns once every face has had OnRunStarted and
  // kLineQuiet (no record yet). Records, events and the watchdog follow on
  // the run's threads. Refused with a message that names the file or device
  // and the reason; nothing is then left open, created or remembered.
  RunStartResult Start(const RunRequest& request, UserPrompt& prompt);

  // Replays the log at path at its recorded pace times speed
  // (kAsFastAsPossible: without waiting): every face gets its records as
  // live ones (RunRecord::replayed), the banner events follow the recorded
  // gaps, and no log, archive or watchdog is involved. The run ends by
  // itself after the last record, or at Stop.
  RunStartResult StartReplay(const std::string& path, double speed);
  // The replay's speed and pause, from now on; nothing without a replay.
  void SetReplaySpeed(double speed);
  void SetReplayPaused(bool paused);

  // Ends the active run or replay and returns at once: a live run's link
  // is closed (every record completed before is still handed out), its log
  // flushed and closed, the raw capture closed and the archive written on a
  // worker, which then calls OnRunEnded. Nothing when no run is active or
  // Stop is under way. Any thread but a face's call (a signal watch, say).
  void Stop();

  // From Start or StartReplay until OnRunEnded has been called. Any thread.
  bool IsActive() const;
  // Blocks until no run is active. Any thread but a face's call.
  void WaitEnded();

  const LoggerConfig& Config() const { return m_config; }

 private:
  enum class Phase : uint8_t { kIdle, kLive, kReplay, kStopping };

  // RecordWindow, on the reader thread: one valid frame, one record.
  bool PostRecord(uint32_t message, std::unique_ptr<std::string> recordText, int unitIndex) override;
  bool PostLinkEvent(LinkEvent event, int error) override;

  // Stamps, decodes and hands out one record (the reader's or the replay's).
  void TakeRecord(std::shared_ptr<RunRecord> record);
  // Hands an event to every face; the dispatch lock must be held.
  void AnnounceLocked(RunEvent event);
  void Announce(RunEvent event);
  // The shared start of a run: the layout and the faces' OnRunStarted, with
  // the dispatch lock held.
  void BeginLocked(RunStart start);
  // The end of a run, on the thread that ends it: idle again, then every
  // face's OnRunEnded.
  void Finish(RunEnd end);
  // Joins the threads of a run that has ended.
  void JoinEndedThreads();

  void WatchdogLoop();
  // The watchdog's time has passed without a record; dispatch lock held.
  void WatchdogExpiredLocked();
  void StopLive(LocalTime stopTime);
  void ReplayLoop();
  // A replay's skipped records of another layout, said once; dispatch lock held.
  void ReportLayoutMismatchLocked();

  const LoggerConfig m_config;
  const std::string m_configPath;
  const RunTimings m_timings;

  // Phase, guarded by m_stateMutex; m_ended signals each return to kIdle.
  mutable std::mutex m_stateMutex;
  std::condition_variable m_ended;
  Phase m_phase = Phase::kIdle;

  // Held for every call to a face, and for the state they see.
  std::mutex m_dispatchMutex;
  std::vector<RunObserver*> m_faces;
  std::shared_ptr<const RunLayout> m_layout;
  std::unique_ptr<RunRecordDecoder> m_decoder;  // the record path's thread only
  RunRequest m_request;
  uint64_t m_sequence = 0;
  int32_t m_logCounter = 0;  // LOGEVERY's count of the records of a run that keeps a log
  bool m_lineQuiet = false;
  bool m_lineLost = false;
  bool m_noFrameMatches = false;
  bool m_tooShortSaid = false;
  bool m_layoutMismatchSaid = false;  // a replay's records of another layout were said
  uint64_t m_bytesAtWatch = 0;        // the line's bytes read when the watchdog's time last began

  // A live run.
  CSimpleProtocol m_link;
  LogFile m_log;
  LogWriter m_logWriter;
  RawCapture m_rawCapture;
  std::thread m_stopWorker;

  // The watchdog's thread and its wake-up.
  std::thread m_watchdog;
  std::mutex m_watchMutex;
  std::condition_variable m_watchWake;
  bool m_watchStop = false;  // guarded by m_watchMutex
  // Steady-clock nanoseconds of the last record (or Start), and of the
  // watchdog's last expiry.
  std::atomic<int64_t> m_lastRecordNs{0};
  int64_t m_lastExpiryNs = 0;

  // A replay: its pace and its log, guarded by m_replayMutex.
  SteadyReplayClock m_replayClock;
  std::mutex m_replayMutex;
  std::condition_variable m_replayWake;
  std::unique_ptr<LogReplay> m_replay;
  std::string m_replayPath;
  bool m_replayStop = false;
  bool m_replayControlsChanged = false;
  std::thread m_replayThread;
};
