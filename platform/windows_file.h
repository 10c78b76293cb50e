// Files on the Windows side: wide-character paths, and the C runtime's
// descriptors that the platform layer's interfaces hand out for the handles
// of CreateFileW. Used only by the platform's *_windows.cpp files.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// path (WTF-8, see wide_text.h) as the zero-terminated wide string the
// wide-character calls take.
std::wstring WidePath(std::string_view path);

// A wide path or text from the system in WTF-8.
std::string NarrowPath(std::wstring_view path);

// A descriptor that owns handle from now on (closing it closes the handle):
// binary, and appending when flags hold O_APPEND, read-only when they hold
// neither O_WRONLY nor O_RDWR. -1 with errno set, and the handle closed,
// when the C runtime has no descriptor left.
int DescriptorForHandle(HANDLE handle, int flags);

// The handle of descriptor fd; INVALID_HANDLE_VALUE when fd is none.
HANDLE HandleOfDescriptor(int fd);

// errno for a CreateFileW of path that failed with GetLastError(): a refused
// open of a folder is EISDIR, as on Linux; anything else as
// SetErrnoFromLastError.
void SetErrnoForFailedOpen(const std::wstring& path);
