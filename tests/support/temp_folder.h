// A fresh folder under the system's temporary folder for one test, removed
// with its contents when the owner goes; plus helpers to write and read
// files in it.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <string_view>

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "plenx-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) m_path = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder; empty when it could not be made.
  const std::string& path() const { return m_path; }
  // The full path of name inside the folder.
  std::string Path(const std::string& name) const { return m_path + "/" + name; }

  // Writes bytes to name inside the folder; returns the file's full path.
  std::string Write(const std::string& name, std::string_view bytes) const {
    const std::string file = Path(name);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file;
  }
  std::string Write(const std::string& name, std::span<const uint8_t> bytes) const {
    return Write(name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }

 private:
  std::string m_path;
};

// The whole content of a file; empty when it cannot be read.
inline std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
