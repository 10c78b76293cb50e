// Where the configuration file lies: beside the executable, named after it,
// or in the per-user or a system configuration folder.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The configuration file's name inside a configuration folder.
inline constexpr std::string_view kConfigFileName = "plenx-logger.ini";

// The executable's path with the extension of its file name replaced by
// ".ini", or ".ini" appended when the name has none
// ("/opt/plenx/plenx-logger" -> "/opt/plenx/plenx-logger.ini"). A dot in a
// folder name or at the start of the file name is no extension. Letter case
// is kept, since file names differ by case.
std::string ConfigFilePathForExecutable(std::string_view executablePath);

// The places the configuration file is looked for, most important first:
// beside the executable (ConfigFilePathForExecutable; left out when
// executablePath is empty), so that a portable copy carries its own; then
// plenx-logger.ini in the per-user folder (UserConfigFolder; left out when
// no home folder is known); then in the program's folder of each system
// configuration folder (SystemConfigFolders).
std::vector<std::string> ConfigFileCandidates(std::string_view executablePath);

// The first of ConfigFileCandidates that is a regular file: the one file
// read, since the first found wins. Empty when there is none.
std::string FindConfigFile(std::string_view executablePath);
