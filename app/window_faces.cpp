// The window's optional faces: the broker and the live page.
#include "app/window_faces.h"

#include <string>
#include <vector>

#include "app/broker_dialog.h"
#include "ui/win_constants.h"

namespace {

RememberedBroker RememberedOf(const BrokerSettings& settings) {
  RememberedBroker broker;
  broker.url = settings.url;
  broker.user = settings.user;
  broker.passwordFile = settings.passwordFile;
  broker.caFile = settings.caFile;
  broker.site = settings.site.value_or(std::string());
  return broker;
}

}  // namespace

WindowFaces::WindowFaces(CWnd& window, EventFace& events, FaceSettings commandLine)
    : m_window(window), m_faces(events), m_commandLine(std::move(commandLine)) {
  m_chosen = m_commandLine.broker.url.empty() ? ReadBrokerSetting() : RememberedOf(m_commandLine.broker);
}

BrokerSettings WindowFaces::RunBrokerSettings(const RememberedBroker& chosen) const {
  if (chosen.url.empty()) return {};
  BrokerSettings settings = m_commandLine.broker;
  settings.url = chosen.url;
  settings.user = chosen.user;
  settings.passwordFile = chosen.passwordFile;
  settings.caFile = chosen.caFile;
  settings.site.reset();
  if (!chosen.site.empty()) settings.site = chosen.site;
  return settings;
}

void WindowFaces::ServePage() {
  if (!m_commandLine.page.serve) return;
  std::string error;
  std::vector<std::string> lines;
  if (!m_faces.ServePage(m_commandLine.page, error, lines)) {
    m_window.MessageBox(error, "", MB_OK | MB_ICONERROR);
    return;
  }
  std::string text = "The live page of the runs:";
  for (const std::string& line : lines) text += "\n" + line;
  text += "\n\n(Ctrl+C copies this message.)";
  m_window.MessageBox(text, "", MB_OK | MB_ICONINFORMATION);
}

void WindowFaces::PrepareRun() {
  if (m_applied == m_chosen) return;
  std::string problem;
  QObject* target = &m_noticeTarget;
  const BrokerNoticeHandler notice = [this, target](const BrokerNotice& said) {
    QMetaObject::invokeMethod(
        target, [this, said] { ShowNotice(said); }, Qt::QueuedConnection);
  };
  if (!m_faces.SetBroker(RunBrokerSettings(m_chosen), notice, problem)) {
    // Logging matters more than publishing: the run starts without it.
    std::string none;
    m_faces.SetBroker({}, {}, none);
    m_applied.reset();
    m_window.MessageBox(problem, "", MB_OK | MB_ICONERROR);
    return;
  }
  m_applied = m_chosen;
}

void WindowFaces::EditBrokerSettings() {
  CBrokerDialog dialog(&m_window, m_chosen, [this](const RememberedBroker& chosen) {
    return BrokerSettingsProblem(RunBrokerSettings(chosen));
  });
  if (dialog.DoModal() != IDOK) return;
  m_chosen = dialog.Settings();
  WriteBrokerSetting(m_chosen);
}

void WindowFaces::ShowNotice(const BrokerNotice& notice) {
  // That publishing has begun needs no box the technician must close; what
  // went wrong, and its end, do.
  if (m_window.GetSafeHwnd() == 0 || notice.kind == BrokerNotice::Kind::kInfo) return;
  const UINT icon = notice.kind == BrokerNotice::Kind::kFailure ? MB_ICONWARNING : MB_ICONINFORMATION;
  m_window.MessageBox(notice.text, "", MB_OK | icon);
}
