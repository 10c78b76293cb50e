// Folder listing, rename and removal on Windows, written through to the disk.
#include "platform/folder_files.h"

#include <windows.h>

#include "platform/windows_error.h"
#include "platform/windows_file.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Where path's last component begins: after its last separator or drive.
size_t NameStart(const std::string& path) {
  const size_t end = path.find_last_of("\\/:");
  return end == std::string::npos ? 0 : end + 1;
}

}  // namespace

// NTFS keeps its folders in its journal: a rename or removal done with
// MOVEFILE_WRITE_THROUGH or DeleteFileW is on the disk when the call returns.
void FlushFolder(const std::string&) {}

std::string FolderOf(const std::string& path) {
  const size_t nameStart = NameStart(path);
  if (nameStart == 0) return ".";
  // "C:\" and "\" keep their separator: they are roots; "C:" stays a drive.
  if (nameStart == 1 || (nameStart == 3 && path[1] == ':') || !IsSeparator(path[nameStart - 1])) {
    return path.substr(0, nameStart);
  }
  return path.substr(0, nameStart - 1);
}

std::string NameOf(const std::string& path) { return path.substr(NameStart(path)); }

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder) {
  WIN32_FIND_DATAW found{};
  std::string pattern = folder;
  if (!pattern.empty() && !IsSeparator(pattern.back())) pattern += '\\';
  pattern += '*';
  const HANDLE search =
      FindFirstFileExW(WidePath(pattern).c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) {
    SetErrnoFromLastError();
    return std::nullopt;
  }
  std::vector<FolderEntry> entries;
  do {
    FolderEntry entry;
    entry.name = NarrowPath(found.cFileName);
    if (entry.name == "." || entry.name == "..") continue;
    // A link (a reparse point) is not followed, as on Linux.
    if ((found.dwFileAttributes &
         (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) == 0) {
      entry.isRegularFile = true;
      entry.sizeBytes = static_cast<uint64_t>(found.nFileSizeHigh) << 32 | found.nFileSizeLow;
    }
    entries.push_back(std::move(entry));
  } while (FindNextFileW(search, &found));
  const DWORD error = GetLastError();
  FindClose(search);
  if (error != ERROR_NO_MORE_FILES) {
    errno = ErrnoFromWindowsError(error);
    return std::nullopt;
  }
  return entries;
}

bool RenameInFolder(const std::string& from, const std::string& to) {
  if (MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  SetErrnoFromLastError();
  return false;
}

bool RemoveFile(const std::string& path) {
  if (DeleteFileW(WidePath(path).c_str())) return true;
  SetErrnoFromLastError();
  return false;
}
