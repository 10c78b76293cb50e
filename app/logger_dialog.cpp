// The main dialog: construction, initialisation, window menu, prompts and
// destruction.
#include "app/logger_dialog.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include "app/about_dlg.h"
#include "app/app_icon.h"
#include "app/dialog_templates.h"
#include "app/resource_ids.h"
#include "app/window_faces.h"
#include "config/persisted_settings.h"
#include "panels/archive_progress_dialog.h"
#include "panels/events_panel.h"
#include "panels/replay_panel.h"
#include "panels/trend_chart_view.h"
#include "panels/trend_window.h"
#include "run/run_config.h"
#include "ui/message_box.h"
#include "ui/text_codec.h"

namespace {

constexpr std::string_view kWindowCaption = "Tessam/Morvane Plenx Logger Service";

}  // namespace

CTESSAMPLENXLOGGERDlg::CTESSAMPLENXLOGGERDlg(std::optional<std::string> configPath)
    : CDialog(MainDialogTemplate(), nullptr), m_hIcon(LoadAppIcon()), m_configPath(std::move(configPath)) {
  MapMessage(WM_LINK_RECORD, [this](WPARAM wParam, LPARAM lParam) { return OnLinkRecord(wParam, lParam); });
  MapMessage(WM_LINK_EVENT, [this](WPARAM wParam, LPARAM lParam) { return OnLinkEvent(wParam, lParam); });
  MapMessage(WM_RUN_ENDED, [this](WPARAM, LPARAM) {
    OnRunEnded();
    return LRESULT{0};
  });
  MapMessage(WM_SHOW_CONFIG_WARNINGS, [this](WPARAM, LPARAM) {
    ShowConfigWarnings();
    return LRESULT{0};
  });
  MapMessage(WM_TERMINATION_SIGNAL, [this](WPARAM, LPARAM) {
    CloseAfterStop();
    return LRESULT{0};
  });
  MapCommand(kStartButtonId, BN_CLICKED, [this] { OnBnClickedStart(); });
  MapCommand(kStopButtonId, BN_CLICKED, [this] { OnBnClickedStop(); });
  MapCommand(kSaveAsButtonId, BN_CLICKED, [this] { OnBnClickedSaveAs(); });
  MapCommand(kPortComboId, CBN_SELCHANGE, [this] { OnCbnSelchangePort(); });
}

CTESSAMPLENXLOGGERDlg::~CTESSAMPLENXLOGGERDlg() { DestroyWindow(); }

void CTESSAMPLENXLOGGERDlg::DoDataExchange() {
  CDialog::DoDataExchange();
  BindControl(kLogNameEditId, m_logNameEdit);
  BindControl(kPortComboId, m_portCombo);
  BindControl(kViewFrameId, m_viewFrame);
  BindControl(kTabsId, m_tabs);
}

BOOL CTESSAMPLENXLOGGERDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  InstallWindowMenu();
  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);
  m_started = false;
  SetWindowText(kWindowCaption);
  RunConfig loaded = LoadRunConfig(m_configPath);
  m_config = std::move(loaded.config);
  m_configFile = std::move(loaded.path);
  m_configWarnings = std::move(loaded.warnings);
  m_views = std::make_unique<RunViews>(m_config);
  m_runTrends = std::make_unique<TrendTable>(m_config, kRunTrendBound);
  m_run = std::make_unique<RunCore>(m_config, m_configFile, m_runTimings);
  m_run->Subscribe(*m_views);
  m_run->Subscribe(m_face);
  m_run->Subscribe(m_eventFace);
  m_config.logFileName = ReadLogFileSetting();
  m_logNameEdit.SetWindowText(m_config.logFileName);
  SetupViews();
  AnchorControls();
  RestoreWindowLayout();
  m_face.SetWindow(GetSafeHwnd());
  AttachWindowFaces();
  InstallEvents();
  if (!m_configWarnings.empty()) PostMessage(WM_SHOW_CONFIG_WARNINGS, 0, 0);
  return TRUE;
}

void CTESSAMPLENXLOGGERDlg::InstallWindowMenu() {
  QWidget* window = GetWidget();
  window->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(window, &QWidget::customContextMenuRequested, window, [this, window](const QPoint& at) {
    QMenu menu(window);
    menu.addAction(QStringLiteral("Mi&nimize"))->setData(SC_MINIMIZE);
    menu.addAction(QStringLiteral("&Close"))->setData(SC_CLOSE);
    menu.addSeparator();
    QAction* replay = menu.addAction(TextToQt(kReplayMenuText));
    replay->setData(kReplayLogCommand);
    replay->setEnabled(!IsRunActive());
    menu.addAction(TextToQt(kTrendsMenuText))->setData(kTrendsCommand);
    menu.addAction(TextToQt(kEventsMenuText))->setData(kEventsCommand);
    if (BrokerFaceBuiltIn()) menu.addAction(TextToQt(kBrokerMenuText))->setData(kBrokerSettingsCommand);
    if (!kAboutMenuText.empty()) {
      menu.addSeparator();
      menu.addAction(TextToQt(kAboutMenuText))->setData(kAboutBoxCommand);
    }
    if (QAction* chosen = menu.exec(window->mapToGlobal(at))) OnSysCommand(chosen->data().toUInt(), 0);
  });
}

void CTESSAMPLENXLOGGERDlg::OnSysCommand(UINT nID, LPARAM) {
  if ((nID & kSystemCommandMask) == kAboutBoxCommand) {
    CAboutDlg dlgAbout(this);
    dlgAbout.DoModal();
    return;
  }
  if ((nID & kSystemCommandMask) == kTrendsCommand) {
    OpenTrends();
    return;
  }
  if ((nID & kSystemCommandMask) == kEventsCommand) {
    OpenEvents();
    return;
  }
  if ((nID & kSystemCommandMask) == kReplayLogCommand) {
    OnReplayLog();
    return;
  }
  if ((nID & kSystemCommandMask) == kBrokerSettingsCommand) {
    if (m_windowFaces) m_windowFaces->EditBrokerSettings();
    return;
  }
  QWidget* window = GetWidget();
  if (window == nullptr) return;
  switch (nID & kSystemCommandMask) {
    case SC_MINIMIZE:
      window->showMinimized();
      break;
    case SC_RESTORE:
      window->showNormal();
      break;
    case SC_CLOSE:
      window->close();  // the dialog turns this into its Cancel command
      break;
    default:
      break;
  }
}

void CTESSAMPLENXLOGGERDlg::OpenTrends() {
  if (m_trends == nullptr) {
    m_trends = std::make_unique<TrendWindow>(m_config, *m_runTrends);
    m_trends->setWindowIcon(m_hIcon);
    m_trends->Chart()->AddEventMarks(KeptEvents());
  }
  m_trends->show();
  m_trends->raise();
  m_trends->activateWindow();
}

void CTESSAMPLENXLOGGERDlg::BeginRunTrends() {
  m_runTrends->Clear();
  if (m_trends != nullptr) m_trends->BeginRun();
}

void CTESSAMPLENXLOGGERDlg::ShowConfigWarnings() {
  MessageBox(ConfigWarningsText(m_configWarnings), "", MB_OK | MB_ICONWARNING);
}

PromptAnswer CTESSAMPLENXLOGGERDlg::AskYesNoCancel(const std::string& text, const std::string& caption) {
  switch (MessageBox(text, caption, MB_YESNOCANCEL)) {
    case IDYES:
      return PromptAnswer::Yes;
    case IDNO:
      return PromptAnswer::No;
    default:
      return PromptAnswer::Cancel;
  }
}

void CTESSAMPLENXLOGGERDlg::ShowError(const std::string& text) { MessageBox(text, "", MB_OK | MB_ICONERROR); }

void CTESSAMPLENXLOGGERDlg::OnOK() {}

void CTESSAMPLENXLOGGERDlg::OnCancel() {
  if (m_started && !m_stopping &&
      MessageBox(kCloseDuringRunQuestion, "", MB_YESNO | MB_ICONQUESTION) != IDYES) {
    return;
  }
  // The question's loop may have seen the run stop meanwhile (a signal).
  CloseAfterStop();
}

void CTESSAMPLENXLOGGERDlg::CloseAfterStop() {
  OnBnClickedStop();
  if (m_stopping) {
    m_closeWhenStopped = true;
    return;
  }
  EndDialog(IDCANCEL);
}

void CTESSAMPLENXLOGGERDlg::OnDestroy() {
  RememberWindowLayout();
  // A run still active ends on the run's own threads, archive included;
  // the dialog's destructor waits for it once the window has gone.
  if (m_run) m_run->Stop();
  // From here on the run's posts fail, and what they carried is freed.
  m_face.SetWindow(0);
  m_eventListener.SetWindow(0);
  m_archiveProgress.reset();
  m_trends.reset();
  m_eventsPanel.reset();
  m_replayPanel.reset();
  CDialog::OnDestroy();
}
