// The program's folder in the user's configuration folder, shared by the
// remembered settings and the serial port links; and its state folder.
#pragma once

#include <string>
#include <string_view>

// The program's folder inside each configuration folder.
inline constexpr std::string_view kProgramConfigFolderName = "plenx-logger";

// ${XDG_CONFIG_HOME}/plenx-logger when XDG_CONFIG_HOME is an absolute path,
// otherwise <home>/.config/plenx-logger, where <home> is HOME when that is
// an absolute path and else the home folder of the user database. Empty
// when no home folder is known. A relative or empty variable is ignored, as
// the XDG base directory rules ask. No trailing "/".
std::string UserConfigFolder();

// ${XDG_STATE_HOME}/plenx-logger when XDG_STATE_HOME is an absolute path,
// otherwise <home>/.local/state/plenx-logger: where the program keeps what
// it must not lose but nobody edits (the records waiting for the broker).
// Empty when no home folder is known. No trailing "/".
std::string UserStateFolder();
