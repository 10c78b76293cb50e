// Streaming ZIP archive writer: create an archive, add disk files one at a
// time (stored or deflated), close it with the central directory. Sizes,
// offsets and counts beyond the format's 32-bit and 16-bit fields go to
// ZIP64 records; an archive that needs none has none.
#pragma once

#include <cstdint>
#include <functional>

class ArchiveWriter;

// Opaque reference to one ArchiveWriter; null stands for no archive.
using ArchiveHandle = ArchiveWriter*;

// Result codes of ArchiveAddFile and ArchiveClose.
inline constexpr uint32_t kArchiveSuccess = 0x00000000;
// A file cannot be created or opened, or the source's information cannot be
// read.
inline constexpr uint32_t kArchiveOpenFailed = 0x00000200;
// A write to the archive fell short, or the entry's data cannot be produced.
inline constexpr uint32_t kArchiveWriteFailed = 0x00000400;
// Null handle, empty or over-long entry name, or no source path.
inline constexpr uint32_t kArchiveBadArgument = 0x00010000;

// Why the last failed call on an archive failed.
struct ArchiveError {
  // errno of the system call that failed; EFBIG when a source grew past
  // 4 GiB while it was read, after its size had promised less (its local
  // header then has no room for the sizes); ENOMEM when memory ran out; 0
  // when no system call failed (a source that is not a regular file, an
  // internal compressor check).
  int systemError = 0;
  // The failure concerned the source file being added, not the archive.
  bool inSource = false;
  // What the compressor's failed internal check found, in words that follow
  // "failed an internal check:"; null for any other failure. Valid until the
  // archive is closed or abandoned.
  const char* failedCheck = nullptr;
};

// Told after each read of an entry's source: the bytes read so far and the
// size the source had when it was opened. Runs on the thread that called
// ArchiveAddFile; it must not call the archive.
using ArchiveProgress = std::function<void(uint64_t bytesRead, uint64_t sourceBytes)>;

// Starts an archive that will replace any file at archivePath (8-bit path)
// once ArchiveClose completes it: until then it is written under a temporary
// name in the same folder (see platform/replacing_file.h), so that an
// earlier archive of that name stays whole until the new one is, whatever
// happens meanwhile. A path that names a device or FIFO is written in place.
// Returns null when the file cannot be created or memory runs out; nothing
// is written then and *error (when given) says why.
ArchiveHandle ArchiveCreate(const char* archivePath, ArchiveError* error = nullptr);

// Adds the regular file at sourcePath under entryName (8-bit text; every
// backslash becomes "/"; at most 65535 bytes). The entry is stored when its
// name ends in the suffix of an already-compressed format and deflated
// otherwise. The source is read once, start to end; the entry records the
// bytes actually read, even when the file changed size meanwhile, and a read
// error ends the entry's data there: the entry is still added, and
// ArchiveLastError names the read error. On any failure the entry is left out of
// the central directory; the archive's later entries stay consistent.
// progress, when given, follows the reading of the source; it changes
// nothing in the archive.
uint32_t ArchiveAddFile(ArchiveHandle archive, const char* entryName, const char* sourcePath,
                        const ArchiveProgress& progress = {});

// Why the last failed ArchiveAddFile on archive failed, or the read error
// that cut short the data of the last entry added; all zero before any
// failure or for a null handle.
ArchiveError ArchiveLastError(ArchiveHandle archive);

// Writes the central directory and the end record, flushes the archive to
// disk and puts it in place under its name, then releases the writer: the
// handle is invalid afterwards, whatever the result. kArchiveWriteFailed
// when any of it failed: then nothing is put in place (an earlier file of
// that name stays as it was) and *error (when given) says why.
uint32_t ArchiveClose(ArchiveHandle archive, ArchiveError* error = nullptr);

// Releases the writer without completing the archive: what was written is
// removed and an earlier file of that name stays as it was. For a caller
// that wants the archive whole with all its entries or not at all.
void ArchiveAbandon(ArchiveHandle archive);
