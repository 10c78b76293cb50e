// Whole-or-nothing files on Windows: a temporary file that only its writer
// may remove, flushed, then renamed over the final name through its own
// handle.
#include "platform/replacing_file.h"

#include <fcntl.h>
#include <windows.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/full_path.h"
#include "platform/posix_io.h"
#include "platform/windows_error.h"
#include "platform/windows_file.h"

namespace {

// Bytes of the final name kept in a temporary name, so that the temporary
// name stays within the 255 characters a file name may have.
constexpr size_t kMaxNameBytesInTemporaryName = 200;
constexpr std::string_view kTemporarySuffix = ".tmp";
// Hex digits of the random part of a temporary name.
constexpr size_t kUniqueDigits = 8;
// Names tried before Create gives up (each clash is one chance in 2^32).
constexpr int kCreateAttempts = 16;

// Restores errno when it goes, for clean-up on a failure path.
class SavedErrno {
 public:
  SavedErrno() : m_errno(errno) {}
  ~SavedErrno() { errno = m_errno; }
  SavedErrno(const SavedErrno&) = delete;
  SavedErrno& operator=(const SavedErrno&) = delete;

 private:
  int m_errno;
};

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The folder of path with its separator ("" for a bare name, "C:" for a
// drive-relative one) and the name within it.
std::pair<std::string, std::string> SplitFolder(const std::string& path) {
  size_t nameStart = path.size();
  while (nameStart > 0 && !IsSeparator(path[nameStart - 1]) && path[nameStart - 1] != ':') --nameStart;
  return {path.substr(0, nameStart), path.substr(nameStart)};
}

// ".<name, cut>." : what every temporary name of a final name starts with.
std::string TemporaryPrefix(const std::string& name) {
  std::string prefix = ".";
  prefix.append(name, 0, kMaxNameBytesInTemporaryName);
  prefix += '.';
  return prefix;
}

bool IsTemporaryName(std::string_view entry, std::string_view prefix) {
  if (!entry.starts_with(prefix) || !entry.ends_with(kTemporarySuffix)) return false;
  const std::string_view unique =
      entry.substr(prefix.size(), entry.size() - prefix.size() - kTemporarySuffix.size());
  if (unique.size() != kUniqueDigits) return false;
  for (char c : unique) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

// A fresh 32-bit value per call: the process, a counter and the clock,
// mixed (splitmix64's finaliser). Clashes only cost a retry.
uint32_t UniqueValue() {
  static std::atomic<uint64_t> counter{0};
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  uint64_t x = (static_cast<uint64_t>(GetCurrentProcessId()) << 32) ^ counter.fetch_add(1) ^
               static_cast<uint64_t>(now.QuadPart);
  x ^= x >> 30;
  x *= 0xBF58476D1CE4E5B9ull;
  x ^= x >> 27;
  x *= 0x94D049BB133111EBull;
  x ^= x >> 31;
  return static_cast<uint32_t>(x);
}

// Removes the temporary files of prefix in folder whose writers are gone: a
// live writer's open refuses every other removal.
void RemoveAbandonedTemporaryFiles(const std::string& folder, const std::string& prefix) {
  WIN32_FIND_DATAW found{};
  const HANDLE search =
      FindFirstFileExW(WidePath(folder + prefix + "*" + std::string(kTemporarySuffix)).c_str(),
                       FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = NarrowPath(found.cFileName);
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && IsTemporaryName(name, prefix)) {
      RemoveIfAbandoned(folder + name);
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

// An open of something at path that is not a file on a disk (a device such
// as NUL or a COM port, a pipe), for writing in place; nullptr otherwise.
HANDLE OpenDeviceInPlace(const std::wstring& path) {
  const HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  if (GetFileType(handle) == FILE_TYPE_DISK) {
    CloseHandle(handle);
    return nullptr;
  }
  return handle;
}

// Renames the file of handle (opened with DELETE access) to path, replacing
// a file of that name.
bool RenameOver(HANDLE handle, const std::wstring& path) {
  const size_t nameBytes = path.size() * sizeof(wchar_t);
  std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename->ReplaceIfExists = TRUE;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = static_cast<DWORD>(nameBytes);
  std::copy(path.begin(), path.end(), rename->FileName);
  if (SetFileInformationByHandle(handle, FileRenameInfo, rename, static_cast<DWORD>(buffer.size())))
    return true;
  SetErrnoFromLastError();
  return false;
}

// Marks the file of handle (opened with DELETE access) for removal at its
// close.
void RemoveAtClose(HANDLE handle) {
  FILE_DISPOSITION_INFO remove{};
  remove.DeleteFile = TRUE;
  SetFileInformationByHandle(handle, FileDispositionInfo, &remove, sizeof remove);
}

}  // namespace

bool ReplacingFile::Create(const std::string& finalPath) {
  if (IsOpen()) {
    errno = EBUSY;
    return false;
  }
  // Every string is made before anything is opened, so that a lack of
  // memory (bad_alloc) cannot leave a file or a handle behind.
  std::string final = finalPath;
  const std::wstring wideFinal = WidePath(finalPath);
  const DWORD attributes = GetFileAttributesW(wideFinal.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    errno = EISDIR;
    return false;
  }
  if (const HANDLE device = OpenDeviceInPlace(wideFinal)) {
    m_fd = DescriptorForHandle(device, O_WRONLY);
    if (m_fd < 0) return false;
    m_finalPath = std::move(final);
    m_temporaryPath.clear();
    return true;
  }

  const auto [folder, name] = SplitFolder(finalPath);
  if (name.empty()) {
    errno = EISDIR;
    return false;
  }
  const std::string prefix = TemporaryPrefix(name);
  RemoveAbandonedTemporaryFiles(folder, prefix);
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    char unique[kUniqueDigits + 1];
    std::snprintf(unique, sizeof unique, "%08x", UniqueValue());
    std::string path = folder + prefix + unique + std::string(kTemporarySuffix);
    const std::wstring widePath = WidePath(path);
    // Readers are let in; a removal or rename by anyone else is refused for
    // as long as this writer lives, which is what keeps another writer's
    // clean-up away from it. DELETE access lets it rename or remove itself.
    const HANDLE handle = CreateFileW(widePath.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                      FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      SetErrnoForFailedOpen(widePath);
      return false;
    }
    m_fd = DescriptorForHandle(handle, O_RDWR);
    if (m_fd < 0) return false;
    m_finalPath = std::move(final);
    m_temporaryPath = std::move(path);
    return true;
  }
  errno = EEXIST;
  return false;
}

bool ReplacingFile::Commit() {
  if (!IsOpen()) {
    errno = EBADF;
    return false;
  }
  if (m_temporaryPath.empty()) {
    // In place: a device or pipe cannot be flushed (EINVAL), which leaves
    // nothing unwritten.
    const bool synced = SyncFile(m_fd) || errno == EINVAL;
    const int syncErrno = errno;
    const bool closed = CloseFile(std::exchange(m_fd, -1));
    if (!synced) errno = syncErrno;
    return synced && closed;
  }
  // The rename takes a full path. May throw: nothing renamed yet.
  const std::wstring wideFinal = WidePath(FullPath(m_finalPath));
  if (!SyncFile(m_fd) || !RenameOver(HandleOfDescriptor(m_fd), wideFinal)) {
    Discard();
    return false;
  }
  // The data is on disk under the final name: a close error cannot lose it.
  CloseFile(std::exchange(m_fd, -1));
  m_temporaryPath.clear();
  return true;
}

void ReplacingFile::Discard() {
  if (!IsOpen()) return;
  const SavedErrno saved;
  if (!m_temporaryPath.empty()) RemoveAtClose(HandleOfDescriptor(m_fd));
  CloseFile(std::exchange(m_fd, -1));
  m_temporaryPath.clear();
}

void RemoveIfAbandoned(const std::string& path) {
  // A live writer's open refuses every other removal; Windows never
  // removes a folder or follows a link here.
  DeleteFileW(WidePath(path).c_str());
}

void RemoveAbandonedTemporaryFiles(const std::string& finalPath) {
  const auto [folder, name] = SplitFolder(finalPath);
  if (!name.empty()) RemoveAbandonedTemporaryFiles(folder, TemporaryPrefix(name));
}

bool IsReplacingFileTemporaryName(const std::string& name, std::string& finalName) {
  // ".<final name>.<8 hex digits>.tmp": the final name lies between the first
  // dot and the dot before the digits.
  constexpr size_t kTailBytes = 1 + kUniqueDigits + kTemporarySuffix.size();
  if (name.size() < 1 + 1 + kTailBytes || name[0] != '.') return false;
  const std::string candidate = name.substr(1, name.size() - 1 - kTailBytes);
  if (!IsTemporaryName(name, TemporaryPrefix(candidate))) return false;
  finalName = candidate;
  return true;
}
