// Stop's archive of the log: written whole, or not at all with a reason a
// technician can act on, and an earlier archive of that name left intact.
#include "archive/log_archive.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "tests/support/faults.h"
#include "zip_test_support.h"

namespace {

TEST(LogArchive, WritesTheLogAsItsOneEntry) {
  TempFolder folder;
  const std::string log = folder.Write("site.log", "2015/03/07-14:05:09.042   -   1,2,\r\n");
  const LogArchiveName name{folder.Path("2015-03-07_site.zip"), "site.log"};
  const LogArchiveResult result = WriteLogArchive(name, log);
  EXPECT_TRUE(result.written);
  EXPECT_EQ(result.failureReason, "");
  const CommandResult listing = zip_test::PythonZipListing(name.archivePath);
  EXPECT_NE(listing.output.find("site.log 8 2"), std::string::npos) << listing.output;
}

TEST(LogArchive, FailureGivesTheReasonAndKeepsTheEarlierArchive) {
  TempFolder folder;
  const std::string earlier = "earlier archive of the day";
  const std::string fifo = folder.Path("fifo.log");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // Incompressible, so that its archive is larger than the log itself.
  std::string noise(20000, '\0');
  uint32_t seed = 7;
  for (char& c : noise) c = static_cast<char>((seed = seed * 1664525u + 1013904223u) >> 24);
  const std::string log = folder.Write("site.log", noise);

  struct Case {
    const char* what;
    std::string logPath;
    std::string archivePath;
    rlim_t fileSizeLimit;  // 0: none
    std::string reason;
  };
  const Case cases[] = {
      {"LogMissing", folder.Path("gone.log"), folder.Path("a.zip"), 0,
       "cannot read the log " + folder.Path("gone.log") + ": no such file or directory"},
      {"LogNotARegularFile", fifo, folder.Path("a.zip"), 0, "the log " + fifo + " is not a regular file"},
      {"FolderMissing", log, folder.Path("missing/a.zip"), 0, "no such file or directory"},
      {"ArchiveCannotGrow", log, folder.Path("a.zip"), noise.size() + 100, "file too large"},
      // A regular file whose first read fails (this process's memory at
      // address 0), as a log on a stick pulled out during Stop would.
      {"LogReadFails", "/proc/self/mem", folder.Path("a.zip"), 0,
       "cannot read the log /proc/self/mem: input/output error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    folder.Write("a.zip", earlier);
    LogArchiveResult result;
    {
      FileSizeLimit limit(c.fileSizeLimit == 0 ? RLIM_INFINITY : c.fileSizeLimit);
      result = WriteLogArchive({c.archivePath, "site.log"}, c.logPath);
    }
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.failureReason, c.reason);
    EXPECT_EQ(ReadFileBytes(folder.Path("a.zip")), earlier);
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) ++files;
    EXPECT_EQ(files, 3u) << "nothing but a.zip, fifo.log and site.log";
  }
}

}  // namespace
