// CTESSAMPLENXLOGGERDlg: the main dialog: the configuration, the unit views
// and the controls of a run, and a face of the run core (RunCore), which
// owns the run itself (link, log, watchdog, Stop and archive).
//
// Threads: everything here runs on the user-interface thread; the run's
// threads reach the dialog only through messages its face posts.
#pragma once

#include <QIcon>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "app/run_state_line.h"
#include "app/s_tab_ctrl.h"
#include "app/window_event_listener.h"
#include "app/window_run_face.h"
#include "config/logger_config.h"
#include "config/window_settings.h"
#include "decode/view_dump.h"
#include "run/event_face.h"
#include "run/event_history.h"
#include "run/run_core.h"
#include "run/run_views.h"
#include "run/user_prompt.h"
#include "ui/combo_box.h"
#include "ui/dialog.h"
#include "ui/edit.h"
#include "ui/list_ctrl.h"
#include "ui/static_text.h"

// Lists behind the outdoor unit that the dialog has room for: one per unit
// it shows (the units of a larger NUMDEVICES are logged but not shown).
inline constexpr int kUnitListCount = kShownUnitCount;
// Posted to itself by OnInitDialog, so that configuration warnings are shown
// over the visible window.
inline constexpr UINT WM_SHOW_CONFIG_WARNINGS = WM_APP + 2;
// How long Stop's archive runs before its progress window appears.
inline constexpr int kArchiveProgressDelayMs = 500;
// Asked when Escape or the close box would end a run.
inline constexpr std::string_view kCloseDuringRunQuestion =
    "A run is active. Stop it and close Plenx Logger?";

// Posted by the termination signal watch: the dialog closes after Stop.
inline constexpr UINT WM_TERMINATION_SIGNAL = WM_APP + 6;

class ArchiveProgressDialog;
struct FaceSettings;
class WindowFaces;
class EventsPanel;
class ReplayPanel;
class TrendTable;
class TrendWindow;

class CTESSAMPLENXLOGGERDlg : public CDialog, public UserPrompt {
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
  // The upkeep of the runs' log left on site (rotation, archives kept, free
  // space guarded); none unless set.
  void SetSiteUpkeep(const RotationSettings& upkeep) { m_siteUpkeep = upkeep; }

  // The log file the command line asked for was refused (reason: "cannot
  // log to <path>: ..."): says so in an error box and lets go of the log
  // file chosen before, so that no run logs into another file than the one
  // asked for. User-interface thread, while idle.
  void RefuseChosenLogFile(const std::string& reason);
  // The broker and the live page the command line asks for (window_faces.h).
  // Before the window opens.
  void SetFaceSettings(const FaceSettings& settings);

  // UserPrompt: message boxes owned by this window.
  PromptAnswer AskYesNoCancel(const std::string& text, const std::string& caption) override;
  void ShowError(const std::string& text) override;

  // True from a successful Start until the run has ended, and while a log
  // is replayed.
  bool IsRunActive() const { return m_started || m_replaying; }

  // Replay (replay_control.cpp). Shows the records of the log at path in
  // the unit lists, through the run core's record path as a live run's, at
  // their recorded pace times speed (kAsFastAsPossible: without waiting);
  // no log is written and no archive made. Start is disabled and Stop ends
  // the replay. False, after a message naming the file and the reason, when
  // the log cannot be opened, or when a run or replay is active.
  bool StartReplay(const std::string& path, double speed);
  bool IsReplaying() const { return m_replaying; }
  // True when the last replay could not open or read its log to the end.
  bool ReplayFailed() const { return m_replayFailed; }
  // The banner's state and, for every tab in order, the rows of the list
  // attached to it, as they are shown now (view_dump.cpp).
  ViewDump DumpViews() const;

 protected:
  void DoDataExchange() override;
  BOOL OnInitDialog() override;
  // The run is stopped (its archive written on its own thread, not this
  // one) and the window's members let go of it.
  void OnDestroy() override;
  // Enter never ends the main dialog: a stray key must not stop a run.
  void OnOK() override;
  // Escape and the close box: while idle the dialog ends; during a run,
  // only when the user confirms kCloseDuringRunQuestion, after Stop.
  void OnCancel() override;
  // Frees the events of WM_LINK_EVENT messages still queued when the window
  // goes.
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
  // Begins Stop: the run core closes the link, flushes the log and writes
  // the archive on its own thread while Start, Stop and the run's choices
  // are disabled; the window keeps handling messages. OnRunEnded completes
  // it. A replay ends at once.
  void OnBnClickedStop();
  // kArchiveProgress: the archive's progress window, once it has lasted.
  void OnStopProgress(const std::string& archivePath, uint64_t bytesRead, uint64_t logBytes);
  // WM_RUN_ENDED: the run is idle again; failures are shown, and a close
  // requested meanwhile ends the dialog.
  void OnRunEnded();

  // Records (link_record.cpp), WM_LINK_RECORD: the lists show the run's
  // views as the records left them, and the trends and the replay's window
  // get every record.
  LRESULT OnLinkRecord(WPARAM wParam, LPARAM lParam);
  // Run events (link_event.cpp), WM_LINK_EVENT: the banner follows the
  // line; each failure the user must act on is boxed once (a box of a kind
  // is not opened again while one is open).
  LRESULT OnLinkEvent(WPARAM wParam, LPARAM lParam);

  // Replay (replay_control.cpp). The menu's "Replay a log...": asks for a
  // log, then StartReplay at 1x.
  void OnReplayLog();
  // The log to replay, from a file dialog; nothing when cancelled.
  virtual std::optional<std::string> ChooseLogToReplay();
  // A replay has ended: the lists keep the last record's values, and what
  // went wrong (a read failure, skipped lines) is reported.
  void EndReplay(const RunEnd& end);

  QIcon m_hIcon;  // icon 128, the window's icon
  CStatic m_banner;
  // Under the banner: the run's lasting conditions (run_state_line.h).
  RunStateLine m_stateLine;
  LoggerConfig m_config;
  CListCtrl m_outdoorList;
  std::array<CListCtrl, kUnitListCount> m_unitLists;  // element u: tab u + 1
  bool m_started = false;
  // Stop has begun and not yet finished (m_started is still true).
  bool m_stopping = false;
  // Tests shorten these; the program keeps kArchiveProgressDelayMs and the
  // run's own times.
  int m_archiveProgressDelayMs = kArchiveProgressDelayMs;
  RunTimings m_runTimings;
  CEdit m_logNameEdit;
  CComboBox m_portCombo;
  CStatic m_viewFrame;
  CSTabCtrl m_tabs;
  // The broker and the live page; declared before the run, which ends
  // before they go.
  std::unique_ptr<WindowFaces> m_windowFaces;
  // The window's listener of the events face (events_window.cpp); declared
  // before the run, which calls it until its end.
  WindowEventListener m_eventListener;
  // The run's faces in this window, subscribed in this order when the
  // window opens: the views its lists show, then the face that posts to it.
  // Declared before the run, which ends (and is waited for) before they go.
  std::unique_ptr<RunViews> m_views;
  WindowRunFace m_face;
  EventFace m_eventFace;
  std::unique_ptr<RunCore> m_run;

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
  // A Stop has ended: idle again, its failures shown.
  void CompleteStop(const RunEnd& end);

  // Shows a failure of the run in an error box unless a box of this kind is
  // already open.
  void ShowRunFailure(RunEventKind kind, const std::string& text);
  // Gives the window menu to the dialog's window (right-click).
  void InstallWindowMenu();
  // Shows the trends window, made on first use.
  void OpenTrends();
  // A run or replay begins: its trends start empty.
  void BeginRunTrends();
  // Subscribes the broker and the live page to the run, and serves the page
  // once the window shows (window_faces_control.cpp).
  void AttachWindowFaces();

  // Events (events_window.cpp). Listens to the run's events face and takes
  // its posts; before any run.
  void InstallEvents();
  // WM_RUN_CHANGES: the run's new events join the kept ones, the Events
  // window's list and the trends' marks; a run's start empties them first.
  void OnRunChanges();
  // Shows the Events window, made on first use with every event kept.
  void OpenEvents();
  // The values at the kept event of serial, in the Events window.
  void ShowEventValues(uint64_t serial);
  // The events kept, oldest first.
  std::vector<ChangeEvent> KeptEvents() const;

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
  // The configuration file read (empty: the built-in settings).
  std::string m_configFile;
  std::unique_ptr<ArchiveProgressDialog> m_archiveProgress;
  // The records of the run or replay for the trends window, from its start
  // on, whether that window was opened or not; bounded (kRunTrendBound).
  // Declared before the window that shows it.
  std::unique_ptr<TrendTable> m_runTrends;
  // Opened by the window menu's Trends entry, then kept (also while hidden)
  // until the dialog goes.
  std::unique_ptr<TrendWindow> m_trends;
  bool m_closeWhenStopped = false;
  std::set<RunEventKind> m_openErrorBoxes;
  std::optional<std::string> m_rawCaptureFile;
  RotationSettings m_siteUpkeep{RotationKind::kNone, 0, 0, 0};
  // The banner's state as the run's events leave it; shown only while a run
  // or replay is active and not stopping.
  bool m_lineQuiet = false;

  // The replay's control window, which stays after the end to show the
  // last position until the next run or replay, and that position.
  std::unique_ptr<ReplayPanel> m_replayPanel;
  std::optional<LocalTime> m_replayPosition;
  uint64_t m_replayRecords = 0;
  bool m_replaying = false;
  bool m_replayFailed = false;

  // The events of the latest run, kept from its start until the next
  // start, and the Events window (made on first use, then kept).
  EventHistory m_eventHistory;
  std::unique_ptr<EventsPanel> m_eventsPanel;
  // The replay was ended by Stop (or its window's close box), not by the
  // end of its log.
  bool m_replayStopped = false;
};
