// Existence test by directory search with '*' and '?' wildcards.
#pragma once

#include <string>
#include <string_view>

// True when searching the directory part of name (the current directory when
// it has none) for its last component finds at least one entry of any kind:
// files, directories, devices and dangling links all count. Only the last
// component may hold wildcards. A name ending in '/' (on Windows also '\')
// finds nothing. On Linux the pattern is matched by WildcardMatches; on
// Windows by FindFirstFileW, with Windows' rules (letter case does not
// count, and a pattern may also match an entry's short 8.3 name).
bool DirectorySearchFindsEntry(const std::string& name);

// Whether entryName matches pattern byte for byte, where '*' stands for any
// run of bytes (also none) and '?' for exactly one byte. No other character is
// special, so names with brackets match themselves.
bool WildcardMatches(std::string_view pattern, std::string_view entryName);
