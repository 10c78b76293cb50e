// Record layout constants of the ZIP file format (PKWARE APPNOTE) as this
// writer produces it: no data descriptors, no ZIP64, no comments.
#pragma once

#include <cstdint>

namespace plenx::zip {

// Signatures, stored little-endian: the bytes "PK\3\4", "PK\1\2", "PK\5\6".
inline constexpr uint32_t kLocalHeaderSignature = 0x04034B50;
inline constexpr uint32_t kCentralHeaderSignature = 0x02014B50;
inline constexpr uint32_t kEndOfCentralDirectorySignature = 0x06054B50;

// Fixed parts of the three records, before any name or extra field.
inline constexpr uint32_t kLocalHeaderBytes = 30;
inline constexpr uint32_t kCentralHeaderBytes = 46;
inline constexpr uint32_t kEndOfCentralDirectoryBytes = 22;

// Version made by: host system 11 in the high byte, format version 2.3 in
// the low byte.
inline constexpr uint16_t kVersionMadeBy = 0x0B17;
// Version needed to extract: 2.0, enough for deflate.
inline constexpr uint16_t kVersionNeededToExtract = 20;

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

// Largest value of the 16-bit count and length fields.
inline constexpr uint32_t kMaxField16 = 0xFFFF;
// Largest value of the 32-bit size and offset fields.
inline constexpr uint64_t kMaxField32 = 0xFFFFFFFFull;

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
