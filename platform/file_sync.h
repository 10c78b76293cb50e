// Flushing what was written to a file down to the disk, so that a power cut
// loses nothing written before the flush.
#pragma once

// Flushes the data written to fd, and its size, to the disk; other metadata
// (times) may follow later, since reading the file back does not need it
// (fdatasync on Linux). What a run calls on its log and raw capture at
// least once a second. False, with errno set, when the device reported an
// error: what was written may then be lost.
bool SyncFileData(int fd);
