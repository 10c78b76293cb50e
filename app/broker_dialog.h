// The "MQTT broker" dialog of the window menu: where the records of the
// next runs are published (URL, user, password file, CA file, site). OK
// checks the settings as the command line's options are checked and keeps
// the dialog open, with the reason, when they are refused.
#pragma once

#include <functional>
#include <string>

#include "config/remembered_broker.h"
#include "ui/dialog.h"
#include "ui/edit.h"

class CBrokerDialog : public CDialog {
 public:
  // check gives why settings are refused, or the empty text.
  using Check = std::function<std::string(const RememberedBroker& settings)>;

  // Shows settings; modal over pParentWnd.
  CBrokerDialog(CWnd* pParentWnd, RememberedBroker settings, Check check);
  ~CBrokerDialog() override;

  // The settings as OK took them.
  const RememberedBroker& Settings() const { return m_settings; }

 protected:
  void DoDataExchange() override;
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  RememberedBroker m_settings;
  Check m_check;
  CEdit m_url;
  CEdit m_user;
  CEdit m_passwordFile;
  CEdit m_caFile;
  CEdit m_site;
};
