// The ZIP writer: provisional local header, entry data, rewritten header;
// central directory and end record at close.
#include "archive/zip_writer.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "archive/crc32.h"
#include "archive/deflate_compressor.h"
#include "archive/zip_attributes.h"
#include "archive/zip_entry_record.h"
#include "archive/zip_field_limits.h"
#include "archive/zip_file.h"
#include "archive/zip_format.h"
#include "archive/zip_method.h"
#include "archive/zip_name_flag.h"
#include "archive/zip_records.h"
#include "archive/zip_times.h"
#include "platform/file_status.h"
#include "platform/posix_io.h"
#include "platform/replacing_file.h"

using namespace plenx::zip;

namespace {

// Stored entries are copied through a buffer of this size.
constexpr size_t kDataBufferBytes = 16384;

// The most a deflate stream of sourceBytes can take, generously: every
// byte coded with the fixed code's longest literal (9 bits) plus the
// framing. The compressor stores what would grow, so its true worst case is
// far below this; the bound only decides the local header's layout, and
// erring high costs 20 bytes.
uint64_t DeflatedSizeBound(uint64_t sourceBytes) { return sourceBytes + sourceBytes / 8 + 1024; }

// The read side of one entry: reads the source from start to end and keeps
// the CRC-32 and the count of what it delivered. A failed read ends the data.
class SourceReader {
 public:
  SourceReader(ZipFile& source, uint64_t sourceBytes, const ArchiveProgress& progress)
      : m_source(source), m_sourceBytes(sourceBytes), m_progress(progress) {}

  // Fills up to count bytes; 0 once the data has ended.
  size_t Read(uint8_t* buffer, size_t count) {
    if (m_ended || count == 0) return 0;
    bool failed = false;
    const size_t got = m_source.Read(buffer, count, &failed);
    if (failed) m_readError = errno;
    if (failed || got == 0) m_ended = true;
    m_crc = Crc32Update(m_crc, buffer, got);
    m_bytesRead += got;
    if (m_progress) m_progress(m_bytesRead, m_sourceBytes);
    return got;
  }

  uint32_t Crc() const { return m_crc; }
  uint64_t BytesRead() const { return m_bytesRead; }
  // errno of the read that ended the data early; 0 when it reached the end.
  int ReadError() const { return m_readError; }

 private:
  ZipFile& m_source;
  const uint64_t m_sourceBytes;
  const ArchiveProgress& m_progress;
  uint32_t m_crc = 0;
  uint64_t m_bytesRead = 0;
  int m_readError = 0;
  bool m_ended = false;
};

}  // namespace

class ArchiveWriter {
 public:
  explicit ArchiveWriter(const ZipFieldLimits& limits) : m_limits(limits) {}
  // Creates the archive's temporary file. False, with errno set, when it
  // cannot be created.
  bool Create(const char* archivePath);
  uint32_t AddFile(const char* entryName, const char* sourcePath, const ArchiveProgress& progress);
  // Completes the archive and puts it in place; discards it on any failure.
  uint32_t Close(ArchiveError& error);
  const ArchiveError& LastError() const { return m_lastError; }
  // For a call that memory ran out in.
  void NoteOutOfMemory() { NoteFailure(ENOMEM, false); }

 private:
  // Appends to the archive and advances the write position by what the file
  // accepted, so recorded offsets stay true after a short write. False when
  // the write fell short.
  bool Append(const uint8_t* bytes, size_t count) {
    const size_t accepted = WriteAll(m_archive.Descriptor(), bytes, count);
    m_writePosition += accepted;
    if (accepted != count) NoteFailure(errno, false);
    return accepted == count;
  }
  // Keeps why the current call failed, for ArchiveLastError.
  void NoteFailure(int systemError, bool inSource, const char* failedCheck = nullptr) {
    m_lastError = ArchiveError{systemError, inSource, failedCheck};
  }
  uint32_t Fail(uint32_t result, int systemError, bool inSource) {
    NoteFailure(systemError, inSource);
    return result;
  }
  // Copies the source into the archive as is. False when a write fell short.
  bool CopyStored(SourceReader& reader, uint64_t& dataBytesWritten);
  // Deflates the source into the archive and adds the compressor's level
  // mark to flags. False when the compressor reported an error or a write
  // fell short.
  bool CopyDeflated(SourceReader& reader, uint64_t& dataBytesWritten, uint16_t& flags);
  bool IsArchiveItself(const FileStatus& status) const {
    return m_archiveKnown && status.deviceId == m_archiveDevice && status.inode == m_archiveInode;
  }

  const ZipFieldLimits m_limits;
  ReplacingFile m_archive;
  ArchiveError m_lastError;
  bool m_archiveKnown = false;
  uint64_t m_archiveDevice = 0;
  uint64_t m_archiveInode = 0;
  // Bytes written to the archive so far; the archive is new, so this is also
  // the offset of the next byte.
  uint64_t m_writePosition = 0;
  std::vector<ArchiveEntryRecord> m_entries;
  // Created for the first deflated entry and reused: its state is large.
  std::unique_ptr<DeflateCompressor> m_compressor;
  std::string m_failedCheck;  // the compressor's text of the last failed entry
  std::array<uint8_t, kDataBufferBytes> m_dataBuffer;
};

bool ArchiveWriter::Create(const char* archivePath) {
  if (!m_archive.Create(archivePath)) return false;
  // Identifies the archive so that it is never read back as a source.
  FileStatus status;
  if (ReadFileStatus(m_archive.Descriptor(), archivePath, status)) {
    m_archiveKnown = true;
    m_archiveDevice = status.deviceId;
    m_archiveInode = status.inode;
  }
  return true;
}

bool ArchiveWriter::CopyStored(SourceReader& reader, uint64_t& dataBytesWritten) {
  for (;;) {
    const size_t got = reader.Read(m_dataBuffer.data(), m_dataBuffer.size());
    if (got == 0) return true;
    const uint64_t before = m_writePosition;
    const bool complete = Append(m_dataBuffer.data(), got);
    dataBytesWritten += m_writePosition - before;
    if (!complete) return false;
  }
}

bool ArchiveWriter::CopyDeflated(SourceReader& reader, uint64_t& dataBytesWritten, uint16_t& flags) {
  bool outputFailed = false;
  const DeflateCompressor::ReadFunction read = [&reader](uint8_t* buffer, uint32_t count) {
    return static_cast<uint32_t>(reader.Read(buffer, count));
  };
  // Once the archive has refused output, the rest of the stream is dropped:
  // the entry has failed and the stream could not be completed anyway.
  const DeflateCompressor::OutputFunction output = [&](const uint8_t* bytes, uint32_t count) {
    if (outputFailed) return;
    const uint64_t before = m_writePosition;
    outputFailed = !Append(bytes, count);
    dataBytesWritten += m_writePosition - before;
  };
  std::string errorMessage;
  const uint64_t compressedSize =
      m_compressor->Compress(DeflateCompressor::kZipLevel, read, output, flags, errorMessage);
  if (outputFailed) return false;  // Append noted why
  if (!errorMessage.empty()) {
    // Kept with the writer, so that ArchiveLastError's text lives as long as it.
    m_failedCheck = std::move(errorMessage);
    NoteFailure(0, false, m_failedCheck.c_str());
    return false;
  }
  if (compressedSize != dataBytesWritten) {
    NoteFailure(0, false, "the compressed size differs from the bytes written");
    return false;
  }
  return true;
}

uint32_t ArchiveWriter::AddFile(const char* entryName, const char* sourcePath,
                                const ArchiveProgress& progress) {
  if (entryName == nullptr || entryName[0] == '\0') return kArchiveBadArgument;
  ArchiveEntryRecord record;
  record.entryName = entryName;
  if (record.entryName.size() > kMaxField16) return kArchiveBadArgument;
  std::replace(record.entryName.begin(), record.entryName.end(), '\\', '/');
  record.compressionMethod = CompressionMethodFor(record.entryName);
  const bool stored = record.compressionMethod == kMethodStored;

  if (sourcePath == nullptr) return kArchiveBadArgument;
  ZipFile source = ZipFile::OpenExisting(sourcePath);
  if (!source.IsOpen()) return Fail(kArchiveOpenFailed, errno, true);
  FileStatus status;
  if (!ReadFileStatus(source.Descriptor(), sourcePath, status)) return Fail(kArchiveOpenFailed, errno, true);
  // Only regular files are sources: a directory, a FIFO or a device has no
  // content to pack. Reading the archive being written would copy
  // its own growing end forever; the archive is held without sharing, so
  // that open fails as well.
  if (!status.isRegularFile || IsArchiveItself(status)) return Fail(kArchiveOpenFailed, 0, true);
  // Reserved now so that recording the finished entry cannot fail, and the
  // compressor created now, so that a lack of memory leaves nothing written.
  m_entries.reserve(m_entries.size() + 1);
  if (!stored && !m_compressor) m_compressor = std::make_unique<DeflateCompressor>();

  // Provisional values. Sizes that may not fit 32 bits, judged from the
  // reported size, make room for ZIP64 sizes in the local header now: it is
  // rewritten at the same length.
  const uint64_t reportedSize = status.sizeBytes;
  const uint64_t largestData = stored ? reportedSize : DeflatedSizeBound(reportedSize);
  record.zip64Sizes = std::max(reportedSize, largestData) > m_limits.maxValue32;
  record.generalPurposeFlag = kFlagDataDescriptor | NameEncodingFlag(record.entryName);
  record.dosDateTime = DosDateTime(status.lastWriteTime);
  record.crc32 = 0;
  // Without ZIP64 sizes the fields hold the low 32 bits of the reported size.
  const uint64_t provisionalSize = record.zip64Sizes ? reportedSize : static_cast<uint32_t>(reportedSize);
  record.compressedSize = stored ? provisionalSize : 0;
  record.uncompressedSize = provisionalSize;
  record.fileNameLength = static_cast<uint32_t>(record.entryName.size());
  record.externalFileAttributes = ExternalAttributes(status);
  record.localHeaderOffset = m_writePosition;
  const uint32_t modificationTime = UnixTimeField(status.lastWriteTime);
  const LocalExtraField localExtra = MakeLocalExtraField(
      modificationTime, UnixTimeField(status.lastAccessTime), UnixTimeField(status.creationTime));
  record.centralExtraField = MakeCentralExtraField(modificationTime);

  const uint64_t headerOffset = m_writePosition;
  const std::vector<uint8_t> provisionalHeader = LocalHeaderBytes(record, localExtra);
  if (!Append(provisionalHeader.data(), provisionalHeader.size())) return kArchiveWriteFailed;

  SourceReader reader(source, status.sizeBytes, progress);
  uint64_t dataBytesWritten = 0;
  uint16_t flags = record.generalPurposeFlag;
  const bool dataComplete =
      stored ? CopyStored(reader, dataBytesWritten) : CopyDeflated(reader, dataBytesWritten, flags);
  source.Close();
  // The header and data of a failed entry stay where they are; later
  // entries follow them at the true offsets.
  if (!dataComplete) return kArchiveWriteFailed;
  // A source that grew past the 32-bit fields after its size was read: its
  // local header has no room for the sizes.
  if (!record.zip64Sizes && std::max(reader.BytesRead(), dataBytesWritten) > m_limits.maxValue32) {
    return Fail(kArchiveWriteFailed, EFBIG, false);
  }

  record.crc32 = reader.Crc();
  record.compressedSize = dataBytesWritten;
  record.uncompressedSize = reader.BytesRead();
  record.generalPurposeFlag = flags & ~kFlagDataDescriptor;
  // Same length as the provisional header, so nothing after it moves.
  const std::vector<uint8_t> finalHeader = LocalHeaderBytes(record, localExtra);
  if (WriteAllAt(m_archive.Descriptor(), finalHeader.data(), finalHeader.size(), headerOffset) !=
      finalHeader.size()) {
    return Fail(kArchiveWriteFailed, errno, false);
  }
  m_entries.push_back(std::move(record));
  // The entry holds what was read; a caller that needs the whole file learns
  // from ArchiveLastError that the rest could not be read.
  if (reader.ReadError() != 0) NoteFailure(reader.ReadError(), true);
  return kArchiveSuccess;
}

uint32_t ArchiveWriter::Close(ArchiveError& error) {
  const uint64_t centralDirectoryOffset = m_writePosition;
  bool complete = true;
  for (size_t i = 0; complete && i < m_entries.size(); ++i) {
    const std::vector<uint8_t> header = CentralHeaderBytes(m_entries[i], m_limits);
    complete = Append(header.data(), header.size());
  }
  const uint64_t centralDirectorySize = m_writePosition - centralDirectoryOffset;
  const uint64_t entryCount = m_entries.size();
  const bool countEscaped = entryCount > m_limits.maxCount16;
  const bool sizeEscaped = centralDirectorySize > m_limits.maxValue32;
  const bool offsetEscaped = centralDirectoryOffset > m_limits.maxValue32;
  if (complete && (countEscaped || sizeEscaped || offsetEscaped)) {
    const uint64_t zip64EndOffset = m_writePosition;
    const auto zip64End = Zip64EndBytes(entryCount, centralDirectorySize, centralDirectoryOffset);
    const auto locator = Zip64LocatorBytes(zip64EndOffset);
    complete = Append(zip64End.data(), zip64End.size()) && Append(locator.data(), locator.size());
  }
  if (complete) {
    const auto endRecord = EndOfCentralDirectoryBytes(
        countEscaped ? kZip64Escape16 : static_cast<uint16_t>(entryCount),
        sizeEscaped ? kZip64Escape32 : static_cast<uint32_t>(centralDirectorySize),
        offsetEscaped ? kZip64Escape32 : static_cast<uint32_t>(centralDirectoryOffset));
    complete = Append(endRecord.data(), endRecord.size());
  }
  if (!complete) {
    error = ArchiveError{m_lastError.systemError, false};
    m_archive.Discard();
    return kArchiveWriteFailed;
  }
  if (!m_archive.Commit()) {
    error = ArchiveError{errno, false};
    return kArchiveWriteFailed;
  }
  return kArchiveSuccess;
}

ArchiveHandle ArchiveCreate(const char* archivePath, ArchiveError* error) {
  return ArchiveCreateWithLimits(archivePath, ZipFieldLimits{}, error);
}

ArchiveHandle ArchiveCreateWithLimits(const char* archivePath, const ZipFieldLimits& limits,
                                      ArchiveError* error) {
  if (archivePath == nullptr) return nullptr;
  // The writer comes first, so that a lack of memory leaves no file behind.
  std::unique_ptr<ArchiveWriter> writer(new (std::nothrow) ArchiveWriter(limits));
  if (!writer) {
    if (error != nullptr) *error = ArchiveError{ENOMEM, false};
    return nullptr;
  }
  try {
    if (!writer->Create(archivePath)) {
      if (error != nullptr) *error = ArchiveError{errno, false};
      return nullptr;
    }
  } catch (const std::bad_alloc&) {
    // The temporary file's name could not be made; nothing was created.
    if (error != nullptr) *error = ArchiveError{ENOMEM, false};
    return nullptr;
  }
  return writer.release();
}

uint32_t ArchiveAddFile(ArchiveHandle archive, const char* entryName, const char* sourcePath,
                        const ArchiveProgress& progress) {
  if (archive == nullptr) return kArchiveBadArgument;
  try {
    return archive->AddFile(entryName, sourcePath, progress);
  } catch (const std::bad_alloc&) {
    // Memory ran out for the name, a header or the compressor: the entry is
    // left out, the archive stays usable.
    archive->NoteOutOfMemory();
    return kArchiveWriteFailed;
  }
}

ArchiveError ArchiveLastError(ArchiveHandle archive) {
  return archive == nullptr ? ArchiveError{} : archive->LastError();
}

uint32_t ArchiveClose(ArchiveHandle archive, ArchiveError* error) {
  if (archive == nullptr) return kArchiveBadArgument;
  const std::unique_ptr<ArchiveWriter> writer(archive);
  ArchiveError closeError;
  uint32_t result = kArchiveWriteFailed;
  try {
    result = writer->Close(closeError);
  } catch (const std::bad_alloc&) {
    closeError = ArchiveError{ENOMEM, false};
  }
  if (error != nullptr) *error = closeError;
  return result;
}

void ArchiveAbandon(ArchiveHandle archive) { delete archive; }
