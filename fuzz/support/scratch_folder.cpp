// The per-process scratch folder of the fuzz targets.
#include "fuzz/support/scratch_folder.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz/support/fuzz_check.h"

namespace {

// $TMPDIR when set; else /dev/shm, a memory file system, since a file
// rewritten with O_TRUNC on a disk file system is flushed at close and would
// make the targets wait for the disk; else /tmp.
std::string BaseFolder() {
  const char* tmp = std::getenv("TMPDIR");
  if (tmp != nullptr && tmp[0] != '\0') return tmp;
  std::error_code ignored;
  return std::filesystem::is_directory("/dev/shm", ignored) ? "/dev/shm" : "/tmp";
}

std::string MakeFolder() {
  std::string pattern = BaseFolder() + "/plenx-fuzz-XXXXXX";
  FUZZ_CHECK(mkdtemp(pattern.data()) != nullptr, "cannot make a scratch folder like " + pattern);
  return pattern;
}

// Owns the folder; its destructor runs at exit.
struct Scratch {
  std::string path = MakeFolder();
  ~Scratch() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
};

}  // namespace

const std::string& ScratchFolder() {
  static const Scratch scratch;
  return scratch.path;
}

std::string WriteScratchFile(const std::string& name, std::string_view bytes) {
  const std::string path = ScratchFolder() + "/" + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  FUZZ_CHECK(out.good(), "cannot write " + path);
  return path;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  FUZZ_CHECK(in.good(), "cannot read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
