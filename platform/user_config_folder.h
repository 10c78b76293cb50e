// The program's folder in the user's configuration folder: on Linux shared
// by the remembered settings and the serial port links, on Windows (where
// the settings live in the registry) the place of the user's configuration
// file; and its state folder.
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
// On Windows: %APPDATA%\plenx-logger when APPDATA is an absolute path,
// otherwise the same folder of the user's roaming application data as the
// shell knows it; empty when neither gives one. No trailing "\".
std::string UserConfigFolder();

// ${XDG_STATE_HOME}/plenx-logger when XDG_STATE_HOME is an absolute path,
// otherwise <home>/.local/state/plenx-logger: where the program keeps what
// it must not lose but nobody edits (the records waiting for the broker).
// Empty when no home folder is known. No trailing "/".
// On Windows: %LOCALAPPDATA%\plenx-logger (the shell's local application
// data folder when LOCALAPPDATA is not an absolute path), which stays on
// this machine; empty when neither gives one.
std::string UserStateFolder();
