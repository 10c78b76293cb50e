// Files that a run only ever appends to (the log, the raw capture of the
// line): the open with its write lock, whole writes, and the reason a
// failed open gives the user.
#pragma once

#include <string>
#include <string_view>

// Opens path for appending: created (mode 0666 before the umask) when
// absent, never truncated, every write going to the file's end. Other
// writers are kept out while it is open; readers are not. On Linux the file
// is locked with an advisory exclusive lock (a file system without lock
// support gives an unlocked file); on Windows the open shares the file for
// reading only, so that any other open for writing fails, and so do a
// rename or removal of the file while it is open. Returns the descriptor (not inherited; closing it releases
// the file), or -1 with errno set; EWOULDBLOCK means another writer holds the file. When created is given, it
// tells whether this open made the file.
int OpenLockedForAppend(const std::string& path, bool* created = nullptr);

// Closes fd, opened by OpenLockedForAppend as path, and removes the file
// when that open created it and it is still empty: a run refused after its
// files were opened leaves nothing behind. createdByOpen is what that open
// reported.
void CloseRemovingIfUnused(int fd, const std::string& path, bool createdByOpen);

// Writes all of bytes at the end of fd, a file OpenLockedForAppend opened.
// True when every byte is written. Otherwise false with errno set (ENOSPC
// for a full disk), and the file holds no part of bytes: a part that was
// written is cut off again, so the next write starts where this one would
// have.
bool AppendWhole(int fd, std::string_view bytes);

// False when path no longer names the file fd is open on: the file was
// removed or renamed (and perhaps another one put in its place) since it was
// opened. A path that cannot be looked up for any other reason (a failing
// disk) counts as still naming it, so the write itself reports the failure.
bool PathStillNames(int fd, const std::string& path);

// Why an open of a file for appending failed, for a message to the user:
// "in use by another program" for EWOULDBLOCK, "no such folder" for ENOENT
// (the open creates the file, so it is a folder that is missing), "a part
// of the path is not a folder", "it is a folder", else the system's text
// for error (SystemErrorText).
std::string AppendOpenFailureReason(int error);
