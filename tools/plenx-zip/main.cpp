// plenx-zip: packs files into a new ZIP archive with the logger's own archive
// writer, printing the result code of every call.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "archive/zip_writer.h"

namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitCallFailed = 1;
constexpr int kExitBadArguments = 2;

constexpr const char* kUsage =
    "usage: plenx-zip ARCHIVE [--as ENTRY] SOURCE ...\n"
    "Creates ARCHIVE (replacing any file of that name) and adds each SOURCE\n"
    "under its file name without folder, or under ENTRY when --as ENTRY comes\n"
    "before it. Prints each call's result code; exits 0 when all succeeded,\n"
    "1 otherwise, 2 for bad arguments.\n";

struct Addition {
  std::string entryName;
  const char* sourcePath;
};

// The last component of path: what follows its last "/".
std::string FileNameOf(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash == nullptr ? path : slash + 1;
}

// Reads "[--as ENTRY] SOURCE ..." from args; false when the list is empty or
// an --as has no entry name and source after it.
bool ParseAdditions(int count, char** args, std::vector<Addition>& additions) {
  for (int i = 0; i < count; ++i) {
    if (std::strcmp(args[i], "--as") == 0) {
      if (i + 2 >= count) return false;
      additions.push_back({args[i + 1], args[i + 2]});
      i += 2;
    } else {
      additions.push_back({FileNameOf(args[i]), args[i]});
    }
  }
  return !additions.empty();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return kExitSuccess;
  }
  std::vector<Addition> additions;
  if (argc < 3 || !ParseAdditions(argc - 2, argv + 2, additions)) {
    std::fputs(kUsage, stderr);
    return kExitBadArguments;
  }
  const char* archivePath = argv[1];
  const ArchiveHandle archive = ArchiveCreate(archivePath);
  if (archive == nullptr) {
    std::printf("ArchiveCreate(\"%s\") failed\n", archivePath);
    return kExitCallFailed;
  }
  bool allSucceeded = true;
  for (const Addition& addition : additions) {
    const uint32_t result = ArchiveAddFile(archive, addition.entryName.c_str(), addition.sourcePath);
    std::printf("ArchiveAddFile(\"%s\", \"%s\") = 0x%08X\n", addition.entryName.c_str(), addition.sourcePath,
                static_cast<unsigned>(result));
    allSucceeded = allSucceeded && result == kArchiveSuccess;
  }
  const uint32_t closeResult = ArchiveClose(archive);
  std::printf("ArchiveClose() = 0x%08X\n", static_cast<unsigned>(closeResult));
  allSucceeded = allSucceeded && closeResult == kArchiveSuccess;
  return allSucceeded ? kExitSuccess : kExitCallFailed;
}
