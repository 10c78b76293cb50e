// The files of one folder: listed, renamed and removed, each change flushed
// to the disk so that it survives a power cut.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct FolderEntry {
  std::string name;  // the file system's bytes, without the folder
  // A regular file itself, not a link to one.
  bool isRegularFile = false;
  uint64_t sizeBytes = 0;  // of a regular file
};

// The entries of folder, "." and ".." left out, in no particular order.
// Symbolic links are not followed. Nothing, with errno set, when the folder
// cannot be read.
std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder);

// Renames from to to (both in one folder; an existing file named to is
// replaced at once) and flushes the folder. False, with errno set, when the
// rename failed.
bool RenameInFolder(const std::string& from, const std::string& to);

// Removes the file path (never a folder) and flushes its folder. False,
// with errno set, when it could not be removed.
bool RemoveFile(const std::string& path);

// Flushes folder's list of entries to the disk, so that a rename or removal
// in it survives a power cut. File systems that refuse this lose nothing by
// it, so nothing is reported.
void FlushFolder(const std::string& folder);

// True when path names an existing folder (a link to one included).
bool IsFolder(const std::string& path);

// The folder part of path ("." for a bare name, "/" for a file in the root).
std::string FolderOf(const std::string& path);
// The name part of path: what follows its last "/".
std::string NameOf(const std::string& path);
