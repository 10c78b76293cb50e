// Sets an environment variable for one scope and restores it after.
#pragma once

#include <stdlib.h>

#include <optional>
#include <string>

class ScopedEnv {
 public:
  // value nullptr unsets the variable.
  ScopedEnv(const char* name, const char* value) : m_name(name) {
    if (const char* old = getenv(name)) m_old = old;
    Set(value);
  }
  ~ScopedEnv() { Set(m_old ? m_old->c_str() : nullptr); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void Set(const char* value) {
#ifdef _WIN32
    // The C runtime's call also sets the process's environment, which the
    // program reads with GetEnvironmentVariableW; "" removes the variable.
    _putenv_s(m_name, value != nullptr ? value : "");
#else
    value != nullptr ? setenv(m_name, value, 1) : unsetenv(m_name);
#endif
  }

  const char* m_name;
  std::optional<std::string> m_old;
};
