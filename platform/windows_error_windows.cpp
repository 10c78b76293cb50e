// Win32 error codes to errno values and back.
#include "platform/windows_error.h"

#include <windows.h>

#include <cerrno>

namespace {

struct ErrorPair {
  DWORD windowsError;
  int errorNumber;
};

// Both directions read this table; where several codes share an errno value,
// the first is the one whose text describes it.
constexpr ErrorPair kErrorPairs[] = {
    {ERROR_FILE_NOT_FOUND, ENOENT},
    {ERROR_PATH_NOT_FOUND, ENOENT},
    {ERROR_INVALID_DRIVE, ENOENT},
    {ERROR_BAD_NETPATH, ENOENT},
    {ERROR_BAD_NET_NAME, ENOENT},
    {ERROR_BAD_PATHNAME, ENOENT},
    {ERROR_INVALID_NAME, EINVAL},
    {ERROR_ACCESS_DENIED, EACCES},
    {ERROR_NETWORK_ACCESS_DENIED, EACCES},
    {ERROR_CANNOT_MAKE, EACCES},
    {ERROR_PRIVILEGE_NOT_HELD, EPERM},
    {ERROR_SHARING_VIOLATION, EWOULDBLOCK},
    {ERROR_LOCK_VIOLATION, EWOULDBLOCK},
    {ERROR_DISK_FULL, ENOSPC},
    {ERROR_HANDLE_DISK_FULL, ENOSPC},
    {ERROR_FILE_TOO_LARGE, EFBIG},
    {ERROR_WRITE_PROTECT, EROFS},
    {ERROR_FILE_EXISTS, EEXIST},
    {ERROR_ALREADY_EXISTS, EEXIST},
    {ERROR_DIRECTORY, ENOTDIR},
    {ERROR_DIR_NOT_EMPTY, ENOTEMPTY},
    {ERROR_NOT_SAME_DEVICE, EXDEV},
    {ERROR_INVALID_HANDLE, EBADF},
    {ERROR_NOT_ENOUGH_MEMORY, ENOMEM},
    {ERROR_OUTOFMEMORY, ENOMEM},
    {ERROR_TOO_MANY_OPEN_FILES, EMFILE},
    {ERROR_BUSY, EBUSY},
    {ERROR_NOT_READY, ENXIO},
    {ERROR_DEVICE_NOT_CONNECTED, ENXIO},
    {ERROR_DEV_NOT_EXIST, ENODEV},
    {ERROR_BAD_UNIT, ENODEV},
    {ERROR_GEN_FAILURE, EIO},
    {ERROR_CRC, EIO},
    {ERROR_NOT_SUPPORTED, ENOTSUP},
    {ERROR_INVALID_FUNCTION, ENOTSUP},
    {ERROR_BROKEN_PIPE, EPIPE},
    {ERROR_NO_DATA, EPIPE},
    {ERROR_FILENAME_EXCED_RANGE, ENAMETOOLONG},
    {ERROR_INVALID_PARAMETER, EINVAL},
    {ERROR_NEGATIVE_SEEK, EINVAL},
    {ERROR_OPERATION_ABORTED, ECANCELED},
    {ERROR_IO_INCOMPLETE, EAGAIN},
    {ERROR_NO_SYSTEM_RESOURCES, ENOMEM},
};

}  // namespace

int ErrnoFromWindowsError(uint32_t windowsError) {
  for (const ErrorPair& pair : kErrorPairs) {
    if (pair.windowsError == windowsError) return pair.errorNumber;
  }
  return EIO;
}

void SetErrnoFromLastError() { errno = ErrnoFromWindowsError(GetLastError()); }

uint32_t WindowsErrorForErrno(int errorNumber) {
  for (const ErrorPair& pair : kErrorPairs) {
    if (pair.errorNumber == errorNumber) return pair.windowsError;
  }
  return 0;
}
