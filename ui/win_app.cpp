// The application object.
#include "ui/win_app.h"

#include <QApplication>

#include "ui/text_codec.h"

namespace {
CWinApp* g_currentApp = nullptr;
}  // namespace

CWinApp::CWinApp(std::string appName) : m_appName(std::move(appName)) { g_currentApp = this; }

CWinApp::~CWinApp() {
  if (g_currentApp == this) g_currentApp = nullptr;
}

int CWinApp::Run(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(TextToQt(m_appName));
  InitInstance();
  return 0;
}

BOOL CWinApp::InitInstance() { return FALSE; }

std::string ApplicationName() {
  if (g_currentApp != nullptr) return g_currentApp->AppName();
  return TextFromQt(QCoreApplication::applicationName());
}
