// The INI reader on Linux: a FIFO in the file's place, and a file that is
// there but may not be read.
#include <sys/stat.h>

#include <cerrno>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "config/ini_file.h"
#include "testkit/temp_folder.h"
#include "tests/support/faults.h"

namespace {

TEST(IniFile, FifoAndUnreadableFileGiveAnEmptyFile) {
  TempFolder folder;
  // A FIFO with no writer would block a plain open-and-read forever.
  const std::string fifo = folder.path() + "/fifo.ini";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ReadIniFile(fifo).status, IniReadStatus::kUnavailable);

  // There but not readable: not the same as missing, and the reason is kept.
  const std::string locked = folder.Write("locked.ini", "[S]\nk=v\n");
  ASSERT_EQ(chmod(locked.c_str(), 0), 0);
  const PermissionBitsApply asUser;
  const IniReadResult lockedRead = ReadIniFile(locked);
  EXPECT_EQ(lockedRead.status, IniReadStatus::kUnreadable);
  EXPECT_EQ(lockedRead.error, EACCES);
  EXPECT_EQ(lockedRead.file.Find("S", "k"), std::nullopt);
}

}  // namespace
