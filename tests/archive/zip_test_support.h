// Shared fixtures of the ZIP writer tests: file helpers,
// little-endian field readers and the black-box checkers (unzip, Python's
// zipfile) run as subprocesses.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "testkit/run_command.h"
#include "testkit/temp_folder.h"

namespace zip_test {

using Bytes = std::vector<uint8_t>;

inline Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Deterministic text that looks like a telemetry log: time stamps and
// comma-separated numbers, so it both repeats and varies.
inline Bytes LogLikeText(size_t sizeBytes, uint32_t seed = 1) {
  Bytes text;
  text.reserve(sizeBytes + 64);
  uint32_t state = seed;
  int second = 0;
  while (text.size() < sizeBytes) {
    char line[64];
    state = state * 1103515245u + 12345u;
    const int n = std::snprintf(line, sizeof line, "2015/03/07-13:%02d:%02d.%03d   -   %d,%d,\r\n",
                                second / 60 % 60, second % 60, static_cast<int>(state >> 22),
                                static_cast<int>(state >> 20) % 700 - 50, static_cast<int>(state % 97));
    text.insert(text.end(), line, line + n);
    ++second;
  }
  text.resize(sizeBytes);
  return text;
}

// Sets modification and access time to whole Unix seconds.
inline bool SetFileTimes(const std::string& path, time_t modified, time_t accessed) {
  const struct timespec times[2] = {{accessed, 0}, {modified, 0}};
  return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

// Equal byte strings, or a message naming the sizes and the first difference
// (instead of printing both strings whole).
inline testing::AssertionResult SameBytes(const Bytes& actual, const Bytes& expected) {
  if (actual == expected) return testing::AssertionSuccess();
  size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  return testing::AssertionFailure() << "sizes " << actual.size() << " and " << expected.size()
                                     << ", first difference at byte " << at;
}

inline uint32_t Le16(const Bytes& b, size_t at) {
  return static_cast<uint32_t>(b.at(at)) | static_cast<uint32_t>(b.at(at + 1)) << 8;
}
inline uint32_t Le32(const Bytes& b, size_t at) { return Le16(b, at) | Le16(b, at + 2) << 16; }

inline std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// unzip -t: every entry inflates and matches its CRC-32.
inline CommandResult UnzipTest(const std::string& archive) {
  return RunCommand("unzip -t " + Quoted(archive) + " 2>&1");
}

// 7-Zip's test of every entry: 0 and "Everything is Ok" when each one's data
// matches its CRC-32.
inline CommandResult SevenZipTest(const std::string& archive) {
  return RunCommand("7zz t -bd " + Quoted(archive) + " 2>&1");
}

// Python's zipfile lists each entry as
// "name method flags file_size compress_size crc external_attr" (numbers in
// hex) after reading it whole, which checks its CRC-32 and size, and appends
// "OK" when the reader found no fault.
inline CommandResult PythonZipListing(const std::string& archive) {
  static const char* const kScript =
      "import sys, zipfile\n"
      "with zipfile.ZipFile(sys.argv[1]) as z:\n"
      "    for i in z.infolist():\n"
      "        z.read(i)\n"
      "        print(i.filename, '%x %x %x %x %08x %08x' % (i.compress_type, i.flag_bits,\n"
      "              i.file_size, i.compress_size, i.CRC, i.external_attr))\n"
      "    assert z.testzip() is None\n"
      "print('OK')\n";
  return RunCommand("python3 -c " + Quoted(kScript) + " " + Quoted(archive) + " 2>&1");
}

// The content of one entry as Python's zipfile extracts it.
inline Bytes PythonExtract(const std::string& archive, const std::string& entryName,
                           const std::string& outputPath) {
  static const char* const kScript =
      "import sys, zipfile\n"
      "with zipfile.ZipFile(sys.argv[1]) as z, open(sys.argv[3], 'wb') as f:\n"
      "    f.write(z.read(sys.argv[2]))\n";
  RunCommand("python3 -c " + Quoted(kScript) + " " + Quoted(archive) + " " + Quoted(entryName) + " " +
             Quoted(outputPath));
  return ReadAll(outputPath);
}

}  // namespace zip_test
