// Information about an open file as the ZIP writer records it (DOS attribute
// bits, file times in 100-ns ticks, size): read with statx on Linux, with
// GetFileInformationByHandle on Windows.
#pragma once

#include <cstdint>
#include <string_view>

// DOS attribute bits, as the low byte of a ZIP entry's external attributes
// carries them.
inline constexpr uint32_t kFileAttributeReadOnly = 0x00000001;
inline constexpr uint32_t kFileAttributeHidden = 0x00000002;
inline constexpr uint32_t kFileAttributeSystem = 0x00000004;
inline constexpr uint32_t kFileAttributeDirectory = 0x00000010;
inline constexpr uint32_t kFileAttributeArchive = 0x00000020;

// A file time counts 100-ns intervals since 1601-01-01 00:00 UTC; this many
// of them lie before the Unix epoch, 1970-01-01 00:00 UTC.
inline constexpr uint64_t kFileTimeAtUnixEpoch = 116444736000000000ull;
inline constexpr uint64_t kFileTimeTicksPerSecond = 10000000ull;

struct FileStatus {
  // kFileAttribute* bits. On Windows the file's own. On Linux: read-only
  // when the owner may not write; hidden when the name starts with ".";
  // directory for directories; archive for every regular file (the "not yet
  // backed up" mark every newly written file carries); no file mode maps to
  // the system attribute, so it is never set.
  uint32_t attributes = 0;
  // Only regular files are read as archive sources.
  bool isRegularFile = false;
  // The owner may execute the file (mode bit S_IXUSR); never on Windows,
  // whose files have no such permission.
  bool ownerExecutable = false;
  // File times. Creation is the birth time where the file system records it,
  // otherwise (on Linux) the status change time. Times before 1601 read as 0.
  uint64_t creationTime = 0;
  uint64_t lastAccessTime = 0;
  uint64_t lastWriteTime = 0;
  uint64_t sizeBytes = 0;
  // Device and inode number (on Windows the volume's serial number and the
  // file's index): two open files are the same file when both match.
  uint64_t deviceId = 0;
  uint64_t inode = 0;
};

// Reads the status of the open file fd. path is the name it was opened by;
// only its last component is used, for the hidden attribute on Linux.
// Returns false, with errno set, when the status cannot be read.
bool ReadFileStatus(int fd, std::string_view path, FileStatus& status);
