// plenx-zip as a technician runs it: arguments, printed result codes, exit
// status, and archives that unzip accepts.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "testkit/run_command.h"
#include "testkit/temp_folder.h"

namespace {

class PlenxZip : public testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(m_folder.path().empty()); }

  std::string Path(const std::string& name) const { return m_folder.Path(name); }
  std::string Write(const std::string& name, const std::string& text) const {
    return m_folder.Write(name, text);
  }
  // Runs plenx-zip in the scratch folder, standard error folded into the
  // output.
  CommandResult Zip(const std::string& args) const {
    return RunCommand("cd '" + m_folder.path() + "' && '" PLENX_BIN_DIR "/plenx-zip' " + args + " 2>&1");
  }

  TempFolder m_folder;
};

TEST_F(PlenxZip, AddsEachSourceUnderItsNameOrTheGivenEntry) {
  Write("log.txt", std::string(5000, 'a') + "tail\n");
  std::filesystem::create_directory(Path("sub"));
  Write("sub/run.txt", "run\n");
  const CommandResult run = Zip("out.zip sub/run.txt --as 'saved\\log.gz' log.txt log.txt");
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(run.output,
            "ArchiveAddFile(\"run.txt\", \"sub/run.txt\") = 0x00000000\n"
            "ArchiveAddFile(\"saved\\log.gz\", \"log.txt\") = 0x00000000\n"
            "ArchiveAddFile(\"log.txt\", \"log.txt\") = 0x00000000\n"
            "ArchiveClose() = 0x00000000\n");
  const CommandResult listing = RunCommand("unzip -Z1 '" + Path("out.zip") + "'");
  EXPECT_EQ(listing.output, "run.txt\nsaved/log.gz\nlog.txt\n");
  const CommandResult check = RunCommand("unzip -t '" + Path("out.zip") + "' 2>&1");
  EXPECT_EQ(check.exitCode, 0) << check.output;
}

TEST_F(PlenxZip, FailedCallGivesExitOneAndASoundArchive) {
  Write("log.txt", "x\n");
  const CommandResult run = Zip("out.zip missing.txt log.txt");
  EXPECT_EQ(run.exitCode, 1) << run.output;
  EXPECT_EQ(run.output,
            "ArchiveAddFile(\"missing.txt\", \"missing.txt\") = 0x00000200\n"
            "ArchiveAddFile(\"log.txt\", \"log.txt\") = 0x00000000\n"
            "ArchiveClose() = 0x00000000\n");
  EXPECT_EQ(RunCommand("unzip -Z1 '" + Path("out.zip") + "'").output, "log.txt\n");

  const CommandResult uncreatable = Zip("no/such/dir/out.zip log.txt");
  EXPECT_EQ(uncreatable.exitCode, 1) << uncreatable.output;
  EXPECT_EQ(uncreatable.output, "ArchiveCreate(\"no/such/dir/out.zip\") failed\n");
}

TEST_F(PlenxZip, BadArgumentsGiveExitTwoAndCreateNothing) {
  Write("log.txt", "x\n");
  for (const char* args :
       {"", "out.zip", "out.zip --as", "out.zip --as entry.txt", "out.zip log.txt --as entry.txt"}) {
    const CommandResult run = Zip(args);
    EXPECT_EQ(run.exitCode, 2) << "'" << args << "': " << run.output;
    EXPECT_NE(run.output.find("usage: plenx-zip"), std::string::npos) << args;
    EXPECT_FALSE(std::filesystem::exists(Path("out.zip"))) << args;
  }
}

}  // namespace
