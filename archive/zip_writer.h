// Streaming ZIP archive writer: create an archive, add disk files one at a
// time (stored or deflated), close it with the central directory.
#pragma once

#include <cstdint>

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

// Creates the archive file at archivePath (8-bit path), replacing any file of
// that name. Returns null when the file cannot be created or memory runs out;
// nothing is written then.
ArchiveHandle ArchiveCreate(const char* archivePath);

// Adds the regular file at sourcePath under entryName (8-bit text; every
// backslash becomes "/"; at most 65535 bytes). The entry is stored when its
// name ends in the suffix of an already-compressed format and deflated
// otherwise. The source is read once, start to end; the entry records the
// bytes actually read, even when the file changed size meanwhile, and a read
// error ends the entry's data there. On any failure the entry is left out of
// the central directory; the archive's later entries stay consistent.
uint32_t ArchiveAddFile(ArchiveHandle archive, const char* entryName, const char* sourcePath);

// Writes the central directory and the end record, closes the archive file
// and releases the writer: the handle is invalid afterwards, whatever the
// result. kArchiveWriteFailed when any of it could not be written.
uint32_t ArchiveClose(ArchiveHandle archive);
