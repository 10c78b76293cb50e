// The fuzz targets' ZIP reader must refuse what a real reader refuses, or the
// ZIP writer's target would pass anything: it accepts an archive from the
// writer and rejects each kind of damage to it.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "archive/zip_writer.h"
#include "fuzz/support/scratch_folder.h"
#include "fuzz/support/zip_check.h"

namespace {

// One deflated and one stored entry, as the writer lays them out.
std::string WriterArchive() {
  const std::string archivePath = ScratchFolder() + "/check.zip";
  ArchiveHandle archive = ArchiveCreate(archivePath.c_str());
  EXPECT_NE(archive, nullptr);
  const std::string text = WriteScratchFile("text", std::string(3000, 'x') + "tail");
  const std::string packed = WriteScratchFile("packed", "already packed bytes");
  EXPECT_EQ(ArchiveAddFile(archive, "a.log", text.c_str()), kArchiveSuccess);
  EXPECT_EQ(ArchiveAddFile(archive, "b.gz", packed.c_str()), kArchiveSuccess);
  EXPECT_EQ(ArchiveClose(archive), kArchiveSuccess);
  return ReadWholeFile(archivePath);
}

TEST(ZipCheck, AcceptsTheWritersArchive) {
  std::string problem;
  const auto entries = ReadZipArchive(WriterArchive(), problem);
  ASSERT_TRUE(entries.has_value()) << problem;
  ASSERT_EQ(entries->size(), 2u);
  EXPECT_EQ((*entries)[0].name, "a.log");
  EXPECT_EQ((*entries)[0].method, 8);
  EXPECT_EQ((*entries)[0].content, std::string(3000, 'x') + "tail");
  EXPECT_EQ((*entries)[1].method, 0);
  EXPECT_EQ((*entries)[1].content, "already packed bytes");
}

struct Damage {
  const char* name;
  void (*apply)(std::string& archive);
};

// Offsets into the first local header (30 fixed bytes, name "a.log", 17
// extra bytes), so its deflate data starts at byte 52.
constexpr size_t kFirstCrcOffset = 14;
constexpr size_t kFirstDataOffset = 30 + 5 + 17;
// CRC-32 field of a central directory header.
constexpr size_t kCentralCrcOffset = 16;

const Damage kDamages[] = {
    {"LocalHeaderDisagrees", [](std::string& a) { a[kFirstCrcOffset] ^= 1; }},
    {"CrcWrongInBothRecords",
     [](std::string& a) {
       a[kFirstCrcOffset] ^= 1;
       a[a.find("PK\x01\x02") + kCentralCrcOffset] ^= 1;
     }},
    {"DeflateDataBroken", [](std::string& a) { a[kFirstDataOffset] = '\xFF'; }},
    {"StoredContentChanged", [](std::string& a) { a[a.find("already packed") + 3] ^= 1; }},
    {"Truncated", [](std::string& a) { a.resize(a.size() - 1); }},
    {"JunkAppended", [](std::string& a) { a += "junk"; }},
    {"CentralNameChanged", [](std::string& a) { a[a.rfind("a.log")] = 'c'; }},
    {"EndRecordCountChanged", [](std::string& a) { a[a.size() - 12] = 3; }},
    {"LocalSignatureBroken", [](std::string& a) { a[0] = 'X'; }},
};

// Names the case in test names instead of its bytes.
void PrintTo(const Damage& damage, std::ostream* out) { *out << damage.name; }

class ZipCheckRefuses : public ::testing::TestWithParam<Damage> {};

TEST_P(ZipCheckRefuses, DamagedArchive) {
  std::string archive = WriterArchive();
  GetParam().apply(archive);
  std::string problem;
  EXPECT_FALSE(ReadZipArchive(archive, problem).has_value());
  EXPECT_FALSE(problem.empty());
}

INSTANTIATE_TEST_SUITE_P(Damages, ZipCheckRefuses, ::testing::ValuesIn(kDamages),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
