// Raw inflate and CRC-32 through zlib.
#include "fuzz/support/raw_inflate.h"

#include <zlib.h>

#include <algorithm>

namespace {

// Negative window bits select a raw stream; 15 is the 32 KiB window.
constexpr int kRawDeflateWindowBits = -15;
// zlib counts in uInt; inputs are fed in pieces of at most this.
constexpr size_t kZlibPieceBytes = 1u << 30;

}  // namespace

std::optional<std::string> InflateRaw(std::string_view stream, size_t expectedSize, std::string& problem) {
  z_stream z{};
  if (inflateInit2(&z, kRawDeflateWindowBits) != Z_OK) {
    problem = "inflateInit2 failed";
    return std::nullopt;
  }
  std::string out(std::max<size_t>(expectedSize, 64), '\0');
  size_t produced = 0;
  size_t consumed = 0;
  int status = Z_OK;
  while (status == Z_OK) {
    if (produced == out.size()) out.resize(out.size() * 2);
    const size_t inPiece = std::min(stream.size() - consumed, kZlibPieceBytes);
    const size_t outPiece = std::min(out.size() - produced, kZlibPieceBytes);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data() + consumed));
    z.avail_in = static_cast<uInt>(inPiece);
    z.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
    z.avail_out = static_cast<uInt>(outPiece);
    status = inflate(&z, Z_NO_FLUSH);
    consumed += inPiece - z.avail_in;
    produced += outPiece - z.avail_out;
    // No progress with all input given: the stream ends before its final block.
    if (status == Z_BUF_ERROR && consumed == stream.size() && z.avail_out != 0) break;
    if (status == Z_BUF_ERROR) status = Z_OK;
  }
  const char* message = z.msg;
  inflateEnd(&z);
  if (status != Z_STREAM_END) {
    problem = message != nullptr ? message : "the stream ends before its final block";
    return std::nullopt;
  }
  if (consumed != stream.size()) {
    problem = std::to_string(stream.size() - consumed) + " bytes follow the final block";
    return std::nullopt;
  }
  out.resize(produced);
  return out;
}

uint32_t ZlibCrc32(std::string_view bytes) {
  uLong crc = crc32(0L, Z_NULL, 0);
  for (size_t done = 0; done < bytes.size();) {
    const size_t piece = std::min(bytes.size() - done, kZlibPieceBytes);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes.data() + done), static_cast<uInt>(piece));
    done += piece;
  }
  return static_cast<uint32_t>(crc);
}
