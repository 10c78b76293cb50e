// The real path of the running executable.
#pragma once

#include <string>

// The absolute path of the running program's executable: on Linux with
// symbolic links resolved, as the kernel reports it (/proc/self/exe), in the
// file system's bytes; on Windows as the system loaded it
// (GetModuleFileNameW), in WTF-8. Empty when the system cannot tell.
std::string ExecutablePath();
