// The MQTT broker dialog and its template.
#include "app/broker_dialog.h"

#include <utility>

#include "ui/win_constants.h"

namespace {

constexpr int kUrlEditId = 1101;
constexpr int kUserEditId = 1102;
constexpr int kPasswordFileEditId = 1103;
constexpr int kCaFileEditId = 1104;
constexpr int kSiteEditId = 1105;

// Dialog units: a label column, then the fields, one row each.
constexpr int kMargin = 7;
constexpr int kLabelWidth = 62;
constexpr int kFieldX = kMargin + kLabelWidth + 4;
constexpr int kFieldWidth = 190;
constexpr int kRowHeight = 12;
constexpr int kRowPitch = 17;
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 14;
constexpr int kDialogWidth = kFieldX + kFieldWidth + kMargin;

DialogTemplate BrokerDialogTemplate() {
  using enum DialogControlClass;
  DialogTemplate dialog;
  dialog.caption = "MQTT broker";
  dialog.style = DS_SHELLFONT | DS_MODALFRAME | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU;
  dialog.cx = kDialogWidth;
  struct Row {
    const char* label;
    int id;
  };
  const Row rows[] = {{"Broker URL:", kUrlEditId},
                      {"User:", kUserEditId},
                      {"Password file:", kPasswordFileEditId},
                      {"CA file:", kCaFileEditId},
                      {"Site:", kSiteEditId}};
  int y = kMargin;
  for (const Row& row : rows) {
    dialog.items.push_back(
        DialogItemTemplate{kStatic, -1, row.label, SS_LEFT, kMargin, y + 2, kLabelWidth, kRowHeight - 2});
    dialog.items.push_back(DialogItemTemplate{kEdit, row.id, "", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP,
                                              kFieldX, y, kFieldWidth, kRowHeight});
    y += kRowPitch;
  }
  dialog.items.push_back(
      DialogItemTemplate{kStatic, -1,
                         "mqtt://host[:port] or mqtts://host[:port]; an empty URL publishes "
                         "nothing. Taken at the next Start.",
                         SS_LEFT, kMargin, y, kDialogWidth - 2 * kMargin, 2 * kRowHeight});
  y += 2 * kRowHeight + 4;
  const int okX = kDialogWidth - kMargin - 2 * kButtonWidth - 4;
  dialog.items.push_back(DialogItemTemplate{kButton, IDOK, "OK", BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP,
                                            okX, y, kButtonWidth, kButtonHeight});
  dialog.items.push_back(DialogItemTemplate{kButton, IDCANCEL, "Cancel", BS_PUSHBUTTON | WS_TABSTOP,
                                            okX + kButtonWidth + 4, y, kButtonWidth, kButtonHeight});
  dialog.cy = y + kButtonHeight + kMargin;
  return dialog;
}

}  // namespace

CBrokerDialog::CBrokerDialog(CWnd* pParentWnd, RememberedBroker settings, Check check)
    : CDialog(BrokerDialogTemplate(), pParentWnd),
      m_settings(std::move(settings)),
      m_check(std::move(check)) {}

CBrokerDialog::~CBrokerDialog() { DestroyWindow(); }

void CBrokerDialog::DoDataExchange() {
  CDialog::DoDataExchange();
  BindControl(kUrlEditId, m_url);
  BindControl(kUserEditId, m_user);
  BindControl(kPasswordFileEditId, m_passwordFile);
  BindControl(kCaFileEditId, m_caFile);
  BindControl(kSiteEditId, m_site);
}

BOOL CBrokerDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  m_url.SetWindowText(m_settings.url);
  m_user.SetWindowText(m_settings.user);
  m_passwordFile.SetWindowText(m_settings.passwordFile);
  m_caFile.SetWindowText(m_settings.caFile);
  m_site.SetWindowText(m_settings.site);
  CenterWindow();
  return TRUE;
}

void CBrokerDialog::OnOK() {
  RememberedBroker chosen;
  chosen.url = m_url.GetWindowText();
  chosen.user = m_user.GetWindowText();
  chosen.passwordFile = m_passwordFile.GetWindowText();
  chosen.caFile = m_caFile.GetWindowText();
  chosen.site = m_site.GetWindowText();
  if (const std::string problem = m_check(chosen); !problem.empty()) {
    MessageBox(problem, "", MB_OK | MB_ICONERROR);
    return;
  }
  m_settings = std::move(chosen);
  CDialog::OnOK();
}
