// The settings store in the registry under HKEY_CURRENT_USER.
#include "platform/settings_store.h"

#include <windows.h>

#include <vector>

#include "platform/wide_text.h"

namespace {

constexpr char kKeyPathSeparator = '\\';

std::wstring Wide(std::string_view text) {
  const std::u16string units = Utf16FromWtf8(text);
  return std::wstring(units.begin(), units.end());
}

// A key path the registry takes as it is meant: parts that are not empty,
// so that no "\\" or leading "\" reaches somewhere else.
bool IsUsableKeyPath(std::string_view keyPath) {
  if (keyPath.empty()) return false;
  size_t start = 0;
  while (true) {
    const size_t end = keyPath.find(kKeyPathSeparator, start);
    if (end == start || start == keyPath.size()) return false;
    if (end == std::string_view::npos) return true;
    start = end + 1;
  }
}

bool IsUsableValueName(std::string_view valueName) {
  return !valueName.empty() && valueName.find('\0') == std::string_view::npos;
}

// Closes the key on every way out.
class OpenKey {
 public:
  OpenKey() = default;
  ~OpenKey() {
    if (m_key != nullptr) RegCloseKey(m_key);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  HKEY* Receive() { return &m_key; }
  HKEY get() const { return m_key; }

 private:
  HKEY m_key = nullptr;
};

}  // namespace

std::string SettingsStoreFolder() { return "HKEY_CURRENT_USER"; }

bool ReadSettingValue(std::string_view keyPath, std::string_view valueName, size_t maxBytes,
                      std::string& bytes) {
  bytes.clear();
  if (!IsUsableKeyPath(keyPath) || !IsUsableValueName(valueName)) return false;
  OpenKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, Wide(keyPath).c_str(), 0, KEY_QUERY_VALUE, key.Receive()) !=
      ERROR_SUCCESS) {
    return false;
  }
  const std::wstring name = Wide(valueName);
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return false;
  std::vector<BYTE> data(size);
  // The value may change between the two calls; a larger one is refused.
  if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS) {
    return false;
  }
  data.resize(size);
  std::string read;
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    // A text value is 16-bit units; a stray odd byte is no character.
    std::u16string units(data.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i) {
      units[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    }
    read = Wtf8FromUtf16(units);
  } else {
    read.assign(data.begin(), data.end());
  }
  if (read.size() > maxBytes) return false;
  bytes = std::move(read);
  return true;
}

bool WriteSettingValue(std::string_view keyPath, std::string_view valueName, std::string_view bytes) {
  if (!IsUsableKeyPath(keyPath) || !IsUsableValueName(valueName)) return false;
  OpenKey key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, Wide(keyPath).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      key.Receive(), nullptr) != ERROR_SUCCESS) {
    return false;
  }
  // The bytes as text: a zero byte among them (the terminator the callers
  // store) becomes a zero unit, as RegSetValueExA would store it.
  const std::wstring text = Wide(bytes);
  const auto* data = reinterpret_cast<const BYTE*>(text.data());
  const auto size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (RegSetValueExW(key.get(), Wide(valueName).c_str(), 0, REG_SZ, data, size) != ERROR_SUCCESS)
    return false;
  // On the disk before the call returns, as on Linux: a power cut right
  // after a Start keeps what it stored.
  RegFlushKey(key.get());
  return true;
}
