// A path's folder and file name by the system's rules: '/' separates on
// Linux (where '\' is a character of a name); '\' and '/' on Windows, where
// a drive ("C:") also ends the folder part.
#pragma once

#include <string>
#include <string_view>

// Where path's last component begins: just after its last separator (or
// drive), 0 when it has none.
size_t FileNameStart(std::string_view path);

// The last component of path ("site.log" of "logs/site.log").
inline std::string_view FileNameOf(std::string_view path) { return path.substr(FileNameStart(path)); }

// name inside folder, with one separator between them ('/' on Linux, '\' on
// Windows) unless folder ends in one already; name alone when folder is
// empty.
std::string JoinPath(std::string_view folder, std::string_view name);
