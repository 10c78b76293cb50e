// CTESSAMPLENXLOGGERDlg: the main dialog, owner of all long-lived state of
// the program (link, log file, configuration, unit views, run flags).
//
// Threads: everything runs on the user-interface thread except PostRecord,
// which the link's reader thread calls.
#pragma once

#include <QIcon>
#include <QTimer>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "app/s_tab_ctrl.h"
#include "app/stop_task.h"
#include "config/logger_config.h"
#include "config/window_settings.h"
#include "decode/log_file.h"
#include "decode/log_replay.h"
#include "decode/user_prompt.h"
#include "decode/view_dump.h"
#include "link/record_post.h"
#include "link/simple_protocol.h"
#include "platform/raw_capture.h"
#include "ui/combo_box.h"
#include "ui/dialog.h"
#include "ui/edit.h"
#include "ui/list_ctrl.h"
#include "ui/static_text.h"

// The watchdog: timer 1 of the dialog, restarted by every record.
inline constexpr UINT_PTR kWatchdogTimerId = 1;
inline constexpr UINT kWatchdogPeriodMs = 10000;
// Lists behind the outdoor unit that the dialog has room for: one per unit
// it shows (the units of a larger NUMDEVICES are logged but not shown).
inline constexpr int kUnitListCount = kShownUnitCount;
// Posted to itself by OnInitDialog, so that configuration warnings are shown
// over the visible window.
inline constexpr UINT WM_SHOW_CONFIG_WARNINGS = WM_APP + 2;
// How long Stop's archive runs before its progress window appears.
inline constexpr int kArchiveProgressDelayMs = 500;
// Shown once at a time when a record does not hold the values its layout
// needs, live or replayed.
inline constexpr std::string_view kImproperArgumentText = "Encountered an improper argument.";
// Asked when Escape or the close box would end a run.
inline constexpr std::string_view kCloseDuringRunQuestion =
    "A run is active. Stop it and close Plenx Logger?";

// Posted by the reader thread for each LinkEvent: wParam the event, lParam
// the errno behind it.
inline constexpr UINT WM_LINK_EVENT = WM_APP + 5;

class ArchiveProgressDialog;
class ReplayPanel;
class TrendWindow;

class CTESSAMPLENXLOGGERDlg : public CDialog, public UserPrompt, public RecordWindow {
 public:
  // Built on template 102 without a parent. `configPath` is the INI file
  // that OnInitDialog loads; without one, the file beside the executable.
  explicit CTESSAMPLENXLOGGERDlg(std::optional<std::string> configPath = std::nullopt);
  // Destroys a window still open, which ends a run first.
  ~CTESSAMPLENXLOGGERDlg() override;

  // Ends the dialog without a question: a run still active is stopped
  // first, and the dialog ends once its Stop has finished (link closed, log
  // on disk, archive written). For a termination signal.
  void CloseAfterStop();

  // A command of the window menu (the window's right-click menu): 16 to 31
  // show the About box, kTrendsCommand opens the trends window, SC_MINIMIZE minimises, SC_RESTORE restores,
  // SC_CLOSE closes as the close button does, and every other command is
  // ignored.
  void OnSysCommand(UINT nID, LPARAM lParam);

  // Every run keeps its raw capture of the line in `path` (a relative name is
  // taken from the current folder), whatever RAWCAPTURE and the log file
  // name say. Before the window opens.
  void SetRawCaptureFile(std::string path) { m_rawCaptureFile = std::move(path); }

  // Where a line lost and a line back are written, one line each, for an
  // unattended run; nullptr (the default) writes them nowhere. The window
  // itself shows only the banner, after 10 s without records as always.
  void SetLinkEventOutput(std::FILE* out) { m_linkEventOutput = out; }

  // UserPrompt: message boxes owned by this window.
  PromptAnswer AskYesNoCancel(const std::string& text, const std::string& caption) override;
  void ShowError(const std::string& text) override;

  // RecordWindow, on the reader thread: posts WM_LINK_RECORD with the record
  // text as wParam and the unit index as lParam. The message owns the text
  // only when the post succeeds; otherwise `recordText` frees it here.
  bool PostRecord(uint32_t message, std::unique_ptr<std::string> recordText, int unitIndex) override;
  // RecordWindow, on the reader thread: posts WM_LINK_EVENT.
  bool PostLinkEvent(LinkEvent event, int error) override;

  // True from a successful Start until the run has ended, and while a log
  // is replayed.
  bool IsRunActive() const { return m_started || m_replaying; }

  // Replay (replay_control.cpp). Shows the records of the log at path in
  // the unit lists, through the record handler of a live run, at their
  // recorded pace times speed (kAsFastAsPossible: without waiting); no log
  // is written and no archive made. Start is disabled and Stop ends the
  // replay. False, after a message naming the file and the reason, when
  // the log cannot be opened, or when a run or replay is active.
  bool StartReplay(const std::string& path, double speed);
  bool IsReplaying() const { return m_replaying; }
  // True when the last replay could not open or read its log to the end.
  bool ReplayFailed() const { return m_replayFailed; }
  // `handler` runs on the user-interface thread each time a run has ended:
  // the link and the log closed and the archive written (the end of Stop).
  // Unattended runs wait for it before they report and close the window.
  void SetRunEndedHandler(std::function<void()> handler) { m_onRunEnded = std::move(handler); }
  // The banner's state and, for every tab in order, the rows of the list
  // attached to it, as they are shown now (view_dump.cpp).
  ViewDump DumpViews() const;

 protected:
  void DoDataExchange() override;
  BOOL OnInitDialog() override;
  void OnTimer(UINT_PTR nIDEvent) override;
  void OnDestroy() override;
  // Enter never ends the main dialog: a stray key must not stop a run.
  void OnOK() override;
  // Escape and the close box: while idle the dialog ends; during a run,
  // only when the user confirms kCloseDuringRunQuestion, after Stop.
  void OnCancel() override;
  // Frees the record texts of WM_LINK_RECORD messages still queued when the
  // window goes.
  void OnDiscardPostedMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  // Device views (device_views.cpp).
  void SetupViews();
  void BuildOutdoorList();
  void BuildUnitLists();

  // Run control (run_control.cpp).
  void FillPortList();
  void OnCbnSelchangePort();
  void OnBnClickedSaveAs();
  void OnBnClickedStart();
  // Begins Stop: the link's close, the log's flush and the archive run on a
  // worker while Start, Stop and the run's choices are disabled; the window
  // keeps handling messages. OnStopDone completes it.
  void OnBnClickedStop();
  // WM_STOP_PROGRESS: the archive's progress window, once it has lasted.
  void OnStopProgress(uint64_t bytesRead, uint64_t logBytes);
  // WM_STOP_DONE: the run is idle again; failures are shown, and a close
  // requested meanwhile ends the dialog.
  void OnStopDone();

  // Record intake (link_record.cpp): shows, logs and releases one record.
  // A replayed record is shown only: no log line, no watchdog.
  LRESULT OnLinkRecord(WPARAM wParam, LPARAM lParam);
  // Line events (link_event.cpp): a lost or returning line is written to the
  // link event output; a failed raw capture write is reported as a full
  // disk, with one such box open at a time.
  LRESULT OnLinkEvent(WPARAM wParam, LPARAM lParam);

  // Replay (replay_control.cpp). The menu's "Replay a log...": asks for a
  // log, then StartReplay at 1x.
  void OnReplayLog();
  // The log to replay, from a file dialog; nothing when cancelled.
  virtual std::optional<std::string> ChooseLogToReplay();
  // Hands out the records due and schedules the next step.
  void OnReplayTimer();
  enum class ReplayEnd { kFinished, kStopped, kReadFailed };
  // Ends an active replay: the lists keep the last record's values, and
  // what went wrong (a read failure, skipped lines) is reported unless it
  // was stopped.
  void EndReplay(ReplayEnd how);

  QIcon m_hIcon;  // icon 128, the window's icon
  // Records of the current run; LogRecord advances it and decimates by it.
  int32_t m_recordCount = 0;
  CSimpleProtocol m_link;
  LogFile m_logFile;
  // Every byte of the line during a run, when the run keeps a raw capture.
  RawCapture m_rawCapture;
  CStatic m_banner;
  LoggerConfig m_config;
  CListCtrl m_outdoorList;
  std::array<CListCtrl, kUnitListCount> m_unitLists;  // element u: tab u + 1
  bool m_linkOpen = false;
  bool m_started = false;
  // Stop has begun and not yet finished (m_started is still true).
  bool m_stopping = false;
  // Tests shorten it; the program keeps kArchiveProgressDelayMs.
  int m_archiveProgressDelayMs = kArchiveProgressDelayMs;
  CEdit m_logNameEdit;
  CComboBox m_portCombo;
  CStatic m_viewFrame;
  CSTabCtrl m_tabs;

 private:
  // Builds one list in the tab area with its columns and the labelled rows.
  // The Parameter column is `parameterColumnWidthPx` wide or as wide as its
  // longest label, as far as the list has room; a width the user gave a
  // column earlier takes the place of either.
  void BuildList(CListCtrl& list, int nID, int parameterColumnWidthPx, int listIndex);

  // Window layout (window_layout.cpp). Anchors the controls so that the
  // unit views grow with the window while the left column and the bottom
  // row keep their place.
  void AnchorControls();
  // Gives the window the size it had when it was last closed, as far as
  // the screen has room, and reads the column widths the user gave.
  void RestoreWindowLayout();
  // Stores the window's size and the column widths the user changed.
  void RememberWindowLayout();
  // Takes the widths of `list`'s columns that differ from those it was
  // built with as the user's own.
  void NoteUserColumnWidths(const CListCtrl& list, int listIndex);
  void ShowConfigWarnings();
  // Hides (running) or shows the controls that prepare a run: the view
  // frame, the port list and its label, and the Save-as button.
  void ShowRunLayout(bool running);
  // Enables or disables Start, Stop and the run's choices (port, Save-as).
  void EnableRunControls(bool enable);
  // Stop's second step, once the link is closed: hands the log and the raw
  // capture over to the worker, which flushes and closes them and writes
  // the archive.
  void StartStopArchive();
  // Waits for the Stop in progress and returns to idle; shows its failures.
  void CompleteStop();

  // Errors that a repeating event (a record every half second) may raise
  // again and again: at most one box of each kind is open at a time.
  enum class RepeatingError { kDiskFull, kLogReopened, kRawCaptureWriteFailed, kImproperArgument };
  // Shows text in an error box unless a box of this kind is already open.
  void ShowRepeatingError(RepeatingError kind, const std::string& text);
  // The raw capture file of the next run: the one SetRawCaptureFile gave;
  // else "<log file>.raw" when RAWCAPTURE is 1 and a log is kept; else none
  // (empty).
  std::string RawCapturePath() const;
  // Opens the raw capture of a starting run at path (nothing for an empty
  // path); when it cannot be opened, says so in a message box and returns
  // false.
  bool OpenRawCapture(const std::string& path);
  // Gives the window menu to the dialog's window (right-click).
  void InstallWindowMenu();
  // Shows the trends window, made on first use.
  void OpenTrends();

  std::optional<std::string> m_configPath;
  // The window's size as restored at start-up; only a different one is stored.
  std::optional<WindowSize> m_restoredSize;
  // Column widths the user gave, by list and column (0: none), and as read
  // at start-up; only a change is stored.
  ColumnWidths m_userColumnWidths;
  ColumnWidths m_storedColumnWidths;
  // The widths each list's columns were given when it was last built.
  ColumnWidths m_builtColumnWidths;
  ConfigWarnings m_configWarnings;
  std::function<void()> m_onRunEnded;
  // The dialog's handle for the reader thread, 0 while there is no window.
  std::atomic<HWND> m_recordWindow{0};
  StopTask m_stopTask;
  // What the Stop task works on: the link's close, then the files.
  enum class StopPhase { kClosingLink, kArchiving };
  StopPhase m_stopPhase = StopPhase::kArchiving;
  // The archive's path during Stop, for the progress window.
  std::string m_stopArchivePath;
  std::unique_ptr<ArchiveProgressDialog> m_archiveProgress;
  // Opened by the window menu's Trends entry, then kept (also while hidden)
  // and fed every record of the run until the dialog goes.
  std::unique_ptr<TrendWindow> m_trends;
  bool m_closeWhenStopped = false;
  std::set<RepeatingError> m_openErrorBoxes;
  std::optional<std::string> m_rawCaptureFile;
  std::FILE* m_linkEventOutput = nullptr;

  // The replay: the log read and paced, its timer (single shot, restarted
  // after every step), and its control window, which stays after the end
  // to show the last position until the next run or replay.
  SteadyReplayClock m_replayClock;
  std::unique_ptr<LogReplay> m_replay;
  std::unique_ptr<ReplayPanel> m_replayPanel;
  QTimer m_replayTimer;
  std::string m_replayPath;
  bool m_replaying = false;
  bool m_replayFailed = false;
  // Within OnReplayTimer: a tick from a box's loop does nothing.
  bool m_replayTicking = false;
  // "Encountered an improper argument." was shown for this replay.
  bool m_replayLayoutReported = false;
};
