// Byte images of the ZIP records: local header, central directory header,
// end of central directory record and the extended timestamp fields.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "archive/zip_entry_record.h"

using LocalExtraField = std::array<uint8_t, plenx::zip::kLocalExtraBytes>;
using CentralExtraField = std::array<uint8_t, plenx::zip::kCentralExtraBytes>;

// Extended timestamp, local form: modification, access and creation time,
// each a Unix time field (low 32 bits of the seconds).
LocalExtraField MakeLocalExtraField(uint32_t modificationTime, uint32_t accessTime, uint32_t creationTime);
// Extended timestamp, central form: the modification time only.
CentralExtraField MakeCentralExtraField(uint32_t modificationTime);

// Local file header with the record's flags, CRC-32 and sizes, followed by
// the name and localExtra: 30 + n + 17 bytes.
std::vector<uint8_t> LocalHeaderBytes(const ArchiveEntryRecord& record, const LocalExtraField& localExtra);
// Central directory header followed by the name and the record's central
// extra field: 46 + n + 9 bytes.
std::vector<uint8_t> CentralHeaderBytes(const ArchiveEntryRecord& record);
// End of central directory record for a single-disk archive without comment.
std::array<uint8_t, plenx::zip::kEndOfCentralDirectoryBytes> EndOfCentralDirectoryBytes(
    uint16_t entryCount, uint32_t centralDirectorySize, uint32_t centralDirectoryOffset);
