// CTESSAMPLENXLOGGERDlg: the main dialog, owner of all long-lived state of
// the program (link, log file, configuration, unit views, run flags).
//
// Threads: everything runs on the user-interface thread except PostRecord,
// which the link's reader thread calls.
#pragma once

#include <QIcon>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "app/s_tab_ctrl.h"
#include "config/logger_config.h"
#include "decode/log_file.h"
#include "decode/user_prompt.h"
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
// Lists behind the outdoor unit that the dialog has room for.
inline constexpr int kUnitListCount = 10;
// Posted to itself by OnInitDialog, so that configuration warnings are shown
// over the visible window.
inline constexpr UINT WM_SHOW_CONFIG_WARNINGS = WM_APP + 2;
// Posted by the reader thread for each LinkEvent: wParam the event, lParam
// the errno behind it.
inline constexpr UINT WM_LINK_EVENT = WM_APP + 3;

class CTESSAMPLENXLOGGERDlg : public CDialog, public UserPrompt, public RecordWindow {
 public:
  // Built on template 102 without a parent. `configPath` is the INI file
  // that OnInitDialog loads; without one, the file beside the executable.
  explicit CTESSAMPLENXLOGGERDlg(std::optional<std::string> configPath = std::nullopt);
  // Destroys a window still open, which ends a run first.
  ~CTESSAMPLENXLOGGERDlg() override;

  // A command of the window menu (the window's right-click menu): 16 to 31
  // show the About box, SC_MINIMIZE minimises, SC_RESTORE restores,
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

 protected:
  void DoDataExchange() override;
  BOOL OnInitDialog() override;
  void OnTimer(UINT_PTR nIDEvent) override;
  void OnDestroy() override;
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
  void OnBnClickedStop();

  // Record intake (link_record.cpp): shows, logs and releases one record.
  LRESULT OnLinkRecord(WPARAM wParam, LPARAM lParam);
  // Line events (link_event.cpp): a lost or returning line is written to the
  // link event output; a failed raw capture write is reported as a full
  // disk, with one such box open at a time.
  LRESULT OnLinkEvent(WPARAM wParam, LPARAM lParam);

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
  CEdit m_logNameEdit;
  CComboBox m_portCombo;
  CStatic m_viewFrame;
  CSTabCtrl m_tabs;

 private:
  // Builds one list in the tab area with its columns and the labelled rows.
  void BuildList(CListCtrl& list, int nID, int parameterColumnWidthPx, int listIndex);
  void ShowConfigWarnings();
  // Hides (running) or shows the controls that prepare a run: the view
  // frame, the port list and its label, and the Save-as button.
  void ShowRunLayout(bool running);
  // Writes the log file into a ZIP archive beside it, named from today's date.
  void ArchiveLog();
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

  std::optional<std::string> m_configPath;
  ConfigWarnings m_configWarnings;
  // The dialog's handle for the reader thread, 0 while there is no window.
  std::atomic<HWND> m_recordWindow{0};
  std::optional<std::string> m_rawCaptureFile;
  std::FILE* m_linkEventOutput = nullptr;
  // A raw capture write error box is open.
  bool m_rawCaptureErrorShown = false;
};
