// The end of a file that is only ever appended to, read back and cut short:
// what repairing a line that a power cut left half-written needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

// The size of the open file fd in bytes; nothing, with errno set, when it
// cannot be read.
std::optional<uint64_t> FileSizeOf(int fd);

// Reads up to count bytes of fd from offset on, leaving the file position
// as it was. Fewer only at the end of the file or after a failure, which
// sets failed (and errno).
size_t ReadAt(int fd, void* buffer, size_t count, uint64_t offset, bool& failed);

// Cuts fd to its first sizeBytes bytes and flushes the new size to the disk.
// False, with errno set, when either step failed.
bool CutFileTo(int fd, uint64_t sizeBytes);
