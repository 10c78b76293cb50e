// Known folders by environment variable or from the shell.
#include "platform/windows_known_folder.h"

#include <string_view>

#include "platform/user_config_folder.h"
#include "platform/windows_file.h"

namespace {

// "C:\..." or a network share "\\server\...": a path that names one folder
// whatever the current directory and drive.
bool IsAbsolute(std::wstring_view path) {
  const auto isSeparator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
  if (path.size() >= 3 && path[1] == L':' && isSeparator(path[2])) return true;
  return path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1]);
}

// The value of the environment variable name; empty when unset.
std::wstring EnvironmentValue(const wchar_t* name) {
  const DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
  if (needed == 0) return {};
  std::wstring value(needed, L'\0');
  const DWORD length = GetEnvironmentVariableW(name, value.data(), needed);
  if (length == 0 || length >= needed) return {};
  value.resize(length);
  return value;
}

std::wstring KnownFolder(const KNOWNFOLDERID& folderId) {
  PWSTR path = nullptr;
  std::wstring folder;
  if (SUCCEEDED(SHGetKnownFolderPath(folderId, 0, nullptr, &path))) folder = path;
  CoTaskMemFree(path);
  return folder;
}

}  // namespace

std::string ProgramFolderIn(const wchar_t* variable, const KNOWNFOLDERID& folderId) {
  std::wstring folder = EnvironmentValue(variable);
  if (!IsAbsolute(folder)) folder = KnownFolder(folderId);
  if (!IsAbsolute(folder)) return {};
  while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  return NarrowPath(folder) + '\\' + std::string(kProgramConfigFolderName);
}
