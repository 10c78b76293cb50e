// Runs DeflateCompressor on byte arrays and checks streams with independent
// programs: gzip -8 as the byte-for-byte oracle, python3's zlib for inflating.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "archive/deflate_compressor.h"

namespace plenx::deflate_test {

using Bytes = std::vector<uint8_t>;

struct Compressed {
  Bytes stream;
  uint64_t returnedSize = 0;
  uint16_t flags = 0;
  std::string error;
  size_t largestPiece = 0;
};

// Compresses input at the ZIP level, delivering at most readPieceBytes per read.
inline Compressed CompressBytes(DeflateCompressor& compressor, const Bytes& input,
                                uint32_t readPieceBytes = 0xFFFFFFFF,
                                int level = DeflateCompressor::kZipLevel) {
  Compressed result;
  size_t offset = 0;
  auto read = [&](uint8_t* buffer, uint32_t count) -> uint32_t {
    const size_t n = std::min<size_t>({count, readPieceBytes, input.size() - offset});
    std::copy_n(input.begin() + static_cast<long>(offset), n, buffer);
    offset += n;
    return static_cast<uint32_t>(n);
  };
  auto output = [&](const uint8_t* bytes, uint32_t count) {
    result.stream.insert(result.stream.end(), bytes, bytes + count);
    result.largestPiece = std::max<size_t>(result.largestPiece, count);
  };
  result.returnedSize = compressor.Compress(level, read, output, result.flags, result.error);
  return result;
}

inline Compressed CompressBytes(const Bytes& input) {
  DeflateCompressor compressor;
  return CompressBytes(compressor, input);
}

// A file in the test's temporary directory, removed with the object.
class TempFile {
 public:
  explicit TempFile(const std::string& stem) {
    std::string pattern = ::testing::TempDir() + "/" + stem + "_XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd >= 0) ::close(fd);
    m_path = pattern;
  }
  ~TempFile() { std::remove(m_path.c_str()); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& Path() const { return m_path; }

 private:
  std::string m_path;
};

inline void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool HaveProgram(const char* name) {
  return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// gzip -8's raw deflate data for input: its output without the 10-byte
// header and the 8-byte trailer. gzip reads a regular file, so every read is
// as large as requested, as the ZIP writer's reads are.
inline Bytes GzipRawDeflate(const Bytes& input) {
  TempFile in("deflate_in");
  TempFile out("deflate_gz");
  WriteFile(in.Path(), input);
  const std::string command = "gzip -8 -n -c < '" + in.Path() + "' > '" + out.Path() + "'";
  if (std::system(command.c_str()) != 0) return {};
  const Bytes gz = ReadFile(out.Path());
  if (gz.size() < 18) return {};
  return Bytes(gz.begin() + 10, gz.end() - 8);
}

// True when python3's zlib inflates stream (raw, 32 KB window) to exactly
// input, ending with a final block and nothing after it.
inline bool InflatesTo(const Bytes& stream, const Bytes& input) {
  TempFile streamFile("deflate_stream");
  TempFile inputFile("deflate_expect");
  WriteFile(streamFile.Path(), stream);
  WriteFile(inputFile.Path(), input);
  const std::string command =
      "python3 -c 'import sys, zlib\n"
      "d = zlib.decompressobj(-15)\n"
      "out = d.decompress(open(sys.argv[1], \"rb\").read()) + d.flush()\n"
      "sys.exit(0 if d.eof and not d.unused_data and out == open(sys.argv[2], \"rb\").read() else 1)' '" +
      streamFile.Path() + "' '" + inputFile.Path() + "'";
  return std::system(command.c_str()) == 0;
}

}  // namespace plenx::deflate_test
