// The strict ZIP reader of the fuzz targets. Field offsets follow the PKWARE
// APPNOTE record layouts; every multi-byte field is little-endian.
#include "fuzz/support/zip_check.h"

#include <algorithm>

#include "fuzz/support/raw_inflate.h"

namespace {

constexpr uint32_t kLocalSignature = 0x04034B50;
constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr uint32_t kEndSignature = 0x06054B50;
constexpr size_t kLocalFixedBytes = 30;
constexpr size_t kCentralFixedBytes = 46;
constexpr size_t kEndBytes = 22;
// Version needed to extract that any deflate reader handles: 2.0.
constexpr uint16_t kHighestVersionNeeded = 20;
// General purpose bits: 0 encrypted, 3 sizes in a data descriptor.
constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagDataDescriptor = 0x0008;
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;

class Reader {
 public:
  explicit Reader(std::string_view bytes) : m_bytes(bytes) {}
  bool Has(size_t offset, size_t count) const {
    return offset <= m_bytes.size() && count <= m_bytes.size() - offset;
  }
  uint16_t U16(size_t offset) const { return static_cast<uint16_t>(Byte(offset) | Byte(offset + 1) << 8); }
  uint32_t U32(size_t offset) const { return U16(offset) | static_cast<uint32_t>(U16(offset + 2)) << 16; }
  std::string_view Slice(size_t offset, size_t count) const { return m_bytes.substr(offset, count); }

 private:
  uint8_t Byte(size_t offset) const { return static_cast<uint8_t>(m_bytes[offset]); }
  std::string_view m_bytes;
};

// What the central directory says of one entry.
struct CentralEntry {
  uint16_t versionNeeded = 0;
  uint16_t flags = 0;
  uint16_t method = 0;
  uint32_t crc = 0;
  uint32_t compressedSize = 0;
  uint32_t uncompressedSize = 0;
  std::string_view name;
  uint32_t localOffset = 0;
};

std::optional<std::vector<ZipEntryRead>> Fail(std::string& problem, std::string text) {
  problem = std::move(text);
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<ZipEntryRead>> ReadZipArchive(std::string_view archive, std::string& problem) {
  const Reader in(archive);
  if (archive.size() < kEndBytes) return Fail(problem, "shorter than an end record");
  const size_t end = archive.size() - kEndBytes;
  if (in.U32(end) != kEndSignature)
    return Fail(problem, "no end record at the end (or a comment follows it)");
  if (in.U16(end + 4) != 0 || in.U16(end + 6) != 0) return Fail(problem, "end record names another disk");
  const uint16_t entryCount = in.U16(end + 10);
  if (in.U16(end + 8) != entryCount) return Fail(problem, "entry counts of disk and archive differ");
  const uint32_t directorySize = in.U32(end + 12);
  const uint32_t directoryOffset = in.U32(end + 16);
  if (in.U16(end + 20) != 0) return Fail(problem, "archive comment present");
  if (uint64_t{directoryOffset} + directorySize != end) {
    return Fail(problem, "central directory does not end where the end record starts");
  }

  std::vector<CentralEntry> central;
  size_t at = directoryOffset;
  for (uint16_t i = 0; i < entryCount; ++i) {
    if (!in.Has(at, kCentralFixedBytes) || in.U32(at) != kCentralSignature) {
      return Fail(problem, "central header " + std::to_string(i) + " missing");
    }
    CentralEntry entry;
    entry.versionNeeded = in.U16(at + 6);
    entry.flags = in.U16(at + 8);
    entry.method = in.U16(at + 10);
    entry.crc = in.U32(at + 16);
    entry.compressedSize = in.U32(at + 20);
    entry.uncompressedSize = in.U32(at + 24);
    const uint16_t nameBytes = in.U16(at + 28);
    const uint16_t extraBytes = in.U16(at + 30);
    const uint16_t commentBytes = in.U16(at + 32);
    if (in.U16(at + 34) != 0) return Fail(problem, "entry starts on another disk");
    entry.localOffset = in.U32(at + 42);
    const size_t recordBytes = kCentralFixedBytes + nameBytes + extraBytes + commentBytes;
    if (!in.Has(at, recordBytes) || at + recordBytes > end) {
      return Fail(problem, "central header " + std::to_string(i) + " runs past the directory");
    }
    entry.name = in.Slice(at + kCentralFixedBytes, nameBytes);
    central.push_back(entry);
    at += recordBytes;
  }
  if (at != end) return Fail(problem, "bytes between the central directory and the end record");

  std::vector<ZipEntryRead> entries;
  std::vector<std::pair<uint64_t, uint64_t>> spans;  // [start, end) of each local record and its data
  for (const CentralEntry& entry : central) {
    const std::string label = "entry '" + std::string(entry.name) + "': ";
    if (entry.versionNeeded > kHighestVersionNeeded) return Fail(problem, label + "needs a newer reader");
    if ((entry.flags & (kFlagEncrypted | kFlagDataDescriptor)) != 0) {
      return Fail(problem, label + "encrypted or with a data descriptor");
    }
    if (entry.method != kMethodStored && entry.method != kMethodDeflated) {
      return Fail(problem, label + "method " + std::to_string(entry.method));
    }
    const size_t local = entry.localOffset;
    if (!in.Has(local, kLocalFixedBytes) || in.U32(local) != kLocalSignature) {
      return Fail(problem, label + "no local header at its offset");
    }
    const uint16_t nameBytes = in.U16(local + 26);
    const uint16_t extraBytes = in.U16(local + 28);
    if (in.U16(local + 4) != entry.versionNeeded || in.U16(local + 6) != entry.flags ||
        in.U16(local + 8) != entry.method || in.U32(local + 14) != entry.crc ||
        in.U32(local + 18) != entry.compressedSize || in.U32(local + 22) != entry.uncompressedSize) {
      return Fail(problem, label + "local header disagrees with the central directory");
    }
    const size_t dataStart = local + kLocalFixedBytes + nameBytes + extraBytes;
    if (!in.Has(local, kLocalFixedBytes + nameBytes + extraBytes) ||
        in.Slice(local + kLocalFixedBytes, nameBytes) != entry.name) {
      return Fail(problem, label + "local name differs");
    }
    if (!in.Has(dataStart, entry.compressedSize) || dataStart + entry.compressedSize > directoryOffset) {
      return Fail(problem, label + "data runs into the central directory");
    }
    spans.emplace_back(local, dataStart + entry.compressedSize);
    const std::string_view data = in.Slice(dataStart, entry.compressedSize);

    ZipEntryRead read;
    read.name = entry.name;
    read.method = entry.method;
    if (entry.method == kMethodStored) {
      read.content = data;
    } else {
      std::string inflateProblem;
      std::optional<std::string> inflated = InflateRaw(data, entry.uncompressedSize, inflateProblem);
      if (!inflated) return Fail(problem, label + "deflate data refused: " + inflateProblem);
      read.content = std::move(*inflated);
    }
    if (read.content.size() != entry.uncompressedSize)
      return Fail(problem, label + "size differs from its record");
    if (ZlibCrc32(read.content) != entry.crc) return Fail(problem, label + "CRC-32 differs from its record");
    entries.push_back(std::move(read));
  }

  // The local records tile the space before the directory: no gap, no overlap.
  std::sort(spans.begin(), spans.end());
  uint64_t expectedStart = 0;
  for (const auto& [start, stop] : spans) {
    if (start != expectedStart) return Fail(problem, "gap or overlap before offset " + std::to_string(start));
    expectedStart = stop;
  }
  if (expectedStart != directoryOffset)
    return Fail(problem, "bytes between the last entry and the directory");
  return entries;
}
