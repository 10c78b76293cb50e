// plenx-decode: prints the records of a raw serial-line capture.
//
// The capture is one continuous stream (a file has no read time-outs, so the
// decoder is never reset). Output: "<unit index>\t<record text>\n" per valid
// frame. Exit 0 on success, 1 when the capture cannot be read or the output
// cannot be written, 2 for bad arguments.
#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "link/frame_decoder.h"
#include "link/frame_format.h"
#include "link/record_text.h"
#include "platform/posix_io.h"
#include "platform/system_error_text.h"
#include "tools/plenx-decode/decode_options.h"

namespace {

constexpr size_t kReadChunkBytes = 1 << 20;
// Output is handed to write(2) once this much has gathered.
constexpr size_t kOutputFlushBytes = 1 << 20;

// Writes and empties output; false, after a message, when standard output
// refused it.
bool Flush(std::string& output) {
  if (WriteAll(kStandardOutput, output) < output.size()) {
    std::fprintf(stderr, "plenx-decode: cannot write the output: %s\n", SystemErrorText(errno).c_str());
    return false;
  }
  output.clear();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"", "plenx-decode"};
  DecodeOptions options;
  AddDecodeOptions(app, options);
  if (const std::optional<int> exitStatus = ParseCommandLine(app, argc, argv)) return *exitStatus;
  const bool fromStdin = options.input == "-";
  const int in = fromStdin ? kStandardInput : OpenForReading(options.input);
  if (in < 0) {
    std::fprintf(stderr, "plenx-decode: cannot open %s: %s\n", options.input.c_str(),
                 SystemErrorText(errno).c_str());
    return 1;
  }

  auto decoder = FrameDecoder::Create(options.valueCount);
  std::vector<unsigned char> chunk(kReadChunkBytes);
  std::string output;
  output.reserve(kOutputFlushBytes + options.valueCount * plenx::frame::kMaxValueTextBytes + 16);
  for (;;) {
    const ssize_t got = ReadSome(in, chunk.data(), chunk.size());
    if (got < 0) {
      std::fprintf(stderr, "plenx-decode: cannot read %s: %s\n",
                   fromStdin ? "standard input" : options.input.c_str(), SystemErrorText(errno).c_str());
      return 1;
    }
    if (got == 0) break;
    for (ssize_t i = 0; i < got; ++i) {
      if (decoder->PutByte(chunk[static_cast<size_t>(i)])) {
        output.push_back(static_cast<char>('0' + decoder->UnitIndex()));
        output.push_back('\t');
        AppendRecordText(output, decoder->Values());
        output.push_back('\n');
      }
    }
    if (output.size() >= kOutputFlushBytes && !Flush(output)) return 1;
  }
  return Flush(output) ? 0 : 1;
}
