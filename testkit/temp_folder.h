// A fresh folder under the system's temporary folder for one test, removed
// with its contents when the owner goes; plus helpers to write and read
// files in it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <span>
#include <string>
#include <string_view>

#include "platform/path_parts.h"

// A path of the program's strings (UTF-8, on Windows WTF-8) for the file
// system library, and back.
inline std::filesystem::path FsPath(std::string_view path) {
  return std::filesystem::path(std::u8string(path.begin(), path.end()));
}
inline std::string FsString(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

class TempFolder {
 public:
  TempFolder() {
    // A name nobody holds yet: create_directory refuses one that exists.
    constexpr int kAttempts = 100;
    std::random_device seed;
    std::mt19937_64 random(seed());
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < kAttempts && m_path.empty(); ++attempt) {
      const std::filesystem::path candidate = base / ("plenx-test-" + std::to_string(random() % 1000000000));
      std::error_code error;
      if (std::filesystem::create_directory(candidate, error)) m_path = FsString(candidate);
    }
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!m_path.empty()) std::filesystem::remove_all(FsPath(m_path), ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder; empty when it could not be made.
  const std::string& path() const { return m_path; }
  // The full path of name inside the folder, joined with the system's
  // separator.
  std::string Path(const std::string& name) const { return JoinPath(m_path, name); }

  // Writes bytes to name inside the folder; returns the file's full path.
  std::string Write(const std::string& name, std::string_view bytes) const {
    const std::string file = Path(name);
    std::ofstream out(FsPath(file), std::ios::binary | std::ios::trunc);
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
  std::ifstream in(FsPath(path), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
