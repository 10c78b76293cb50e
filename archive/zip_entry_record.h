// What the ZIP writer keeps of each added entry until it writes the central
// directory.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "archive/zip_format.h"

// One entry's central directory values; the fields follow the order of the
// central directory header. Sizes and the offset are 64-bit here; where they
// do not fit their 32-bit fields the headers carry them in a ZIP64 extra
// field.
struct ArchiveEntryRecord {
  uint16_t versionMadeBy = plenx::zip::kVersionMadeBy;
  // Final flags: 0x0002 for a deflated entry (the compressor's level mark),
  // 0 for a stored one; 0x0800 added for a non-ASCII UTF-8 name; 0x0008
  // while the entry is provisional.
  uint16_t generalPurposeFlag = 0;
  uint16_t compressionMethod = plenx::zip::kMethodStored;
  // DOS time in the low 16 bits, DOS date in the high 16 bits.
  uint32_t dosDateTime = 0;
  uint32_t crc32 = 0;
  // Bytes of entry data in the archive.
  uint64_t compressedSize = 0;
  // Bytes read from the source.
  uint64_t uncompressedSize = 0;
  uint32_t fileNameLength = 0;
  uint32_t fileCommentLength = 0;
  uint16_t diskNumberStart = 0;
  uint16_t internalFileAttributes = 0;
  uint32_t externalFileAttributes = 0;
  // Archive offset at which the entry's local header begins.
  uint64_t localHeaderOffset = 0;
  // Both headers carry the sizes in a ZIP64 extra field, with all ones in
  // their 32-bit fields. Decided before the data is written, since the
  // local header is written first and rewritten at the same length.
  bool zip64Sizes = false;
  // 8-bit name with every backslash replaced by "/".
  std::string entryName;
  // Extended timestamp, central form.
  std::array<uint8_t, plenx::zip::kCentralExtraBytes> centralExtraField{};
};
