// The remembered settings kept apart for one test, so that it never reads or
// changes the user's own: on Linux a fresh configuration folder
// (XDG_CONFIG_HOME), on Windows HKEY_CURRENT_USER redirected to a fresh key.
#pragma once

#ifdef _WIN32
#include "tests/windows/registry_sandbox.h"

using SettingsSandbox = RegistrySandbox;
#else
#include "testkit/temp_folder.h"
#include "tests/support/scoped_env.h"

class SettingsSandbox {
 public:
  bool Active() const { return !m_home.path().empty(); }

 private:
  TempFolder m_home;
  ScopedEnv m_configHome{"XDG_CONFIG_HOME", m_home.path().c_str()};
};
#endif
