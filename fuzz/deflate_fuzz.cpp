// Any input at any level inflates back to itself through zlib, whatever
// pieces the read function delivers; the stream is complete, its reported
// size is what reached the output, no output piece is larger than promised,
// and an object that compressed other inputs before writes the same stream
// as a fresh one (checked on inputs up to 64 KiB).
//
// Input: level (1 byte, 1 to 8), read piece size (1 byte, index into
// kReadPieces; bit 7 ends the input with kReadEndOfInput instead of 0),
// repeat count (1 byte, see kFirstRepeatChoice: repeating lets inputs beyond
// the fuzzer's length limit reach the window slides), then the body.
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "archive/deflate_compressor.h"
#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/fuzz_input.h"
#include "fuzz/support/raw_inflate.h"

namespace {

// Read sizes the compressor may be handed; 0 means as much as it asks for.
constexpr uint32_t kReadPieces[] = {0, 1, 3, 255, 4096, 65535, 65536, 100000};
// Repeat bytes from this on repeat the body 4, 8, ... 256 times; below it
// the body is taken once, so most runs stay small and fast.
constexpr uint8_t kFirstRepeatChoice = 0xC0;
// Largest input after repeating: enough for several window slides and
// block cuts, small enough for many runs a second.
constexpr size_t kMaxInputBytes = 256 * 1024;
// Inputs up to this size are compressed a second time by a fresh object;
// the check would halve the rate of the large ones.
constexpr size_t kMaxFreshCheckBytes = 64 * 1024;
// Largest output piece: a stored block's bytes straight from the window.
constexpr uint32_t kMaxOutputPiece = 65535;

struct Run {
  std::string stream;
  uint64_t returnedSize = 0;
  uint16_t flags = 0;
  std::string error;
};

Run Compress(DeflateCompressor& compressor, int level, std::string_view input, uint32_t piece,
             bool endWithAllBits) {
  Run run;
  size_t offset = 0;
  bool ended = false;
  const DeflateCompressor::ReadFunction read = [&](uint8_t* buffer, uint32_t count) -> uint32_t {
    FUZZ_CHECK(!ended, "read again after the input ended");
    const size_t n = std::min<size_t>({count, piece == 0 ? count : piece, input.size() - offset});
    std::copy_n(input.data() + offset, n, buffer);
    offset += n;
    if (n > 0) return static_cast<uint32_t>(n);
    ended = true;
    return endWithAllBits ? DeflateCompressor::kReadEndOfInput : 0;
  };
  const DeflateCompressor::OutputFunction output = [&](const uint8_t* bytes, uint32_t count) {
    FUZZ_CHECK(count <= kMaxOutputPiece, "output piece of " + std::to_string(count) + " bytes");
    run.stream.append(reinterpret_cast<const char*>(bytes), count);
  };
  run.returnedSize = compressor.Compress(level, read, output, run.flags, run.error);
  FUZZ_CHECK(offset == input.size(), "compression stopped before the end of the input");
  return run;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const int level = 1 + in.Byte() % DeflateCompressor::kZipLevel;
  const uint8_t pieceChoice = in.Byte();
  const uint32_t piece = kReadPieces[pieceChoice % std::size(kReadPieces)];
  const bool endWithAllBits = (pieceChoice & 0x80) != 0;
  const uint8_t repeatChoice = in.Byte();
  const size_t repeats = repeatChoice < kFirstRepeatChoice ? 1 : (repeatChoice - kFirstRepeatChoice + 1) * 4;
  const std::string_view body = in.Rest();
  std::string input;
  for (size_t i = 0; i < repeats && input.size() + body.size() <= kMaxInputBytes; ++i) input += body;

  // One object for the whole process: its state carries over from earlier inputs.
  static DeflateCompressor reused;
  const Run run = Compress(reused, level, input, piece, endWithAllBits);
  FUZZ_CHECK(run.error.empty(), "compressor reported: " + run.error);
  FUZZ_CHECK(run.returnedSize == run.stream.size(), "returned size differs from the output");
  FUZZ_CHECK(
      ((run.flags & DeflateCompressor::kLevel8FlagMark) != 0) == (level == DeflateCompressor::kZipLevel),
      "level mark wrong for level " + std::to_string(level));

  std::string problem;
  const std::optional<std::string> inflated = InflateRaw(run.stream, input.size(), problem);
  FUZZ_CHECK(inflated.has_value(), "zlib refused the stream: " + problem);
  FUZZ_CHECK(*inflated == input, "stream inflates to other bytes");

  if (input.size() <= kMaxFreshCheckBytes) {
    DeflateCompressor fresh;
    FUZZ_CHECK(Compress(fresh, level, input, piece, endWithAllBits).stream == run.stream,
               "output depends on earlier inputs");
  }
  return 0;
}
