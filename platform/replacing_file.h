// A file that is written whole or not at all: it is written under a
// temporary name in the folder of its final name, flushed to disk, and
// renamed over the final name only once it is complete.
#pragma once

#include <string>

// One file being written to replace finalPath. Until Commit succeeds, the
// final name keeps whatever it held before (or stays absent), also when the
// process is killed or the machine loses power meanwhile. Movable, not
// copyable; any thread, one at a time.
//
// The temporary file is named ".<final name>.<8 hex digits>.tmp" (the final
// name cut to 200 bytes) and holds an advisory lock while its writer lives.
// A writer that is killed cannot remove its file; the next Create for the
// same final name removes every such file that no live writer holds.
class ReplacingFile;

// Removes every temporary file of finalPath that no live writer holds, as
// ReplacingFile::Create does before it makes its own: for a caller that
// cleans up after a crash without writing that file again.
void RemoveAbandonedTemporaryFiles(const std::string& finalPath);

// Removes path when it is a temporary file whose writer is gone: a live
// writer holds an advisory exclusive lock on it (flock), which dies with its
// process. For other writers of whole-or-nothing files that lock their
// temporary files the same way.
void RemoveIfAbandoned(const std::string& path);

// Whether name (without folder) is the name of a temporary file that a
// ReplacingFile for a final name in the same folder makes; finalName is then
// that final name, as far as the temporary name keeps it (see above).
bool IsReplacingFileTemporaryName(const std::string& name, std::string& finalName);

class ReplacingFile {
 public:
  ReplacingFile() = default;
  // Discards a file that was not committed.
  ~ReplacingFile();
  ReplacingFile(ReplacingFile&& other) noexcept;
  ReplacingFile& operator=(ReplacingFile&& other) noexcept;
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Opens a new, empty temporary file for writing beside finalPath, after
  // removing the abandoned temporary files of that name. When finalPath
  // names something other than a regular file (a device such as /dev/null, a
  // FIFO, a symbolic link) there is nothing to replace: it is opened and
  // emptied in place, as a plain create would, and Commit only flushes it.
  // False, with errno set and nothing left behind, when the file cannot be
  // created (or this object already has one).
  bool Create(const std::string& finalPath);

  bool IsOpen() const { return m_fd >= 0; }
  // The descriptor to write to (the file position starts at 0); -1 when
  // not open.
  int Descriptor() const { return m_fd; }
  // The temporary file's path; empty when not open or writing in place.
  const std::string& TemporaryPath() const { return m_temporaryPath; }

  // Flushes the file to disk, renames it over the final name and flushes
  // the folder, then closes it. False, with errno set, when a step failed:
  // the temporary file is removed and the final name keeps its old file.
  // Either way the object is closed afterwards.
  bool Commit();

  // Closes and removes the temporary file; the final name keeps its old
  // file. Leaves errno as it was. Does nothing when not open.
  void Discard();

 private:
  int m_fd = -1;
  std::string m_finalPath;
  // Empty while writing in place.
  std::string m_temporaryPath;
};
