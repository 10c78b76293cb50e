// Records the message of a failed consistency check inside the compressor.
#pragma once

namespace plenx::deflate {

// The last failed check wins; compression carries on to the end of the stream
// so the output stays well-formed, and the caller drops the entry.
struct DeflateError {
  const char* message = nullptr;
  void Fail(const char* text) { message = text; }
};

}  // namespace plenx::deflate
