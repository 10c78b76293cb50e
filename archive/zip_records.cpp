// Serialises the ZIP records, every number little-endian.
#include "archive/zip_records.h"

using namespace plenx::zip;

namespace {

// Writes numbers little-endian at a moving position of a byte range whose
// size the caller has already fixed.
class LittleEndianWriter {
 public:
  explicit LittleEndianWriter(uint8_t* out) : m_out(out) {}
  void Put8(uint32_t value) { *m_out++ = static_cast<uint8_t>(value); }
  void Put16(uint32_t value) {
    Put8(value & 0xFF);
    Put8(value >> 8);
  }
  void Put32(uint32_t value) {
    Put16(value & 0xFFFF);
    Put16(value >> 16);
  }
  void Put64(uint64_t value) {
    Put32(static_cast<uint32_t>(value));
    Put32(static_cast<uint32_t>(value >> 32));
  }
  void PutBytes(const uint8_t* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) Put8(bytes[i]);
  }

 private:
  uint8_t* m_out;
};

// The 32-bit field of value: value itself, or the escape when a ZIP64 extra
// field carries it.
uint32_t Field32(uint64_t value, bool inZip64) {
  return inZip64 ? kZip64Escape32 : static_cast<uint32_t>(value);
}

uint16_t VersionNeeded(bool zip64) { return zip64 ? kVersionNeededForZip64 : kVersionNeededToExtract; }

}  // namespace

LocalExtraField MakeLocalExtraField(uint32_t modificationTime, uint32_t accessTime, uint32_t creationTime) {
  LocalExtraField field{};
  LittleEndianWriter out(field.data());
  out.Put16(kExtendedTimestampId);
  out.Put16(kLocalExtraDataBytes);
  out.Put8(kExtendedTimestampFlags);
  out.Put32(modificationTime);
  out.Put32(accessTime);
  out.Put32(creationTime);
  return field;
}

CentralExtraField MakeCentralExtraField(uint32_t modificationTime) {
  CentralExtraField field{};
  LittleEndianWriter out(field.data());
  out.Put16(kExtendedTimestampId);
  out.Put16(kCentralExtraDataBytes);
  out.Put8(kExtendedTimestampFlags);
  out.Put32(modificationTime);
  return field;
}

std::vector<uint8_t> LocalHeaderBytes(const ArchiveEntryRecord& record, const LocalExtraField& localExtra) {
  const bool zip64 = record.zip64Sizes;
  const uint32_t extraBytes = static_cast<uint32_t>(localExtra.size()) + (zip64 ? kZip64LocalExtraBytes : 0);
  std::vector<uint8_t> bytes(kLocalHeaderBytes + record.entryName.size() + extraBytes);
  LittleEndianWriter out(bytes.data());
  out.Put32(kLocalHeaderSignature);
  out.Put16(VersionNeeded(zip64));
  out.Put16(record.generalPurposeFlag);
  out.Put16(record.compressionMethod);
  out.Put32(record.dosDateTime);  // last mod file time, then date
  out.Put32(record.crc32);
  out.Put32(Field32(record.compressedSize, zip64));
  out.Put32(Field32(record.uncompressedSize, zip64));
  out.Put16(record.fileNameLength);
  out.Put16(extraBytes);
  out.PutBytes(reinterpret_cast<const uint8_t*>(record.entryName.data()), record.entryName.size());
  if (zip64) {
    out.Put16(kZip64ExtraId);
    out.Put16(kZip64LocalExtraBytes - kExtraHeaderBytes);
    out.Put64(record.uncompressedSize);
    out.Put64(record.compressedSize);
  }
  out.PutBytes(localExtra.data(), localExtra.size());
  return bytes;
}

std::vector<uint8_t> CentralHeaderBytes(const ArchiveEntryRecord& record, const ZipFieldLimits& limits) {
  const bool zip64Sizes = record.zip64Sizes;
  const bool zip64Offset = record.localHeaderOffset > limits.maxValue32;
  // The ZIP64 field holds, in this order, only the values escaped above.
  const uint32_t zip64DataBytes = (zip64Sizes ? 16 : 0) + (zip64Offset ? 8 : 0);
  const uint32_t zip64FieldBytes = zip64DataBytes > 0 ? kExtraHeaderBytes + zip64DataBytes : 0;
  const uint32_t extraBytes = zip64FieldBytes + static_cast<uint32_t>(record.centralExtraField.size());
  std::vector<uint8_t> bytes(kCentralHeaderBytes + record.entryName.size() + extraBytes);
  LittleEndianWriter out(bytes.data());
  out.Put32(kCentralHeaderSignature);
  out.Put16(record.versionMadeBy);
  out.Put16(VersionNeeded(zip64FieldBytes > 0));
  out.Put16(record.generalPurposeFlag);
  out.Put16(record.compressionMethod);
  out.Put32(record.dosDateTime);  // last mod file time, then date
  out.Put32(record.crc32);
  out.Put32(Field32(record.compressedSize, zip64Sizes));
  out.Put32(Field32(record.uncompressedSize, zip64Sizes));
  out.Put16(record.fileNameLength);
  out.Put16(extraBytes);
  out.Put16(record.fileCommentLength);
  out.Put16(record.diskNumberStart);
  out.Put16(record.internalFileAttributes);
  out.Put32(record.externalFileAttributes);
  out.Put32(Field32(record.localHeaderOffset, zip64Offset));
  out.PutBytes(reinterpret_cast<const uint8_t*>(record.entryName.data()), record.entryName.size());
  if (zip64FieldBytes > 0) {
    out.Put16(kZip64ExtraId);
    out.Put16(zip64DataBytes);
    if (zip64Sizes) {
      out.Put64(record.uncompressedSize);
      out.Put64(record.compressedSize);
    }
    if (zip64Offset) out.Put64(record.localHeaderOffset);
  }
  out.PutBytes(record.centralExtraField.data(), record.centralExtraField.size());
  return bytes;
}

std::array<uint8_t, kEndOfCentralDirectoryBytes> EndOfCentralDirectoryBytes(uint16_t entryCount,
                                                                            uint32_t centralDirectorySize,
                                                                            uint32_t centralDirectoryOffset) {
  std::array<uint8_t, kEndOfCentralDirectoryBytes> bytes{};
  LittleEndianWriter out(bytes.data());
  out.Put32(kEndOfCentralDirectorySignature);
  out.Put16(0);           // number of this disk
  out.Put16(0);           // disk where the central directory starts
  out.Put16(entryCount);  // entries on this disk
  out.Put16(entryCount);  // total entries
  out.Put32(centralDirectorySize);
  out.Put32(centralDirectoryOffset);
  out.Put16(0);  // comment length
  return bytes;
}

std::array<uint8_t, kZip64EndBytes> Zip64EndBytes(uint64_t entryCount, uint64_t centralDirectorySize,
                                                  uint64_t centralDirectoryOffset) {
  std::array<uint8_t, kZip64EndBytes> bytes{};
  LittleEndianWriter out(bytes.data());
  out.Put32(kZip64EndSignature);
  out.Put64(kZip64EndRecordSize);
  out.Put16(kVersionMadeBy);
  out.Put16(kVersionNeededForZip64);
  out.Put32(0);           // number of this disk
  out.Put32(0);           // disk where the central directory starts
  out.Put64(entryCount);  // entries on this disk
  out.Put64(entryCount);  // total entries
  out.Put64(centralDirectorySize);
  out.Put64(centralDirectoryOffset);
  return bytes;
}

std::array<uint8_t, kZip64LocatorBytes> Zip64LocatorBytes(uint64_t zip64EndOffset) {
  std::array<uint8_t, kZip64LocatorBytes> bytes{};
  LittleEndianWriter out(bytes.data());
  out.Put32(kZip64LocatorSignature);
  out.Put32(0);  // disk where the ZIP64 end record is
  out.Put64(zip64EndOffset);
  out.Put32(1);  // total number of disks
  return bytes;
}
