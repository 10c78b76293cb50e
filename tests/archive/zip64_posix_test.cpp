// Archives past the classic format's 16-bit count and 32-bit sizes and
// offsets: ZIP64 records exactly where a value does not fit, read back by
// unzip, Python's zipfile and 7-Zip; and archives that need none unchanged
// byte for byte.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/zip_field_limits.h"
#include "archive/zip_writer.h"
#include "zip_test_support.h"

namespace {

using zip_test::Bytes;
using zip_test::Le16;
using zip_test::Le32;

// 2015-03-07 13:45:31 UTC and 2015-03-08 00:00:00 UTC as Unix seconds.
constexpr time_t kLastWritten = 1425735931;
constexpr time_t kLastAccessed = 1425772800;
constexpr uint32_t kLocalHeaderSignature = 0x04034B50;
constexpr uint32_t kZip64LocatorSignature = 0x07064B50;
constexpr uint32_t kEndRecordBytes = 22;
constexpr uint32_t kLocatorBytes = 20;

const std::string kFixtures = PLENX_SOURCE_DIR "/tests/archive/data/before-zip64/";

struct Entry {
  std::string name;
  std::string source;
};

void WriteArchive(const std::string& archivePath, const std::vector<Entry>& entries,
                  const ZipFieldLimits& limits = {}) {
  const ArchiveHandle archive = ArchiveCreateWithLimits(archivePath.c_str(), limits);
  ASSERT_NE(archive, nullptr);
  for (const Entry& entry : entries) {
    EXPECT_EQ(ArchiveAddFile(archive, entry.name.c_str(), entry.source.c_str()), kArchiveSuccess)
        << entry.name;
  }
  EXPECT_EQ(ArchiveClose(archive), kArchiveSuccess);
}

// Zeroes the access and creation times of every local header's timestamp
// field: the creation time is the file's birth, which no test can set, and
// a source read twice has its access time moved by the first reading.
void MaskUnsettableTimes(Bytes& zip) {
  size_t at = 0;
  while (at + 30 <= zip.size() && Le32(zip, at) == kLocalHeaderSignature) {
    const size_t nameBytes = Le16(zip, at + 26);
    const size_t extraBytes = Le16(zip, at + 28);
    const size_t timestamp = at + 30 + nameBytes + extraBytes - 17;
    std::fill(zip.begin() + static_cast<std::ptrdiff_t>(timestamp + 9),
              zip.begin() + static_cast<std::ptrdiff_t>(timestamp + 17), 0);
    at += 30 + nameBytes + extraBytes + Le32(zip, at + 18);
  }
}

bool HasZip64End(const Bytes& zip) {
  return zip.size() >= kEndRecordBytes + kLocatorBytes &&
         Le32(zip, zip.size() - kEndRecordBytes - kLocatorBytes) == kZip64LocatorSignature;
}

// The fixture archive was written by the writer as it was before it knew
// ZIP64, from the sources beside it with these names and file times.
TEST(Zip64, ArchivesThatNeedNoneAreByteForByteAsBefore) {
  TempFolder folder;
  for (const char* source : {"log.txt", "noise.gz", "empty.txt"}) {
    const std::string copy = folder.Write(source, zip_test::ReadAll(kFixtures + source));
    ASSERT_TRUE(zip_test::SetFileTimes(copy, kLastWritten, kLastAccessed));
  }
  const std::vector<Entry> entries = {{"log.txt", folder.Path("log.txt")},
                                      {"logs\\run.txt", folder.Path("log.txt")},
                                      {"noise.gz", folder.Path("noise.gz")},
                                      {"empty.txt", folder.Path("empty.txt")},
                                      {"empty.zip", folder.Path("empty.txt")}};
  const std::string archivePath = folder.Path("a.zip");
  WriteArchive(archivePath, entries);

  Bytes written = zip_test::ReadAll(archivePath);
  Bytes before = zip_test::ReadAll(kFixtures + "golden.zip");
  ASSERT_FALSE(before.empty());
  MaskUnsettableTimes(written);
  MaskUnsettableTimes(before);
  EXPECT_TRUE(zip_test::SameBytes(written, before));
}

// Lowered limits put every kind of ZIP64 field on small files: sizes in the
// local and central headers (also where a size only might have needed them),
// offsets in the central headers, and the ZIP64 end record for the count,
// the directory's size and its offset. Three independent readers must read
// every entry back.
TEST(Zip64, ReadersAcceptEveryZip64FieldTheWriterMakes) {
  struct Case {
    const char* name;
    ZipFieldLimits limits;
    bool zip64End;
  };
  const Case cases[] = {
      {"FormatLimits", ZipFieldLimits{}, false},
      {"SizesAndOffsets", ZipFieldLimits{.maxCount16 = 0xFFFE, .maxValue32 = 1000}, true},
      {"CountOnly", ZipFieldLimits{.maxCount16 = 2, .maxValue32 = 0xFFFFFFFE}, true},
      {"Everything", ZipFieldLimits{.maxCount16 = 0, .maxValue32 = 0}, true},
  };
  TempFolder folder;
  const Bytes log = zip_test::LogLikeText(20000, 4);
  Bytes noise(5000);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 2654435761u >> 13);
  const Bytes small(100, 'x');
  const std::vector<Entry> entries = {{"log.txt", folder.Write("log", log)},
                                      {"noise.gz", folder.Write("noise", noise)},
                                      {"empty.txt", folder.Write("empty", "")},
                                      {"small.gz", folder.Write("small", small)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string archivePath = folder.Path(std::string(c.name) + ".zip");
    WriteArchive(archivePath, entries, c.limits);
    const Bytes zip = zip_test::ReadAll(archivePath);
    EXPECT_EQ(HasZip64End(zip), c.zip64End);
    // Where the log's sizes went to a ZIP64 field, its local header says so.
    const bool logZip64 = c.limits.maxValue32 < 0xFFFFFFFE;
    EXPECT_EQ(Le16(zip, 4), logZip64 ? 45u : 20u);
    EXPECT_EQ(Le32(zip, 22) == 0xFFFFFFFFu, logZip64);

    const CommandResult unzip = zip_test::UnzipTest(archivePath);
    EXPECT_EQ(unzip.exitCode, 0) << unzip.output;
    const CommandResult sevenZip = zip_test::SevenZipTest(archivePath);
    EXPECT_EQ(sevenZip.exitCode, 0) << sevenZip.output;
    EXPECT_NE(sevenZip.output.find("Everything is Ok"), std::string::npos) << sevenZip.output;
    const CommandResult python = zip_test::PythonZipListing(archivePath);
    for (const char* line : {"log.txt 8 2 4e20 ", "noise.gz 0 0 1388 1388 ", "empty.txt 8 2 0 2 ",
                             "small.gz 0 0 64 64 ", "\nOK\n"}) {
      EXPECT_NE(python.output.find(line), std::string::npos) << line << "\n" << python.output;
    }
    EXPECT_TRUE(zip_test::SameBytes(zip_test::PythonExtract(archivePath, "log.txt", folder.Path("o1")), log));
    EXPECT_TRUE(
        zip_test::SameBytes(zip_test::PythonExtract(archivePath, "small.gz", folder.Path("o2")), small));
  }
}

// The real limit: a stored source just over 4 GiB (sparse, so it costs no
// disk to make) and an entry after it, whose local header and the central
// directory lie beyond 4 GiB. The archive itself takes 4 GiB of disk.
// Left to the optimised build: the sanitizers' debug build needs minutes
// for the 4 GiB and finds nothing the small cases above would not.
TEST(Zip64, StoredSourceOver4GiBAndAnEntryAfterIt) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "4 GiB through a sanitizer build takes minutes; the normal build runs it";
#endif
  constexpr uint64_t kSourceBytes = (uint64_t{4} << 30) + 4096;
  TempFolder folder;
  struct statvfs disk {};
  ASSERT_EQ(statvfs(folder.path().c_str(), &disk), 0);
  if (static_cast<uint64_t>(disk.f_bavail) * disk.f_frsize < kSourceBytes + (uint64_t{512} << 20)) {
    GTEST_SKIP() << "needs 4.5 GiB free in " << folder.path();
  }
  const std::string big = folder.Path("big");
  const int fd = open(big.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, static_cast<off_t>(kSourceBytes)), 0);
  close(fd);
  const std::string after = folder.Write("after", "the entry after the big one\r\n");
  const std::string archivePath = folder.Path("a.zip");
  WriteArchive(archivePath, {{"big.gz", big}, {"after.txt", after}});
  std::filesystem::remove(big);

  // Python reads the central directory's ZIP64 values and the entry beyond
  // 4 GiB; 7-Zip reads every byte and checks both CRC-32s.
  static const char* const kScript =
      "import sys, zipfile\n"
      "with zipfile.ZipFile(sys.argv[1]) as z:\n"
      "    for i in z.infolist():\n"
      "        stored = i.compress_size if i.compress_type == 0 else '-'\n"
      "        print(i.filename, i.file_size, stored, i.header_offset)\n"
      "    print(z.read('after.txt').decode().strip())\n";
  const CommandResult python =
      RunCommand("python3 -c " + zip_test::Quoted(kScript) + " " + zip_test::Quoted(archivePath) + " 2>&1");
  const uint64_t afterOffset = 30 + 6 + 20 + 17 + kSourceBytes;  // big.gz's header has ZIP64 sizes
  EXPECT_EQ(python.output, "big.gz 4294971392 4294971392 0\nafter.txt 29 - " + std::to_string(afterOffset) +
                               "\nthe entry after the big one\n");
  const CommandResult sevenZip = zip_test::SevenZipTest(archivePath);
  EXPECT_EQ(sevenZip.exitCode, 0) << sevenZip.output;
  EXPECT_NE(sevenZip.output.find("Everything is Ok"), std::string::npos) << sevenZip.output;
}

}  // namespace
