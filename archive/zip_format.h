// Record layout constants of the ZIP file format (PKWARE APPNOTE) as this
// writer produces it: no data descriptors, no comments, ZIP64 records only
// where a count, size or offset does not fit its field.
#pragma once

#include <cstdint>

namespace plenx::zip {

// Signatures, stored little-endian: the bytes "PK\3\4", "PK\1\2", "PK\5\6".
inline constexpr uint32_t kLocalHeaderSignature = 0x04034B50;
inline constexpr uint32_t kCentralHeaderSignature = 0x02014B50;
inline constexpr uint32_t kEndOfCentralDirectorySignature = 0x06054B50;
// "PK\6\6" and "PK\6\7": the ZIP64 end record and its locator.
inline constexpr uint32_t kZip64EndSignature = 0x06064B50;
inline constexpr uint32_t kZip64LocatorSignature = 0x07064B50;

// Fixed parts of the three records, before any name or extra field.
inline constexpr uint32_t kLocalHeaderBytes = 30;
inline constexpr uint32_t kCentralHeaderBytes = 46;
inline constexpr uint32_t kEndOfCentralDirectoryBytes = 22;
inline constexpr uint32_t kZip64EndBytes = 56;
inline constexpr uint32_t kZip64LocatorBytes = 20;
// The ZIP64 end record counts its size without its signature and this field.
inline constexpr uint64_t kZip64EndRecordSize = kZip64EndBytes - 12;

// Version made by: host system 11 in the high byte, format version 2.3 in
// the low byte.
inline constexpr uint16_t kVersionMadeBy = 0x0B17;
// Version needed to extract: 2.0, enough for deflate.
inline constexpr uint16_t kVersionNeededToExtract = 20;
// Version needed to extract an entry with ZIP64 fields, and the ZIP64 end
// record: 4.5.
inline constexpr uint16_t kVersionNeededForZip64 = 45;

// Compression methods.
inline constexpr uint16_t kMethodStored = 0;
inline constexpr uint16_t kMethodDeflated = 8;

// General purpose bit 3: sizes and CRC-32 follow the data. Set only in the
// provisional local header, which is rewritten with the final values.
inline constexpr uint16_t kFlagDataDescriptor = 0x0008;
// General purpose bit 11 (language encoding): the name is UTF-8. Set only for
// names that hold non-ASCII UTF-8; readers take any other name as code page
// 437, which ASCII names read the same in.
inline constexpr uint16_t kFlagUtf8Name = 0x0800;

// Extended timestamp extra field ("UT"): local form with modification,
// access and creation time; central form with the modification time only.
inline constexpr uint16_t kExtendedTimestampId = 0x5455;
inline constexpr uint8_t kExtendedTimestampFlags = 0x07;
inline constexpr uint32_t kLocalExtraBytes = 17;
inline constexpr uint16_t kLocalExtraDataBytes = 13;
inline constexpr uint32_t kCentralExtraBytes = 9;
// The flags still say three times although the central form carries one.
inline constexpr uint16_t kCentralExtraDataBytes = 5;

// Largest value of the 16-bit length fields (the entry name's).
inline constexpr uint32_t kMaxField16 = 0xFFFF;
// A count, size or offset field holding all ones says "see the ZIP64
// record": a value that large, or larger, is written there instead.
inline constexpr uint16_t kZip64Escape16 = 0xFFFF;
inline constexpr uint32_t kZip64Escape32 = 0xFFFFFFFF;

// ZIP64 extended information extra field: the sizes and the local header
// offset as 64-bit numbers, each present only where its 32-bit field holds
// kZip64Escape32 (the local header always carries both sizes).
inline constexpr uint16_t kZip64ExtraId = 0x0001;
inline constexpr uint32_t kExtraHeaderBytes = 4;
inline constexpr uint32_t kZip64LocalExtraBytes = kExtraHeaderBytes + 16;

// External file attributes: DOS attributes in the low half, Unix mode bits
// (file type and owner permissions) in the high half.
inline constexpr uint32_t kExternalReadOnly = 0x00000001;
inline constexpr uint32_t kExternalHidden = 0x00000002;
inline constexpr uint32_t kExternalSystem = 0x00000004;
inline constexpr uint32_t kExternalDirectory = 0x00000010;
inline constexpr uint32_t kExternalArchive = 0x00000020;
inline constexpr uint32_t kExternalUnixOwnerExecute = 0x00400000;
inline constexpr uint32_t kExternalUnixOwnerWrite = 0x00800000;
inline constexpr uint32_t kExternalUnixOwnerRead = 0x01000000;
inline constexpr uint32_t kExternalUnixDirectory = 0x40000000;
inline constexpr uint32_t kExternalUnixRegularFile = 0x80000000;

}  // namespace plenx::zip
