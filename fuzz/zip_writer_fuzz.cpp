// Any entry names and contents: every entry with a usable name is added, one
// with an empty or over-long name is refused as a bad argument, and the
// closed archive passes a strict reader with each entry's name (backslashes
// as "/"), method and content as given. With PLENX_FUZZ_KEEP_ARCHIVES=DIR
// every archive is also copied to DIR, for unzip or Python's zipfile to check.
//
// Input: entry count (1 byte, 1 to 3), then per entry: a flags byte (bit 0
// pads the name to the longest allowed, bit 1 one byte beyond it), the name
// length (1 byte) and name (cut at its first NUL, as the C string it is
// passed as), the content length (2 bytes) and content.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "archive/zip_writer.h"
#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/fuzz_input.h"
#include "fuzz/support/scratch_folder.h"
#include "fuzz/support/zip_check.h"

namespace {

constexpr int kMaxEntries = 3;
// Longest entry name the 16-bit length field holds.
constexpr size_t kMaxEntryNameBytes = 0xFFFF;
// Name suffixes of already-compressed kinds, which are stored as they are.
constexpr std::string_view kStoredSuffixes[] = {".z", ".zip", ".zoo", ".arc", ".lzh", ".arj", ".gz", ".tgz"};

struct Expected {
  std::string name;
  std::string content;
};

bool ShouldBeStored(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  std::string suffix = name.substr(dot);
  for (char& c : suffix) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return std::find(std::begin(kStoredSuffixes), std::end(kStoredSuffixes), suffix) !=
         std::end(kStoredSuffixes);
}

// Copies the archive to the folder PLENX_FUZZ_KEEP_ARCHIVES names, if set.
void KeepArchive(std::string_view bytes) {
  static const char* keepFolder = std::getenv("PLENX_FUZZ_KEEP_ARCHIVES");
  static int kept = 0;
  if (keepFolder == nullptr) return;
  const std::string target = std::string(keepFolder) + "/" + std::to_string(++kept) + ".zip";
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  FUZZ_CHECK(out.good(), "cannot keep the archive as " + target);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const int entryCount = 1 + in.Byte() % kMaxEntries;

  const std::string archivePath = ScratchFolder() + "/archive.zip";
  ArchiveHandle archive = ArchiveCreate(archivePath.c_str());
  FUZZ_CHECK(archive != nullptr, "cannot create " + archivePath);
  std::vector<Expected> expected;
  for (int i = 0; i < entryCount; ++i) {
    const uint8_t flags = in.Byte();
    std::string name(in.Bytes(in.Byte()));
    name.resize(std::min(name.find('\0'), name.size()));
    if ((flags & 1) != 0) name.resize(kMaxEntryNameBytes + ((flags & 2) != 0 ? 1 : 0), 'a');
    const std::string content(in.Bytes(in.U16()));
    const std::string sourcePath = WriteScratchFile("source", content);

    const uint32_t result = ArchiveAddFile(archive, name.c_str(), sourcePath.c_str());
    const bool usable = !name.empty() && name.size() <= kMaxEntryNameBytes;
    FUZZ_CHECK(
        result == (usable ? kArchiveSuccess : kArchiveBadArgument),
        "entry of " + std::to_string(name.size()) + " name bytes gave result " + std::to_string(result));
    if (!usable) continue;
    std::replace(name.begin(), name.end(), '\\', '/');
    expected.push_back({std::move(name), content});
  }
  FUZZ_CHECK(ArchiveClose(archive) == kArchiveSuccess, "closing the archive failed");

  const std::string bytes = ReadWholeFile(archivePath);
  std::string problem;
  const std::optional<std::vector<ZipEntryRead>> entries = ReadZipArchive(bytes, problem);
  FUZZ_CHECK(entries.has_value(), "archive refused: " + problem);
  FUZZ_CHECK(entries->size() == expected.size(),
             "archive holds " + std::to_string(entries->size()) + " entries");
  for (size_t i = 0; i < expected.size(); ++i) {
    const ZipEntryRead& entry = (*entries)[i];
    FUZZ_CHECK(entry.name == expected[i].name, "entry " + std::to_string(i) + " has another name");
    FUZZ_CHECK(entry.content == expected[i].content, "entry " + std::to_string(i) + " has other content");
    FUZZ_CHECK((entry.method == 0) == ShouldBeStored(entry.name),
               "entry '" + entry.name + "' has method " + std::to_string(entry.method));
  }
  KeepArchive(bytes);
  return 0;
}
