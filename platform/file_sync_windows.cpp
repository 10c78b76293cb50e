// Flushing a file's data to the disk with FlushFileBuffers.
#include "platform/file_sync.h"

#include "platform/posix_io.h"

// Windows flushes data and metadata alike; there is no cheaper call for
// the data alone.
bool SyncFileData(int fd) { return SyncFile(fd); }
