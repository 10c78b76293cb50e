// Byte images of the ZIP records: local header, central directory header,
// end of central directory record, the ZIP64 end record and locator, and the
// extended timestamp and ZIP64 extra fields.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "archive/zip_entry_record.h"
#include "archive/zip_field_limits.h"

using LocalExtraField = std::array<uint8_t, plenx::zip::kLocalExtraBytes>;
using CentralExtraField = std::array<uint8_t, plenx::zip::kCentralExtraBytes>;

// Extended timestamp, local form: modification, access and creation time,
// each a Unix time field (low 32 bits of the seconds).
LocalExtraField MakeLocalExtraField(uint32_t modificationTime, uint32_t accessTime, uint32_t creationTime);
// Extended timestamp, central form: the modification time only.
CentralExtraField MakeCentralExtraField(uint32_t modificationTime);

// Local file header with the record's flags, CRC-32 and sizes, followed by
// the name and localExtra: 30 + n + 17 bytes; with record.zip64Sizes the
// sizes go to a ZIP64 extra field before localExtra (20 bytes more).
std::vector<uint8_t> LocalHeaderBytes(const ArchiveEntryRecord& record, const LocalExtraField& localExtra);
// Central directory header followed by the name, a ZIP64 extra field with
// the sizes (record.zip64Sizes) and the offset (above limits.maxValue32)
// when either needs one, and the record's central extra field: 46 + n + 9
// bytes without ZIP64 fields.
std::vector<uint8_t> CentralHeaderBytes(const ArchiveEntryRecord& record, const ZipFieldLimits& limits);
// End of central directory record for a single-disk archive without comment.
// The caller puts kZip64Escape16/32 in the fields the ZIP64 end record holds.
std::array<uint8_t, plenx::zip::kEndOfCentralDirectoryBytes> EndOfCentralDirectoryBytes(
    uint16_t entryCount, uint32_t centralDirectorySize, uint32_t centralDirectoryOffset);
// ZIP64 end of central directory record, single disk, no extensible data.
std::array<uint8_t, plenx::zip::kZip64EndBytes> Zip64EndBytes(uint64_t entryCount,
                                                              uint64_t centralDirectorySize,
                                                              uint64_t centralDirectoryOffset);
// ZIP64 end of central directory locator: where the ZIP64 end record begins.
std::array<uint8_t, plenx::zip::kZip64LocatorBytes> Zip64LocatorBytes(uint64_t zip64EndOffset);
