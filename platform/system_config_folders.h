// The program's folder in each of the system's configuration folders.
#pragma once

#include <string>
#include <vector>

// <folder>/plenx-logger for each folder of XDG_CONFIG_DIRS (a list split at
// ':'), most important first; /etc/xdg/plenx-logger when the variable is
// unset or empty. Relative and empty entries are skipped, as the XDG base
// directory rules ask. No trailing "/".
// On Windows the one folder %PROGRAMDATA%\plenx-logger (the shell's
// program data folder when PROGRAMDATA is not an absolute path), none when
// neither gives one.
std::vector<std::string> SystemConfigFolders();
