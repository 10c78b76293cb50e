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
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/s_tab_ctrl.h"
#include "config/logger_config.h"
#include "decode/log_file.h"
#include "decode/user_prompt.h"
#include "decode/view_dump.h"
#include "link/record_post.h"
#include "link/simple_protocol.h"
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

  // UserPrompt: message boxes owned by this window.
  PromptAnswer AskYesNoCancel(const std::string& text, const std::string& caption) override;
  void ShowError(const std::string& text) override;

  // RecordWindow, on the reader thread: posts WM_LINK_RECORD with the record
  // text as wParam and the unit index as lParam. The message owns the text
  // only when the post succeeds; otherwise `recordText` frees it here.
  bool PostRecord(uint32_t message, std::unique_ptr<std::string> recordText, int unitIndex) override;

  // True from a successful Start until the run has ended.
  bool IsRunActive() const { return m_started; }
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

  QIcon m_hIcon;  // icon 128, the window's icon
  // Records of the current run; LogRecord advances it and decimates by it.
  int32_t m_recordCount = 0;
  CSimpleProtocol m_link;
  LogFile m_logFile;
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
  // Gives the window menu to the dialog's window (right-click).
  void InstallWindowMenu();

  std::optional<std::string> m_configPath;
  ConfigWarnings m_configWarnings;
  std::function<void()> m_onRunEnded;
  // The dialog's handle for the reader thread, 0 while there is no window.
  std::atomic<HWND> m_recordWindow{0};
};
