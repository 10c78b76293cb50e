// Windows tests: HKEY_CURRENT_USER of the test process redirected to a fresh
// key of its own, so that tests of the remembered settings never touch the
// user's own (RegOverridePredefKey), with helpers that read and write values
// as another program would.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

class RegistrySandbox {
 public:
  struct Value {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
  };

  RegistrySandbox() {
    static int sandboxes = 0;
    m_path = L"Software\\PlenxLoggerTests\\" + std::to_wstring(GetCurrentProcessId()) + L"-" +
             std::to_wstring(++sandboxes);
    if (RegCreateKeyExW(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_root,
                        nullptr) == ERROR_SUCCESS &&
        RegOverridePredefKey(HKEY_CURRENT_USER, m_root) == ERROR_SUCCESS) {
      m_active = true;
    }
  }
  ~RegistrySandbox() {
    if (m_active) RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    if (m_root != nullptr) RegCloseKey(m_root);
    RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());
  }
  RegistrySandbox(const RegistrySandbox&) = delete;
  RegistrySandbox& operator=(const RegistrySandbox&) = delete;

  bool Active() const { return m_active; }

  // Stores a value under keyPath of the redirected HKEY_CURRENT_USER.
  bool Put(const std::wstring& keyPath, const std::wstring& name, DWORD type, const void* data, size_t size) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(m_root, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
      return false;
    }
    const bool stored = RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data),
                                       static_cast<DWORD>(size)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return stored;
  }
  // A text value of units as stored, terminator included when the caller
  // puts it in.
  bool PutText(const std::wstring& keyPath, const std::wstring& name, const std::wstring& units) {
    return Put(keyPath, name, REG_SZ, units.data(), units.size() * sizeof(wchar_t));
  }

  std::optional<Value> Get(const std::wstring& keyPath, const std::wstring& name) const {
    HKEY key = nullptr;
    if (RegOpenKeyExW(m_root, keyPath.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
      return std::nullopt;
    Value value;
    DWORD size = 0;
    std::optional<Value> result;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
      value.data.resize(size);
      if (RegQueryValueExW(key, name.c_str(), nullptr, &value.type, value.data.data(), &size) ==
          ERROR_SUCCESS) {
        value.data.resize(size);
        result = value;
      }
    }
    RegCloseKey(key);
    return result;
  }
  // The units of a text value as stored; nullopt when it is missing or no
  // text.
  std::optional<std::wstring> GetText(const std::wstring& keyPath, const std::wstring& name) const {
    const std::optional<Value> value = Get(keyPath, name);
    if (!value || value->type != REG_SZ) return std::nullopt;
    return std::wstring(reinterpret_cast<const wchar_t*>(value->data.data()),
                        value->data.size() / sizeof(wchar_t));
  }

  bool RemoveKey(const std::wstring& keyPath) {
    return RegDeleteTreeW(m_root, keyPath.c_str()) == ERROR_SUCCESS;
  }

 private:
  std::wstring m_path;
  HKEY m_root = nullptr;
  bool m_active = false;
};
