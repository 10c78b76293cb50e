// Absolute form of a path, for messages that name a file unambiguously.
#pragma once

#include <string>

// path resolved against the current directory when relative, with empty and
// "." components dropped and ".." taking back the component before it (by
// text, without following links; never above the root). path unchanged
// when the current directory cannot be read. An empty path gives the
// current directory. On Windows by GetFullPathNameW, so "/" separates as
// "\" does, a drive-relative path takes that drive's current folder, and
// the result is written with "\".
std::string FullPath(const std::string& path);
