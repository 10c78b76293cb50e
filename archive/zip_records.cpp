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
  void PutBytes(const uint8_t* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) Put8(bytes[i]);
  }

 private:
  uint8_t* m_out;
};

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
  std::vector<uint8_t> bytes(kLocalHeaderBytes + record.entryName.size() + localExtra.size());
  LittleEndianWriter out(bytes.data());
  out.Put32(kLocalHeaderSignature);
  out.Put16(record.versionNeededToExtract);
  out.Put16(record.generalPurposeFlag);
  out.Put16(record.compressionMethod);
  out.Put32(record.dosDateTime);  // last mod file time, then date
  out.Put32(record.crc32);
  out.Put32(record.compressedSize);
  out.Put32(record.uncompressedSize);
  out.Put16(record.fileNameLength);
  out.Put16(record.localExtraFieldLength);
  out.PutBytes(reinterpret_cast<const uint8_t*>(record.entryName.data()), record.entryName.size());
  out.PutBytes(localExtra.data(), localExtra.size());
  return bytes;
}

std::vector<uint8_t> CentralHeaderBytes(const ArchiveEntryRecord& record) {
  std::vector<uint8_t> bytes(kCentralHeaderBytes + record.entryName.size() + record.centralExtraField.size());
  LittleEndianWriter out(bytes.data());
  out.Put32(kCentralHeaderSignature);
  out.Put16(record.versionMadeBy);
  out.Put16(record.versionNeededToExtract);
  out.Put16(record.generalPurposeFlag);
  out.Put16(record.compressionMethod);
  out.Put32(record.dosDateTime);  // last mod file time, then date
  out.Put32(record.crc32);
  out.Put32(record.compressedSize);
  out.Put32(record.uncompressedSize);
  out.Put16(record.fileNameLength);
  out.Put16(record.centralExtraFieldLength);
  out.Put16(record.fileCommentLength);
  out.Put16(record.diskNumberStart);
  out.Put16(record.internalFileAttributes);
  out.Put32(record.externalFileAttributes);
  out.Put32(record.localHeaderOffset);
  out.PutBytes(reinterpret_cast<const uint8_t*>(record.entryName.data()), record.entryName.size());
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
