// Raw deflate (RFC 1951) compressor for the ZIP writer's deflated entries.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace plenx::deflate {
struct DeflateState;
class SpeculativeSearch;
}  // namespace plenx::deflate

// Turns the bytes delivered by a read function into one complete raw deflate
// stream (no zlib or gzip wrapper) and hands it to an output function.
//
// The working state (window, hash chains and search index, symbol buffers,
// 16384-byte output buffer; about 850 KB) is allocated once by the
// constructor and reused by every Compress call, so a ZIP writer creates one
// compressor per archive.
// With a second core, a helper thread searches matches in input further
// ahead, speculatively; the stream stays byte for byte the same. Its state
// (about 2.4 MB, and up to 4 MB of symbols once large entries came) is
// likewise allocated once; the thread starts with the first entry larger
// than about a megabyte and ends with the compressor.
// Not thread-safe: one Compress at a time per object.
class DeflateCompressor {
 public:
  // Threads the match search may use.
  enum class SearchThreads {
    kOne,
    kTwoIfAvailable,  // a helper thread when the machine has more than one core
    kTwo,             // a helper thread in any case (tests, benchmarks)
  };

  // Fills up to count bytes at buffer and returns how many it delivered.
  // 0, or kReadEndOfInput (all bits set), ends the input; a failed read
  // should report one of those. Asked for 65536 bytes first, then for as
  // much as the window has room for; with a helper thread, for larger
  // pieces read ahead (about a megabyte at first).
  using ReadFunction = std::function<uint32_t(uint8_t* buffer, uint32_t count)>;
  // Receives the next count bytes of the stream. Called with pieces of at
  // most 16384 bytes from the output buffer and, for stored blocks, with the
  // block's bytes straight from the window (at most 65535 bytes). The bytes
  // are only valid during the call.
  using OutputFunction = std::function<void(const uint8_t* bytes, uint32_t count)>;

  static constexpr uint32_t kReadEndOfInput = 0xFFFFFFFF;
  // The only level the ZIP writer uses.
  static constexpr int kZipLevel = 8;
  // General purpose bit flag mark of a level-8 ("maximum") deflated entry.
  static constexpr uint16_t kLevel8FlagMark = 0x0002;

  explicit DeflateCompressor(SearchThreads threads = SearchThreads::kTwoIfAvailable);
  ~DeflateCompressor();
  DeflateCompressor(const DeflateCompressor&) = delete;
  DeflateCompressor& operator=(const DeflateCompressor&) = delete;

  // Compresses one whole entry: reads until the read function reports the
  // end, writes a complete stream ending with a final block and byte
  // alignment. At level 8 it ORs kLevel8FlagMark into generalPurposeFlag;
  // levels 1 to 7 use the same lazy search with their own effort settings
  // and leave the flag alone.
  // Returns the compressed size in bytes, which always equals the total count
  // handed to output. errorMessage is cleared at the start and, when an
  // internal consistency check failed (or level is outside 1 to 8), holds
  // that check's message; the stream is still completed, but the caller must
  // treat the entry as failed. Output for a given input is the same whatever
  // earlier entries this object compressed.
  uint64_t Compress(int level, const ReadFunction& read, const OutputFunction& output,
                    uint16_t& generalPurposeFlag, std::string& errorMessage);

 private:
  std::unique_ptr<plenx::deflate::DeflateState> m_state;
  std::unique_ptr<plenx::deflate::SpeculativeSearch> m_speculation;  // null: one thread
};
