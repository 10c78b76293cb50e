// The one place where the program's system calls on file descriptors are
// made: a call that a signal interrupts before it did anything is run again,
// and reads and writes that move only part of a buffer are continued.
//
// Calls that can be interrupted by a signal or move part of a buffer (open,
// read, write, pwrite, poll, fsync, ftruncate, tcsetattr) go through these
// functions. Calls that return at once and never fail with EINTR (stat,
// mkdir, rename, flock with LOCK_NB, ioctl on a terminal) are made directly,
// and so is a wait that a signal is meant to cut short (the simulator's
// stop).
#pragma once

#include <sys/types.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Runs call, a system call that returns -1 and sets errno when it fails,
// again for as long as it fails with EINTR. Returns its last result.
template <typename SystemCall>
auto RetryOnInterrupt(SystemCall call) {
  auto result = call();
  while (result == -1 && errno == EINTR) {
    result = call();
  }
  return result;
}

// The descriptors of the standard streams.
inline constexpr int kStandardInput = 0;
inline constexpr int kStandardOutput = 1;
inline constexpr int kStandardError = 2;

// open(2) of path with flags (O_CLOEXEC is the caller's to give); mode only
// counts with O_CREAT. The descriptor, or -1 with errno set. On Windows the
// flags the C runtime knows (O_RDONLY, O_WRONLY, O_RDWR, O_CREAT, O_EXCL,
// O_TRUNC, O_APPEND) count; the descriptor is binary and not inherited, and
// other programs may read, write, rename and remove the file meanwhile, as
// on Linux. Code outside the platform layer uses the calls below, which
// need no flags.
int OpenFile(const char* path, int flags, mode_t mode = 0);

// What OpenForReading does with a FIFO or device in the file's place.
enum class ReadOpenMode {
  // Opens it as it is: a FIFO's open waits for a writer, its reads for data.
  kFollowStreams,
  // Never waits for one: for callers that read regular files only and
  // check the descriptor for one (ReadFileStatus).
  kNeverWait,
};

// Opens path for reading from its start, not inherited by the programs this
// one starts, without making a terminal the controlling one. The
// descriptor, or -1 with errno set.
int OpenForReading(const std::string& path, ReadOpenMode mode = ReadOpenMode::kFollowStreams);

// Creates path for writing (read and write permission for everyone the
// umask allows), emptying a file of that name. The descriptor, or -1 with
// errno set.
int CreateForWriting(const std::string& path);

// Makes the standard streams carry bytes unchanged. Windows' C runtime
// would otherwise turn every "\n" written into CR LF and stop reading at a
// Ctrl-Z; on Linux there is nothing to do. Programs that write or read data
// on them call it first.
void UseBinaryStandardStreams();

// Closes fd once. Never retried: Linux releases the descriptor even when
// close reports EINTR, and a second close could hit a descriptor another
// thread has just opened. False when close reported an error, which may
// mean that written data was lost.
bool CloseFile(int fd);

// One read(2) of at most count bytes: the count read (0 at the end of the
// file), or -1 with errno set (EAGAIN when a non-blocking descriptor has
// nothing yet).
ssize_t ReadSome(int fd, void* buffer, size_t count);

// One write(2) of at most count bytes: the count written, or -1 with errno
// set. Async-signal-safe: it calls nothing but write.
ssize_t WriteSome(int fd, const void* bytes, size_t count);

// Writes all count bytes at the file position, continuing after short
// writes. Returns how many bytes were written: count, or fewer when a write
// failed or accepted nothing (a full device, errno ENOSPC); errno is set.
size_t WriteAll(int fd, const void* bytes, size_t count);
inline size_t WriteAll(int fd, std::string_view bytes) { return WriteAll(fd, bytes.data(), bytes.size()); }

// fsync(2): flushes what was written to fd down to the disk. False, with
// errno set, when the device reported an error; what was written may then
// be lost.
bool SyncFile(int fd);

// As WriteAll, at offset (pwrite(2)), leaving the file position as it was.
size_t WriteAllAt(int fd, const void* bytes, size_t count, uint64_t offset);

// Reads until count bytes are in buffer or the file ends. Returns how many
// bytes were read; sets failed (and errno) when a read failed, which ends
// the reading with what came before.
size_t ReadAll(int fd, void* buffer, size_t count, bool& failed);

// The rest of the file, read to its end or until maxBytes bytes have come,
// whichever is first: a caller that asks for one byte more than it accepts
// tells an oversized file from a full one. nullopt, with errno set, when a
// read failed.
std::optional<std::string> ReadToEnd(int fd, size_t maxBytes);
