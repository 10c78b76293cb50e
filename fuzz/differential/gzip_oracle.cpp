// Runs gzip through the shell and unwraps its member.
#include "fuzz/differential/gzip_oracle.h"

#include <stdio.h>
#include <sys/wait.h>

namespace {

// gzip member header (RFC 1952): ID1 ID2 CM FLG MTIME(4) XFL OS; the
// trailer is CRC32 and ISIZE. With -n and standard input FLG is 0.
constexpr size_t kGzipHeaderBytes = 10;
constexpr size_t kGzipTrailerBytes = 8;
constexpr unsigned char kGzipId1 = 0x1F;
constexpr unsigned char kGzipId2 = 0x8B;
constexpr unsigned char kMethodDeflate = 8;

// path as one shell word: single-quoted, each ' as '\''.
std::string ShellQuoted(const std::string& path) {
  std::string quoted = "'";
  for (const char c : path) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

std::optional<std::string> GzipDeflateData(const std::string& path, std::string& problem) {
  const std::string command = "gzip -8 -n -c < " + ShellQuoted(path);
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    problem = "cannot run: " + command;
    return std::nullopt;
  }
  std::string output;
  char chunk[1 << 16];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, got);
  const int status = pclose(pipe);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    problem = "failed: " + command;
    return std::nullopt;
  }
  const auto byte = [&output](size_t i) { return static_cast<unsigned char>(output[i]); };
  if (output.size() < kGzipHeaderBytes + kGzipTrailerBytes || byte(0) != kGzipId1 || byte(1) != kGzipId2 ||
      byte(2) != kMethodDeflate || byte(3) != 0) {
    problem = "not a plain gzip member: " + command;
    return std::nullopt;
  }
  return output.substr(kGzipHeaderBytes, output.size() - kGzipHeaderBytes - kGzipTrailerBytes);
}
