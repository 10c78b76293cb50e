// The folders Windows keeps for programs' data, by environment variable or
// from the shell. Used only by the platform's *_windows.cpp files.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include <string>

// <folder>\plenx-logger, where <folder> is the environment variable
// variable when it holds an absolute path, else the shell's known folder
// folderId. Empty when neither gives one.
std::string ProgramFolderIn(const wchar_t* variable, const KNOWNFOLDERID& folderId);
