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
// Where CPUs are free, worker threads evaluate the input in segments of
// 512 KiB ahead of the calling thread, which stitches their symbols
// together; the stream stays byte for byte the one a single thread writes.
// Their state (about 1.5 MB per worker, the symbols of the segments in
// flight and an input ring; under 32 MiB for 8 workers) is allocated with
// the first entry long enough to give them work and kept; the threads end
// with the compressor.
// Not thread-safe: one Compress at a time per object.
class DeflateCompressor {
 public:
  // searchThreads of the constructor: decide per entry from the CPUs this
  // process may use and how busy they are.
  static constexpr unsigned kSearchThreadsByLoad = 0;

  // Fills up to count bytes at buffer and returns how many it delivered.
  // 0, or kReadEndOfInput (all bits set), ends the input; a failed read
  // should report one of those. Asked for 65536 bytes first, then for as
  // much as the window has room for; with worker threads, for larger
  // pieces read ahead (up to several megabytes).
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

  // searchThreads: kSearchThreadsByLoad; 1 for the calling thread alone;
  // 2 to 8 for that many workers on any entry long enough (tests,
  // benchmarks).
  explicit DeflateCompressor(unsigned searchThreads = kSearchThreadsByLoad);
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
  // what that check found, in words that follow "failed an internal check:"
  // ("a match running past the window"); the stream is still completed, but
  // the caller must treat the entry as failed. Output for a given input is
  // the same whatever earlier entries this object compressed and however
  // many threads it used; where memory or threads for the workers cannot be
  // had, the calling thread does their work.
  uint64_t Compress(int level, const ReadFunction& read, const OutputFunction& output,
                    uint16_t& generalPurposeFlag, std::string& errorMessage);

 private:
  std::unique_ptr<plenx::deflate::DeflateState> m_state;
  // Made with the first entry that may use worker threads.
  std::unique_ptr<plenx::deflate::SpeculativeSearch> m_speculation;
  unsigned m_searchThreads;
};
