// plenx-zip: packs files into a new ZIP archive with the logger's own archive
// writer, printing the result code of every call.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "archive/zip_writer.h"
#include "cli/command_line.h"
#include "platform/path_parts.h"

namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitCallFailed = 1;

constexpr const char* kUsage = "usage: plenx-zip ARCHIVE [--as ENTRY] SOURCE ...";

struct Addition {
  std::string entryName;
  std::string sourcePath;
};

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Creates ARCHIVE (replacing any file of that name) and adds each SOURCE\n"
      "under its file name without folder, or under ENTRY when --as ENTRY comes\n"
      "before it. Prints each call's result code; exits 0 when all succeeded,\n"
      "1 otherwise, 2 for bad arguments.",
      "plenx-zip"};
  SetUpCommandLine(app, kUsage);
  std::string archivePath;
  std::vector<std::string> sources;
  std::vector<std::pair<std::string, std::string>> renamed;
  app.add_option("ARCHIVE", archivePath, "the archive to create")->required();
  CLI::Option* plain = app.add_option("SOURCE", sources, "a file to add under its own name");
  CLI::Option* as = app.add_option("--as", renamed, "add SOURCE under the entry name ENTRY")
                        ->type_name("ENTRY SOURCE")
                        ->allow_extra_args(false);
  if (const std::optional<int> exitStatus = ParseCommandLine(app, argc, argv)) return *exitStatus;
  // The additions in command-line order: CLI11 lists every value it took in
  // the order it took them, an --as once for each of its two.
  std::vector<Addition> additions;
  size_t nextPlain = 0;
  size_t nextRenamed = 0;
  for (size_t i = 0; i < app.parse_order().size(); ++i) {
    const CLI::Option* option = app.parse_order()[i];
    if (option == plain) {
      additions.push_back({std::string(FileNameOf(sources[nextPlain])), sources[nextPlain]});
      ++nextPlain;
    } else if (option == as) {
      additions.push_back({renamed[nextRenamed].first, renamed[nextRenamed].second});
      ++nextRenamed;
      ++i;  // the second value of the same --as
    }
  }
  if (additions.empty()) return FinishEarlyParse(app, CLI::RequiredError("SOURCE"));

  const ArchiveHandle archive = ArchiveCreate(archivePath.c_str());
  if (archive == nullptr) {
    std::printf("ArchiveCreate(\"%s\") failed\n", archivePath.c_str());
    return kExitCallFailed;
  }
  bool allSucceeded = true;
  for (const Addition& addition : additions) {
    const uint32_t result = ArchiveAddFile(archive, addition.entryName.c_str(), addition.sourcePath.c_str());
    std::printf("ArchiveAddFile(\"%s\", \"%s\") = 0x%08X\n", addition.entryName.c_str(),
                addition.sourcePath.c_str(), static_cast<unsigned>(result));
    allSucceeded = allSucceeded && result == kArchiveSuccess;
  }
  const uint32_t closeResult = ArchiveClose(archive);
  std::printf("ArchiveClose() = 0x%08X\n", static_cast<unsigned>(closeResult));
  allSucceeded = allSucceeded && closeResult == kArchiveSuccess;
  return allSucceeded ? kExitSuccess : kExitCallFailed;
}
