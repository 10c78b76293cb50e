// Where the configuration file of an executable lies: beside it, same name.
#pragma once

#include <string>
#include <string_view>

// The Linux rule: the executable's path with the extension of its file name
// replaced by ".ini", or ".ini" appended when the name has none
// ("/opt/plenx/plenx-logger" -> "/opt/plenx/plenx-logger.ini"). A dot in a
// folder name or at the start of the file name is no extension. Letter case
// is kept, since Linux file systems tell cases apart.
std::string ConfigFilePathForExecutable(std::string_view executablePath);

// The Windows rule, for the Windows build: the module path lower-cased
// (Windows-1252 letters), then every ".exe" anywhere in it replaced by ".ini"
// ("C:\Tools\LOGGER.EXE" -> "c:\tools\logger.ini").
std::string WindowsConfigFilePathForExecutable(std::string_view modulePath);
