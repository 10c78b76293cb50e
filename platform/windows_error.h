// The Windows side's errors in the program's currency: errno values, as the
// callers of the platform layer test them on every system. Used only by the
// platform's *_windows.cpp files.
#pragma once

#include <cstdint>

// The errno value of a Win32 error code (GetLastError): ENOENT for a missing
// file or folder, EACCES for a refused access, EWOULDBLOCK for a file that
// another program holds (a sharing or lock violation), ENOSPC for a full
// disk, and so on; EIO for codes without a closer match.
int ErrnoFromWindowsError(uint32_t windowsError);

// Sets errno from GetLastError().
void SetErrnoFromLastError();

// The Win32 error code whose system message describes errorNumber (an errno
// value) best; 0 when none does.
uint32_t WindowsErrorForErrno(int errorNumber);
