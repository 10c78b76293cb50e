// Data flush through fdatasync(2), retried after signals.
#include "platform/file_sync.h"

#include <unistd.h>

#include "platform/posix_io.h"

bool SyncFileData(int fd) {
  return RetryOnInterrupt([&] { return fdatasync(fd); }) == 0;
}
