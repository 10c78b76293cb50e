// Raw deflate compressor: placeholder until the encoder lands.
#include "archive/deflate_compressor.h"

struct DeflateState {};

DeflateCompressor::DeflateCompressor() : m_state(std::make_unique<DeflateState>()) {}
DeflateCompressor::~DeflateCompressor() = default;

uint64_t DeflateCompressor::Compress(int level, const ReadFunction& read, const OutputFunction& output,
                                     uint16_t& generalPurposeFlag, std::string& errorMessage) {
  (void)read;
  errorMessage.clear();
  if (level == kZipLevel) generalPurposeFlag |= kLevel8FlagMark;
  // Empty final fixed-code block: BFINAL=1, BTYPE=01, end-of-block code.
  static const uint8_t kEmptyStream[2] = {0x03, 0x00};
  output(kEmptyStream, 2);
  return 2;
}
