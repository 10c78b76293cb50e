// The ZIP writer end to end: archives written to disk, checked byte for byte
// against the record layout and read back by unzip and Python's zipfile as
// independent controls; then the failure paths and their result codes.
#include "archive/zip_writer.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/faults.h"
#include "zip_test_support.h"

namespace {

using zip_test::Bytes;
using zip_test::Le16;
using zip_test::Le32;

// 2015-03-07 13:45:31 UTC and 2015-03-08 00:00:00 UTC as Unix seconds.
constexpr time_t kLastWritten = 1425735931;
constexpr time_t kLastAccessed = 1425772800;

Bytes RandomBytes(size_t sizeBytes, uint32_t seed) {
  Bytes bytes(sizeBytes);
  for (uint8_t& byte : bytes) {
    seed = seed * 1664525u + 1013904223u;
    byte = static_cast<uint8_t>(seed >> 24);
  }
  return bytes;
}

Bytes Slice(const Bytes& bytes, size_t at, size_t count) {
  return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(at),
               bytes.begin() + static_cast<std::ptrdiff_t>(at + count));
}

Bytes TextBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Writes an archive of (entry name, source path) pairs; every call must
// succeed.
void WriteArchive(const std::string& archivePath,
                  const std::vector<std::pair<std::string, std::string>>& entries) {
  const ArchiveHandle archive = ArchiveCreate(archivePath.c_str());
  ASSERT_NE(archive, nullptr);
  for (const auto& [name, source] : entries) {
    EXPECT_EQ(ArchiveAddFile(archive, name.c_str(), source.c_str()), kArchiveSuccess) << name;
  }
  EXPECT_EQ(ArchiveClose(archive), kArchiveSuccess);
}

// The archive being written in folder: its temporary file, the only hidden
// one there.
std::string TemporaryArchive(const TempFolder& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
    if (entry.path().filename().string().starts_with(".")) return entry.path().string();
  }
  return {};
}

// The 22-byte end record of an archive without entries.
const Bytes kEmptyArchive = {0x50, 0x4B, 0x05, 0x06, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

TEST(ZipWriter, LogArchiveHasTheDocumentedLayout) {
  TempFolder folder;
  const Bytes log = zip_test::LogLikeText(1234);
  const time_t testStart = time(nullptr);
  const std::string logPath = folder.Write("log.txt", log);
  ASSERT_TRUE(zip_test::SetFileTimes(logPath, kLastWritten, kLastAccessed));
  const std::string archivePath = folder.Path("2015-03-07_log.zip");
  WriteArchive(archivePath, {{"log.txt", logPath}});

  const Bytes zip = zip_test::ReadAll(archivePath);
  ASSERT_GT(zip.size(), 138u);
  const uint32_t m = static_cast<uint32_t>(zip.size() - 138);
  const uint32_t crc = Le32(zip, 14);
  // Local file header: provisional values replaced by the final ones.
  EXPECT_EQ(Slice(zip, 0, 14),
            (Bytes{0x50, 0x4B, 0x03, 0x04, 0x14, 0x00, 0x02, 0x00, 0x08, 0x00, 0xAF, 0x6D, 0x67, 0x46}));
  EXPECT_EQ(Le32(zip, 18), m);
  EXPECT_EQ(Le32(zip, 22), 1234u);
  EXPECT_EQ(Slice(zip, 26, 4), (Bytes{0x07, 0x00, 0x11, 0x00}));
  EXPECT_EQ(Slice(zip, 30, 7), TextBytes("log.txt"));
  EXPECT_EQ(Slice(zip, 37, 9), (Bytes{0x55, 0x54, 0x0D, 0x00, 0x07, 0xFB, 0x00, 0xFB, 0x54}));
  EXPECT_EQ(Le32(zip, 46), static_cast<uint32_t>(kLastAccessed));
  // Creation time: the file's birth (or status change), during this test.
  EXPECT_GE(Le32(zip, 50), static_cast<uint32_t>(testStart - 1));
  EXPECT_LE(Le32(zip, 50), static_cast<uint32_t>(time(nullptr) + 1));
  // Central directory header.
  const size_t central = 54 + m;
  EXPECT_EQ(Slice(zip, central, 16), (Bytes{0x50, 0x4B, 0x01, 0x02, 0x17, 0x0B, 0x14, 0x00, 0x02, 0x00, 0x08,
                                            0x00, 0xAF, 0x6D, 0x67, 0x46}));
  EXPECT_EQ(Le32(zip, central + 16), crc);
  EXPECT_EQ(Le32(zip, central + 20), m);
  EXPECT_EQ(Le32(zip, central + 24), 1234u);
  EXPECT_EQ(Slice(zip, central + 28, 18), (Bytes{0x07, 0x00, 0x09, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                 0x20, 0x00, 0x80, 0x81, 0x00, 0x00, 0x00, 0x00}));
  EXPECT_EQ(Slice(zip, central + 46, 7), TextBytes("log.txt"));
  EXPECT_EQ(Slice(zip, central + 53, 9), (Bytes{0x55, 0x54, 0x05, 0x00, 0x07, 0xFB, 0x00, 0xFB, 0x54}));
  // End of central directory record.
  EXPECT_EQ(Slice(zip, central + 62, 16), (Bytes{0x50, 0x4B, 0x05, 0x06, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00,
                                                 0x01, 0x00, 0x3E, 0x00, 0x00, 0x00}));
  EXPECT_EQ(Le32(zip, central + 78), 54 + m);
  EXPECT_EQ(Le16(zip, central + 82), 0u);
  // The deflate data and the CRC-32 describe the log: Python inflates the
  // entry and checks its CRC-32.
  EXPECT_TRUE(zip_test::SameBytes(zip_test::PythonExtract(archivePath, "log.txt", folder.Path("out")), log));
}

TEST(ZipWriter, IndependentReadersAcceptStoredAndDeflatedEntries) {
  TempFolder folder;
  const Bytes log = zip_test::LogLikeText(300000, 3);
  const Bytes noise = RandomBytes(40000, 5);  // several 16384-byte chunks
  const std::string logPath = folder.Write("log.txt", log);
  const std::string noisePath = folder.Write("noise.bin", noise);
  const std::string emptyPath = folder.Write("empty", "");
  const std::string archivePath = folder.Path("all.zip");
  WriteArchive(archivePath, {{"log.txt", logPath},
                             {"data.ZIP", noisePath},
                             {"logs\\run.txt", logPath},
                             {"backup.tar.gz", noisePath},
                             {"archive.zipx", noisePath},
                             {"empty.txt", emptyPath},
                             {"empty.gz", emptyPath}});

  const CommandResult unzip = zip_test::UnzipTest(archivePath);
  EXPECT_EQ(unzip.exitCode, 0) << unzip.output;
  EXPECT_NE(unzip.output.find("No errors detected"), std::string::npos) << unzip.output;

  // Name, method, flags, size; stored entries' compressed size is their
  // size; every entry read whole against its CRC-32.
  const CommandResult python = zip_test::PythonZipListing(archivePath);
  const std::vector<std::string> expected = {"log.txt 8 2 493e0 ",
                                             "data.ZIP 0 0 9c40 9c40 ",
                                             "logs/run.txt 8 2 493e0 ",
                                             "backup.tar.gz 0 0 9c40 9c40 ",
                                             "archive.zipx 8 2 9c40 ",
                                             "empty.txt 8 2 0 2 00000000 81800020",
                                             "empty.gz 0 0 0 0 00000000 81800020"};
  size_t position = 0;
  for (const std::string& line : expected) {
    const size_t found = python.output.find(line, position);
    EXPECT_NE(found, std::string::npos) << line << "\n" << python.output;
    if (found != std::string::npos) position = found;
  }
  EXPECT_NE(python.output.find("\nOK\n"), std::string::npos) << python.output;
  EXPECT_TRUE(
      zip_test::SameBytes(zip_test::PythonExtract(archivePath, "logs/run.txt", folder.Path("out1")), log));
  EXPECT_TRUE(
      zip_test::SameBytes(zip_test::PythonExtract(archivePath, "data.ZIP", folder.Path("out2")), noise));
  EXPECT_TRUE(
      zip_test::SameBytes(zip_test::PythonExtract(archivePath, "archive.zipx", folder.Path("out3")), noise));
}

// Readers take a name as UTF-8 only with flag bit 11, else as code page
// 437: the bit is set, in both headers, exactly for non-ASCII UTF-8 names.
// Python's zipfile decodes each header's name by its own flag and refuses
// an entry whose two names differ.
TEST(ZipWriter, NonAsciiUtf8NamesCarryTheUtf8Flag) {
  struct Case {
    std::string name;
    uint32_t flags;  // deflated: the level mark 0x0002, plus the UTF-8 flag
    std::string listed;
  };
  const std::vector<Case> cases = {
      {"K\xC3\xA4ltetechnik.log", 0x0802, "K\xC3\xA4ltetechnik.log 8 802 "},
      {"site.log", 0x0002, "site.log 8 2 "},
      // Windows-1252 bytes, not UTF-8: read as code page 437, as before.
      {"K\xE4lte.log", 0x0002, "K\xCE\xA3lte.log 8 2 "},
  };
  TempFolder folder;
  const std::string logPath = folder.Write("log", zip_test::LogLikeText(500));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.listed);
    const std::string archivePath = folder.Path("names.zip");
    WriteArchive(archivePath, {{c.name, logPath}});
    const Bytes zip = zip_test::ReadAll(archivePath);
    ASSERT_GT(zip.size(), 22u);
    const size_t central = Le32(zip, zip.size() - 6);
    EXPECT_EQ(Le16(zip, 6), c.flags);
    EXPECT_EQ(Le16(zip, central + 8), c.flags);
    const CommandResult python = zip_test::PythonZipListing(archivePath);
    EXPECT_NE(python.output.find(c.listed), std::string::npos) << python.output;
    EXPECT_NE(python.output.find("\nOK\n"), std::string::npos) << python.output;
  }
}

TEST(ZipWriter, EmptySourceStoredAndDeflated) {
  struct Case {
    const char* name;
    uint32_t flags;
    uint32_t method;
    Bytes data;
  };
  // Deflated: one final fixed-code block holding only the end-of-block code.
  const Case cases[] = {{"empty.txt", 0x0002, 8, {0x03, 0x00}}, {"empty.gz", 0x0000, 0, {}}};
  for (const Case& c : cases) {
    TempFolder folder;
    const std::string source = folder.Write("empty", "");
    const std::string archivePath = folder.Path("a.zip");
    WriteArchive(archivePath, {{c.name, source}});
    const Bytes zip = zip_test::ReadAll(archivePath);
    const size_t n = std::string(c.name).size();
    const size_t dataAt = 30 + n + 17;
    ASSERT_EQ(zip.size(), dataAt + c.data.size() + 46 + n + 9 + 22) << c.name;
    EXPECT_EQ(Le16(zip, 6), c.flags) << c.name;
    EXPECT_EQ(Le16(zip, 8), c.method) << c.name;
    EXPECT_EQ(Le32(zip, 14), 0u) << c.name;  // CRC-32 of nothing
    EXPECT_EQ(Le32(zip, 18), c.data.size()) << c.name;
    EXPECT_EQ(Le32(zip, 22), 0u) << c.name;
    EXPECT_EQ(Slice(zip, dataAt, c.data.size()), c.data) << c.name;
    const size_t central = dataAt + c.data.size();
    EXPECT_EQ(Le16(zip, central + 8), c.flags) << c.name;
    EXPECT_EQ(Le32(zip, central + 20), c.data.size()) << c.name;
  }
}

TEST(ZipWriter, ExistingArchiveIsReplaced) {
  TempFolder folder;
  const std::string archivePath = folder.Write("a.zip", RandomBytes(100000, 9));
  const std::string source = folder.Write("data.gz", RandomBytes(100, 11));
  WriteArchive(archivePath, {{"data.gz", source}});
  const Bytes zip = zip_test::ReadAll(archivePath);
  EXPECT_EQ(zip.size(), 30 + 7 + 17 + 100 + 46 + 7 + 9 + 22u);
  EXPECT_EQ(zip_test::UnzipTest(archivePath).exitCode, 0);
}

TEST(ZipWriter, SizesAreTheBytesReadNotTheReportedSize) {
  // The kernel reports size 0 for /proc files but delivers text: the same
  // as a file that grew between its status and its reading.
  const char* const kSource = "/proc/version";
  const Bytes expected = zip_test::ReadAll(kSource);
  ASSERT_FALSE(expected.empty());
  for (const char* name : {"version.arc", "version.txt"}) {
    TempFolder folder;
    const std::string archivePath = folder.Path("a.zip");
    WriteArchive(archivePath, {{name, kSource}});
    const Bytes zip = zip_test::ReadAll(archivePath);
    EXPECT_EQ(Le32(zip, 22), expected.size()) << name;
    EXPECT_TRUE(zip_test::SameBytes(zip_test::PythonExtract(archivePath, name, folder.Path("out")), expected))
        << name;
  }
}

TEST(ZipWriter, UnopenableSourceLeavesASoundArchive) {
  TempFolder folder;
  const std::string fifo = folder.Path("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string archivePath = folder.Path("a.zip");
  struct Case {
    const char* name;
    std::string source;
  };
  const ArchiveHandle archive = ArchiveCreate(archivePath.c_str());
  ASSERT_NE(archive, nullptr);
  const Case cases[] = {
      {"Missing", folder.Path("missing.txt")},
      {"Directory", folder.Path("")},
      {"Fifo", fifo},  // must neither wait for a writer nor be read
      {"TheArchiveItself", TemporaryArchive(folder)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ArchiveAddFile(archive, "log.txt", c.source.c_str()), kArchiveOpenFailed) << c.name;
  }
  EXPECT_EQ(ArchiveClose(archive), kArchiveSuccess);
  EXPECT_TRUE(zip_test::SameBytes(zip_test::ReadAll(archivePath), kEmptyArchive));
}

TEST(ZipWriter, BadArguments) {
  TempFolder folder;
  const std::string source = folder.Write("log.txt", "x");
  EXPECT_EQ(ArchiveAddFile(nullptr, "log.txt", source.c_str()), kArchiveBadArgument);
  EXPECT_EQ(ArchiveClose(nullptr), kArchiveBadArgument);
  EXPECT_EQ(ArchiveCreate(nullptr), nullptr);
  EXPECT_EQ(ArchiveCreate(folder.Path("no/such/folder.zip").c_str()), nullptr);

  const std::string archivePath = folder.Path("a.zip");
  const ArchiveHandle archive = ArchiveCreate(archivePath.c_str());
  ASSERT_NE(archive, nullptr);
  const std::string tooLong(65536, 'n');
  EXPECT_EQ(ArchiveAddFile(archive, nullptr, source.c_str()), kArchiveBadArgument);
  EXPECT_EQ(ArchiveAddFile(archive, "", source.c_str()), kArchiveBadArgument);
  EXPECT_EQ(ArchiveAddFile(archive, "log.txt", nullptr), kArchiveBadArgument);
  EXPECT_EQ(ArchiveAddFile(archive, tooLong.c_str(), source.c_str()), kArchiveBadArgument);
  EXPECT_EQ(ArchiveClose(archive), kArchiveSuccess);
  EXPECT_TRUE(zip_test::SameBytes(zip_test::ReadAll(archivePath), kEmptyArchive));
}

TEST(ZipWriter, FullDiskReportsWriteFailure) {
  TempFolder folder;
  const std::string log = folder.Write("log.txt", zip_test::LogLikeText(50000));
  const ArchiveHandle archive = ArchiveCreate("/dev/full");
  ASSERT_NE(archive, nullptr);
  EXPECT_EQ(ArchiveAddFile(archive, "log.txt", log.c_str()), kArchiveWriteFailed);
  EXPECT_EQ(ArchiveAddFile(archive, "log.gz", log.c_str()), kArchiveWriteFailed);
  EXPECT_EQ(ArchiveClose(archive), kArchiveWriteFailed);
}

TEST(ZipWriter, ShortWriteDropsTheEntryAndLaterEntriesStaySound) {
  struct Case {
    const char* name;
    const char* failingEntry;
    size_t bytesAccepted;  // of the failing entry, before the disk "fills"
  };
  const Case cases[] = {
      {"StoredDataCut", "second.gz", 30 + 9 + 17 + 1000},
      {"DeflatedDataCut", "second.txt", 30 + 10 + 17},
      {"LocalHeaderCut", "second.txt", 10},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    const Bytes first = RandomBytes(3000, 1);
    const Bytes third = zip_test::LogLikeText(20000, 2);
    const std::string firstPath = folder.Write("first", first);
    const std::string secondPath = folder.Write("second", RandomBytes(30000, 3));
    const std::string thirdPath = folder.Write("third", third);
    const std::string archivePath = folder.Path("a.zip");
    const ArchiveHandle archive = ArchiveCreate(archivePath.c_str());
    ASSERT_NE(archive, nullptr);
    ASSERT_EQ(ArchiveAddFile(archive, "first.zip", firstPath.c_str()), kArchiveSuccess);
    const size_t firstBytes = std::filesystem::file_size(TemporaryArchive(folder));
    {
      FileSizeLimit limit(firstBytes + c.bytesAccepted);
      ASSERT_TRUE(limit.Active());
      EXPECT_EQ(ArchiveAddFile(archive, c.failingEntry, secondPath.c_str()), kArchiveWriteFailed) << c.name;
    }
    EXPECT_EQ(ArchiveAddFile(archive, "third.txt", thirdPath.c_str()), kArchiveSuccess) << c.name;
    EXPECT_EQ(ArchiveClose(archive), kArchiveSuccess) << c.name;

    const CommandResult python = zip_test::PythonZipListing(archivePath);
    EXPECT_EQ(python.output.find("second"), std::string::npos) << c.name << python.output;
    EXPECT_NE(python.output.find("\nOK\n"), std::string::npos) << c.name << python.output;
    EXPECT_TRUE(
        zip_test::SameBytes(zip_test::PythonExtract(archivePath, "first.zip", folder.Path("o1")), first));
    EXPECT_TRUE(
        zip_test::SameBytes(zip_test::PythonExtract(archivePath, "third.txt", folder.Path("o3")), third));
  }
}

// The earlier archive of the same name stays whole until the new one is
// complete: while it is written, when it is abandoned, and when it cannot be
// completed; nothing of a failed archive stays behind.
TEST(ZipWriter, EarlierArchiveStaysUntilTheNewOneIsComplete) {
  TempFolder folder;
  const std::string earlier = "earlier archive";
  const std::string log = folder.Write("log.txt", RandomBytes(50000, 4));
  const std::string archivePath = folder.Write("a.zip", earlier);
  const auto onlyFiles = [&] {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  };
  const std::vector<std::string> before = onlyFiles();

  ArchiveHandle archive = ArchiveCreate(archivePath.c_str());
  ASSERT_NE(archive, nullptr);
  ASSERT_EQ(ArchiveAddFile(archive, "log.txt", log.c_str()), kArchiveSuccess);
  EXPECT_EQ(zip_test::ReadAll(archivePath), TextBytes(earlier));
  ArchiveAbandon(archive);
  EXPECT_EQ(zip_test::ReadAll(archivePath), TextBytes(earlier));
  EXPECT_EQ(onlyFiles(), before);

  // The central directory does not fit: the close fails and says why.
  archive = ArchiveCreate(archivePath.c_str());
  ASSERT_NE(archive, nullptr);
  ASSERT_EQ(ArchiveAddFile(archive, "log.txt", log.c_str()), kArchiveSuccess);
  ArchiveError error;
  {
    FileSizeLimit limit(std::filesystem::file_size(TemporaryArchive(folder)) + 10);
    ASSERT_TRUE(limit.Active());
    EXPECT_EQ(ArchiveClose(archive, &error), kArchiveWriteFailed);
  }
  EXPECT_EQ(error.systemError, EFBIG);
  EXPECT_EQ(zip_test::ReadAll(archivePath), TextBytes(earlier));
  EXPECT_EQ(onlyFiles(), before);

  WriteArchive(archivePath, {{"log.txt", log}});
  EXPECT_EQ(zip_test::UnzipTest(archivePath).exitCode, 0);
  EXPECT_EQ(onlyFiles(), before);
}

TEST(ZipWriter, FailuresSayWhetherSourceOrArchive) {
  TempFolder folder;
  const std::string fifo = folder.Path("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  ArchiveError error;
  EXPECT_EQ(ArchiveCreate(folder.Path("no/such/folder.zip").c_str(), &error), nullptr);
  EXPECT_EQ(error.systemError, ENOENT);
  EXPECT_FALSE(error.inSource);

  const ArchiveHandle archive = ArchiveCreate(folder.Path("a.zip").c_str());
  ASSERT_NE(archive, nullptr);
  EXPECT_EQ(ArchiveLastError(archive).systemError, 0);
  EXPECT_EQ(ArchiveAddFile(archive, "log.txt", folder.Path("missing").c_str()), kArchiveOpenFailed);
  EXPECT_EQ(ArchiveLastError(archive).systemError, ENOENT);
  EXPECT_TRUE(ArchiveLastError(archive).inSource);
  EXPECT_EQ(ArchiveAddFile(archive, "log.txt", fifo.c_str()), kArchiveOpenFailed);
  EXPECT_EQ(ArchiveLastError(archive).systemError, 0);
  EXPECT_TRUE(ArchiveLastError(archive).inSource);
  ArchiveAbandon(archive);
}

// The progress callback sees the source read from start to end and changes
// nothing in the archive.
TEST(ZipWriter, ProgressFollowsTheSourceAndChangesNothing) {
  TempFolder folder;
  const Bytes log = zip_test::LogLikeText(400000, 6);
  const std::string logPath = folder.Write("log.txt", log);
  std::vector<std::pair<uint64_t, uint64_t>> calls;
  const ArchiveProgress progress = [&calls](uint64_t bytesRead, uint64_t sourceBytes) {
    calls.emplace_back(bytesRead, sourceBytes);
  };
  for (const char* entry : {"log.txt", "log.gz"}) {
    SCOPED_TRACE(entry);
    calls.clear();
    const std::string withProgress = folder.Path("with.zip");
    const std::string without = folder.Path("without.zip");
    // Reading the log moves its access time, which the archive records.
    ASSERT_TRUE(zip_test::SetFileTimes(logPath, kLastWritten, kLastAccessed));
    const ArchiveHandle archive = ArchiveCreate(withProgress.c_str());
    ASSERT_NE(archive, nullptr);
    ASSERT_EQ(ArchiveAddFile(archive, entry, logPath.c_str(), progress), kArchiveSuccess);
    ASSERT_EQ(ArchiveClose(archive), kArchiveSuccess);
    ASSERT_TRUE(zip_test::SetFileTimes(logPath, kLastWritten, kLastAccessed));
    WriteArchive(without, {{entry, logPath}});
    EXPECT_TRUE(zip_test::SameBytes(zip_test::ReadAll(withProgress), zip_test::ReadAll(without)));

    ASSERT_GE(calls.size(), 2u);
    for (size_t i = 0; i < calls.size(); ++i) {
      EXPECT_EQ(calls[i].second, log.size());
      if (i > 0) {
        EXPECT_GE(calls[i].first, calls[i - 1].first);
      }
    }
    EXPECT_EQ(calls.back().first, log.size());
  }
}

}  // namespace
