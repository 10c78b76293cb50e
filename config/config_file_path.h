// Where the configuration file of an executable lies: beside it, same name.
#pragma once

#include <string>
#include <string_view>

// The executable's path with the extension of its file name replaced by
// ".ini", or ".ini" appended when the name has none
// ("/opt/plenx/plenx-logger" -> "/opt/plenx/plenx-logger.ini"). A dot in a
// folder name or at the start of the file name is no extension. Letter case
// is kept, since file names differ by case.
std::string ConfigFilePathForExecutable(std::string_view executablePath);
