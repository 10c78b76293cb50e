// The generators of the differential run's inputs.
#include "fuzz/differential/generated_inputs.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "archive/deflate_speculation.h"
#include "link/frame_encoder.h"
#include "link/record_text.h"

namespace {

// Default record layout: 69 status values and 4 units of 40.
constexpr int kRecordValues = 69 + 4 * 40;
using plenx::deflate::kMinLastSegmentBytes;
using plenx::deflate::kSegmentBytes;
using plenx::deflate::kSegmentExtensionBytes;
using plenx::deflate::kSegmentOverrunBytes;

// Sizes that sit on the compressor's limits: its 16384-byte output buffer,
// the 32 KiB window and the 64 KiB read; where worker threads take a first
// segment, and where the input's last segment becomes a worker's; and a
// little either side.
constexpr std::array<size_t, 9> kLimitSizes = {
    16384,
    32768,
    65536,
    65536 + 32768,
    131072,
    262144,
    kSegmentBytes + kSegmentExtensionBytes + kSegmentOverrunBytes,
    2 * kSegmentBytes + kSegmentExtensionBytes + kSegmentOverrunBytes,
    2 * kSegmentBytes + kMinLastSegmentBytes + kSegmentOverrunBytes,
};
// Inputs whose worker segments meet the truth late or never span this many
// segments at least.
constexpr size_t kMinSegmentSpanningBytes = 2 * kSegmentBytes + kSegmentExtensionBytes;
// Periods around the shortest and longest match and the window size.
constexpr std::array<size_t, 10> kLimitPeriods = {1, 2, 3, 257, 258, 259, 32767, 32768, 32769, 40000};

std::string RandomBytes(SplitMix64& random, size_t size) {
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random.Next());
  return bytes;
}

// Time-stamped log lines of drifting values, as the logger writes them.
std::string TelemetryLog(SplitMix64& random, size_t size) {
  std::vector<int16_t> values(kRecordValues);
  for (int16_t& value : values) value = static_cast<int16_t>(random.Below(2000));
  std::string text;
  int milliseconds = 0;
  while (text.size() < size) {
    for (int16_t& value : values) {
      if (random.Below(8) == 0) value = static_cast<int16_t>(value + static_cast<int>(random.Below(5)) - 2);
    }
    milliseconds += 480 + static_cast<int>(random.Below(40));
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "2015/03/07-%02d:%02d:%02d.%03d   -   ", milliseconds / 3600000 % 24,
                  milliseconds / 60000 % 60, milliseconds / 1000 % 60, milliseconds % 1000);
    text += stamp;
    AppendRecordText(text, values);
    text += "\r\n";
  }
  text.resize(size);
  return text;
}

// Words of a small vocabulary, common ones far more often, with punctuation.
std::string WordText(SplitMix64& random, size_t size) {
  static const char* const kWords[] = {
      "the",        "of",           "and",      "to",    "in",      "a",           "is",         "that",
      "for",        "it",           "as",       "was",   "with",    "be",          "by",         "on",
      "not",        "he",           "this",     "are",   "or",      "his",         "from",       "at",
      "which",      "but",          "have",     "an",    "had",     "they",        "compressor", "outdoor",
      "indoor",     "temperature",  "defrost",  "valve", "pump",    "serial",      "frame",      "checksum",
      "technician", "installation", "inverter", "heat",  "cooling", "refrigerant", "sensor",
  };
  constexpr size_t kWordCount = std::size(kWords);
  std::string text;
  while (text.size() < size) {
    // The minimum of two draws favours the front of the list.
    const size_t index = std::min(random.Below(kWordCount), random.Below(kWordCount));
    text += kWords[index];
    const uint64_t after = random.Below(20);
    text += after == 0 ? ".\n" : after == 1 ? ", " : " ";
  }
  text.resize(size);
  return text;
}

// Runs of one byte, from single bytes to runs far past the longest match.
std::string Runs(SplitMix64& random, size_t size) {
  std::string bytes;
  while (bytes.size() < size) {
    const size_t length = random.Below(4) == 0 ? 1 + random.Below(2000) : 1 + random.Below(12);
    bytes.append(length, static_cast<char>(random.Below(4) == 0 ? random.Next() : random.Below(3)));
  }
  bytes.resize(size);
  return bytes;
}

// A random block repeated with a period on a limit, now and then one byte changed.
std::string Periodic(SplitMix64& random, size_t size) {
  const size_t period = kLimitPeriods[random.Below(kLimitPeriods.size())];
  const std::string block = RandomBytes(random, period);
  std::string bytes;
  while (bytes.size() < size) bytes += block;
  bytes.resize(size);
  for (size_t i = 0; i < size / 1000; ++i) bytes[random.Below(size)] = static_cast<char>(random.Next());
  return bytes;
}

// Bytes from an alphabet of 2 to 64 values: Huffman coding pays, matches are short.
std::string SmallAlphabet(SplitMix64& random, size_t size) {
  const uint64_t letters = 2 + random.Below(63);
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>('!' + random.Below(letters));
  return bytes;
}

// Literals between copies of earlier bytes from anywhere in the window, of
// every length up to past the longest match.
std::string CopyMix(SplitMix64& random, size_t size) {
  std::string bytes = RandomBytes(random, std::min<size_t>(size, 64));
  while (bytes.size() < size) {
    bytes += RandomBytes(random, random.Below(4));
    const size_t length = 3 + random.Below(random.Below(2) == 0 ? 8 : 300);
    const size_t distance = 1 + random.Below(std::min<size_t>(bytes.size(), 32768));
    for (size_t i = 0; i < length; ++i) bytes.push_back(bytes[bytes.size() - distance]);
  }
  bytes.resize(size);
  return bytes;
}

// A serial-line capture: default frames of drifting values, now and then
// line noise between them.
std::string SerialCapture(SplitMix64& random, size_t size) {
  std::vector<int16_t> values(kRecordValues);
  for (int16_t& value : values) value = static_cast<int16_t>(random.Below(1200));
  std::vector<uint8_t> bytes;
  while (bytes.size() < size) {
    for (int16_t& value : values) {
      if (random.Below(10) == 0) value = static_cast<int16_t>(value + static_cast<int>(random.Below(3)) - 1);
    }
    AppendFrame(bytes, static_cast<int>(random.Below(5)), values);
    if (random.Below(10) == 0) {
      for (uint64_t n = random.Below(40); n > 0; --n) bytes.push_back(static_cast<uint8_t>(random.Next()));
    }
  }
  bytes.resize(size);
  return {bytes.begin(), bytes.end()};
}

// Log text with a run of one byte over every segment start, from up to 3000
// bytes before it to past the extension or inside it: a worker's guess
// codes the run in 258-byte matches out of step with the truth, so the two
// meet only where the text resumes, late or after the extension.
std::string RunsOverSegmentStarts(SplitMix64& random, size_t size) {
  std::string text = TelemetryLog(random, size);
  const char byte = static_cast<char>(random.Below(4) == 0 ? random.Next() : '0');
  for (size_t start = kSegmentBytes; start < size; start += kSegmentBytes) {
    const size_t from = start - random.Below(3000);
    const size_t length = start - from + random.Below(kSegmentExtensionBytes + 20000);
    text.replace(from, std::min(length, size - from), std::min(length, size - from), byte);
  }
  return text;
}

// One byte repeated over several segments after a little noise: every
// segment's guess stays out of step with the truth to the end of the run.
std::string LongRun(SplitMix64& random, size_t size) {
  std::string bytes = RandomBytes(random, std::min<size_t>(size, 1 + random.Below(1000)));
  bytes.append(size - bytes.size(), static_cast<char>(random.Next()));
  return bytes;
}

using Generator = std::string (*)(SplitMix64&, size_t);
struct Kind {
  const char* name;
  Generator generate;
};
constexpr Kind kKinds[] = {
    {"random", RandomBytes}, {"telemetry-log", TelemetryLog},
    {"words", WordText},     {"runs", Runs},
    {"periodic", Periodic},  {"small-alphabet", SmallAlphabet},
    {"copy-mix", CopyMix},   {"serial-capture", SerialCapture},
};
// Kinds that only show what they are for over several segments.
constexpr Kind kSegmentKinds[] = {
    {"runs-over-segment-starts", RunsOverSegmentStarts},
    {"long-run", LongRun},
};

// A size: a third small, a third on or next to a limit, a third large.
size_t NextSize(SplitMix64& random) {
  switch (random.Below(3)) {
    case 0:
      return random.Below(4097);
    case 1:
      return kLimitSizes[random.Below(kLimitSizes.size())] + random.Below(7) - 3;
    default:
      return 262144 + random.Below(4 << 20);
  }
}

}  // namespace

GeneratedInput NextGeneratedInput(SplitMix64& random) {
  const size_t size = NextSize(random);
  // One input in eight spans several segments where the worker threads'
  // guesses meet the truth late or never.
  if (random.Below(8) == 0) {
    const Kind& kind = kSegmentKinds[random.Below(std::size(kSegmentKinds))];
    return {kind.name,
            kind.generate(random, std::max(size, kMinSegmentSpanningBytes + random.Below(3 << 20)))};
  }
  // One input in eight joins pieces of several kinds.
  if (random.Below(8) == 0) {
    GeneratedInput input{"mixed", {}};
    while (input.bytes.size() < size) {
      const Kind& kind = kKinds[random.Below(std::size(kKinds))];
      input.bytes +=
          kind.generate(random, std::min<size_t>(size - input.bytes.size(), 1 + random.Below(100000)));
    }
    return input;
  }
  const Kind& kind = kKinds[random.Below(std::size(kKinds))];
  return {kind.name, kind.generate(random, size)};
}
