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

}  // namespace

std::string ReadTextSetting(const char* valueName) {
  std::string bytes;
  if (!ReadSettingValue(kSettingsKeyPath, valueName, kValueBufferBytes, bytes)) return {};
  const size_t zero = bytes.find('\0');
  if (zero != std::string::npos) bytes.resize(zero);
  return bytes;
}

void WriteTextSetting(const char* valueName, const std::string& text) {
  const size_t length = std::strlen(text.c_str());
  WriteSettingValue(kSettingsKeyPath, valueName, std::string_view(text.c_str(), length + 1));
}

std::string ReadPortSetting() { return ReadTextSetting(kPortValueName); }

void WritePortSetting(const std::string& text) { WriteTextSetting(kPortValueName, text); }

std::string ReadLogFileSetting() { return ReadTextSetting(kLogFileValueName); }

void WriteLogFileSetting(const std::string& text) { WriteTextSetting(kLogFileValueName, text); }
