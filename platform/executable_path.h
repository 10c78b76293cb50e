// The real path of the running executable.
#pragma once

#include <string>

// The absolute path of the running program's executable with symbolic links
// resolved, as the kernel reports it (/proc/self/exe), in the file system's
// bytes. Empty when the system cannot tell.
std::string ExecutablePath();
