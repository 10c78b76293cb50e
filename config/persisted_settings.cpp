// Reading and writing the remembered port and log file name.
#include "config/persisted_settings.h"

#include <cstring>

#include "platform/settings_store.h"

namespace {

constexpr const char* kSettingsKeyPath = "Software\\TessamPlenxLogger";
constexpr const char* kPortValueName = "CommunicationPort";
constexpr const char* kLogFileValueName = "LogFile";
// Size of the buffer a value is read into; a larger value reads as empty.
constexpr size_t kValueBufferBytes = 260;

// The stored text up to its first zero byte; a value stored without the
// terminating zero reads whole.
std::string ReadTextValue(const char* valueName) {
  std::string bytes;
  if (!ReadSettingValue(kSettingsKeyPath, valueName, kValueBufferBytes, bytes)) return {};
  const size_t zero = bytes.find('\0');
  if (zero != std::string::npos) bytes.resize(zero);
  return bytes;
}

// Stores the text up to its first zero byte, followed by a zero byte.
void WriteTextValue(const char* valueName, const std::string& text) {
  const size_t length = std::strlen(text.c_str());
  WriteSettingValue(kSettingsKeyPath, valueName, std::string_view(text.c_str(), length + 1));
}

}  // namespace

std::string ReadPortSetting() { return ReadTextValue(kPortValueName); }

void WritePortSetting(const std::string& text) { WriteTextValue(kPortValueName, text); }

std::string ReadLogFileSetting() { return ReadTextValue(kLogFileValueName); }

void WriteLogFileSetting(const std::string& text) { WriteTextValue(kLogFileValueName, text); }
