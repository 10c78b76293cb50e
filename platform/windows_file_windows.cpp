// Wide paths and C runtime descriptors over Win32 file handles.
#include "platform/windows_file.h"

#include <fcntl.h>
#include <io.h>

#include <cerrno>

#include "platform/wide_text.h"
#include "platform/windows_error.h"

std::wstring WidePath(std::string_view path) {
  const std::u16string units = Utf16FromWtf8(path);
  return std::wstring(units.begin(), units.end());
}

std::string NarrowPath(std::wstring_view path) {
  return Wtf8FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(path.data()), path.size()));
}

int DescriptorForHandle(HANDLE handle, int flags) {
  int crtFlags = _O_BINARY;
  if ((flags & O_APPEND) != 0) crtFlags |= _O_APPEND;
  if ((flags & (O_WRONLY | O_RDWR)) == 0) crtFlags |= _O_RDONLY;
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), crtFlags);
  if (fd < 0) {
    CloseHandle(handle);
    errno = EMFILE;
  }
  return fd;
}

HANDLE HandleOfDescriptor(int fd) { return reinterpret_cast<HANDLE>(_get_osfhandle(fd)); }

void SetErrnoForFailedOpen(const std::wstring& path) {
  const DWORD error = GetLastError();
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    errno = EISDIR;
    return;
  }
  errno = ErrnoFromWindowsError(error);
}
