// The per-user configuration folder in the roaming application data.
#include "platform/user_config_folder.h"

#include "platform/windows_known_folder.h"

std::string UserConfigFolder() { return ProgramFolderIn(L"APPDATA", FOLDERID_RoamingAppData); }

std::string UserStateFolder() { return ProgramFolderIn(L"LOCALAPPDATA", FOLDERID_LocalAppData); }
