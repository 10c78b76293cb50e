// The machine-wide configuration folder in the program data folder.
#include "platform/system_config_folders.h"

#include "platform/windows_known_folder.h"

std::vector<std::string> SystemConfigFolders() {
  std::string folder = ProgramFolderIn(L"PROGRAMDATA", FOLDERID_ProgramData);
  if (folder.empty()) return {};
  return {std::move(folder)};
}
