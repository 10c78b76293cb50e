// Loading LoggerConfig: defaults, the label lookup rule, the refused values
// and their start-up warnings, and the file beside the executable.
#include "config/logger_config.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/config_file_path.h"
#include "config/default_param_labels.h"
#include "platform/executable_path.h"
#include "testkit/temp_folder.h"

namespace {

const std::string kDegreeF =
    "\xB0"
    "F";

std::vector<std::string> Builtins(int first, int count) {
  return {DefaultParamLabels.begin() + first, DefaultParamLabels.begin() + first + count};
}

class LoggerConfigTest : public ::testing::Test {
 protected:
  // Loads a configuration file holding text; returns its warnings.
  ConfigWarnings LoadText(const std::string& text) {
    m_path = m_folder.Write("plenx-logger.ini", text);
    return m_config.Load(m_path);
  }

  TempFolder m_folder;
  std::string m_path;
  LoggerConfig m_config;
};

TEST_F(LoggerConfigTest, ConstructionLeavesTextsAndLabelsEmpty) {
  EXPECT_TRUE(m_config.logFileName.empty());
  EXPECT_TRUE(m_config.portName.empty());
  EXPECT_TRUE(m_config.statusLabels.empty());
  for (const auto& set : m_config.acLabels) EXPECT_TRUE(set.empty());
}

TEST_F(LoggerConfigTest, WithoutFileEverythingIsBuiltIn) {
  m_config.logFileName = "run.log";
  m_config.portName = "COM3";
  EXPECT_TRUE(m_config.Load(m_folder.path() + "/absent.ini").empty());
  EXPECT_EQ(m_config.numDevices, 4);
  EXPECT_EQ(m_config.statusParams, 69);
  EXPECT_EQ(m_config.acParams, 40);
  EXPECT_EQ(m_config.logEvery, 1);
  EXPECT_EQ(m_config.ValuesPerRecord(), 229);
  EXPECT_EQ(m_config.statusLabels, Builtins(0, 69));
  for (int set = 0; set < 3; ++set) EXPECT_EQ(m_config.acLabels[set], Builtins(70, 40)) << set;
  EXPECT_EQ(m_config.acLabels[3], Builtins(110, 40));
  for (int set = 4; set < 10; ++set) EXPECT_TRUE(m_config.acLabels[set].empty()) << set;
  EXPECT_EQ(m_config.acLabels[3][39], "Software Version");
  // Load never touches the session texts.
  EXPECT_EQ(m_config.logFileName, "run.log");
  EXPECT_EQ(m_config.portName, "COM3");
}

TEST_F(LoggerConfigTest, LabelIsFoundUnderItsBuiltInTextNotItsIndex) {
  LoadText(
      "[STATUSLABELS]\n"
      "fan=Outdoor fan\n"  // any letter case
      "5=Not a fan\n"      // an index names nothing that has a built-in text
      "1=Not the bus\n"
      "CMP | FAN | PFC (0=OFF / 1=ON)=never\n"  // split at its first '=': no match
      "[ACLABELS0]\n"
      "Expansion Valve=EEV\n"
      "-=Spare A\n"
      "Working Mode=Mode of A\n"
      "[ACLABELS1]\n"
      "Working Mode=Mode of B\n");
  EXPECT_EQ(m_config.statusLabels[5], "Outdoor fan");
  EXPECT_EQ(m_config.statusLabels[1], "DC Bus [V]");
  EXPECT_EQ(m_config.statusLabels[0], DefaultParamLabels[0]);
  EXPECT_EQ(m_config.statusLabels[7], "Working Mode");  // only STATUSLABELS serves the outdoor unit
  // Positions sharing a built-in text share the entry.
  EXPECT_EQ(m_config.acLabels[0][3], "EEV");
  EXPECT_EQ(m_config.acLabels[0][4], "EEV");
  EXPECT_EQ(m_config.acLabels[0][6], "Spare A");
  EXPECT_EQ(m_config.acLabels[0][20], "Spare A");
  // Each set reads its own section.
  EXPECT_EQ(m_config.acLabels[0][1], "Mode of A");
  EXPECT_EQ(m_config.acLabels[1][1], "Mode of B");
  EXPECT_EQ(m_config.acLabels[2][1], "Working Mode");
  EXPECT_EQ(m_config.acLabels[1][3], "Expansion Valve");
}

TEST_F(LoggerConfigTest, LabelsWithEqualsSignsKeepTheirBuiltInText) {
  std::string text = "[STATUSLABELS]\n";
  const int statusWithEquals[] = {0, 6, 21, 23, 27, 31, 33, 42, 48, 66};
  for (int i : statusWithEquals) text += std::string(DefaultParamLabels[i]) + "=changed\n";
  text += "[ACLABELS0]\n";
  const int unitWithEquals[] = {0, 18, 19, 21};
  for (int i : unitWithEquals) text += std::string(DefaultParamLabels[70 + i]) + "=changed\n";
  LoadText(text);
  EXPECT_EQ(m_config.statusLabels, Builtins(0, 69));
  EXPECT_EQ(m_config.acLabels[0], Builtins(70, 40));
}

TEST_F(LoggerConfigTest, PositionsBeyondTheTableUseTheirIndex) {
  LoadText(
      "[CONFIG]\nSTATUSPARAMS=72\nACPARAMS=42\n"
      "[STATUSLABELS]\n71=Extra status\n"
      "[ACLABELS3]\n40=Extra ZIZU\n");
  ASSERT_EQ(m_config.statusLabels.size(), 72u);
  EXPECT_EQ(m_config.statusLabels[69], "69");  // entry 69 of the table is never used
  EXPECT_EQ(m_config.statusLabels[70], "70");
  EXPECT_EQ(m_config.statusLabels[71], "Extra status");
  ASSERT_EQ(m_config.acLabels[3].size(), 42u);
  EXPECT_EQ(m_config.acLabels[3][40], "Extra ZIZU");
  EXPECT_EQ(m_config.acLabels[3][41], "41");
  EXPECT_EQ(m_config.acLabels[0][40], "40");
}

TEST_F(LoggerConfigTest, HyphenEntryOfAclabels3RelabelsItsThirtyPositionsOnly) {
  LoadText("[ACLABELS3]\n-=Spare\n");
  int spare = 0;
  for (int i = 0; i < 40; ++i) {
    const bool hyphen = std::string(DefaultParamLabels[110 + i]) == "-";
    EXPECT_EQ(m_config.acLabels[3][i], hyphen ? "Spare" : DefaultParamLabels[110 + i]) << i;
    spare += hyphen;
  }
  EXPECT_EQ(spare, 30);
  for (int set = 0; set < 3; ++set) EXPECT_EQ(m_config.acLabels[set], Builtins(70, 40)) << set;
}

TEST_F(LoggerConfigTest, LongLabelsAreCutTo259Bytes) {
  const std::string value(300, 'L');
  LoadText("[STATUSLABELS]\nFan=" + value + "\n[ACLABELS2]\nDry Level=" + value + "\n");
  EXPECT_EQ(m_config.statusLabels[5], value.substr(0, 259));
  EXPECT_EQ(m_config.acLabels[2][32], value.substr(0, 259));
}

TEST_F(LoggerConfigTest, Utf8FileMatchesWindows1252BuiltIns) {
  // What a Linux editor writes: the degree sign as the two bytes C2 B0.
  LoadText(
      "\xEF\xBB\xBF[STATUSLABELS]\r\n"
      "Outdoor Air Temperature [\xC2\xB0"
      "F]=Outside air [\xC2\xB0"
      "F]\r\n");
  EXPECT_EQ(m_config.statusLabels[10], "Outside air [" + kDegreeF + "]");
}

TEST_F(LoggerConfigTest, Windows1252FileIsReadAsItIs) {
  LoadText(
      "[STATUSLABELS]\n"
      "Outdoor Air Temperature [" +
      kDegreeF + "]=Air ext\xE9rieur [" + kDegreeF + "]\n");
  EXPECT_EQ(m_config.statusLabels[10], "Air ext\xE9rieur [" + kDegreeF + "]");
}

TEST_F(LoggerConfigTest, NumDevicesTwoStillLoadsFourSets) {
  EXPECT_TRUE(LoadText("[CONFIG]\nNUMDEVICES=2\n").empty());
  EXPECT_EQ(m_config.numDevices, 2);
  EXPECT_EQ(m_config.ValuesPerRecord(), 69 + 2 * 40);
  for (int set = 0; set < 4; ++set) EXPECT_EQ(m_config.acLabels[set].size(), 40u) << set;
  EXPECT_TRUE(m_config.acLabels[4].empty());
}

TEST_F(LoggerConfigTest, ExtraUnitsGetLabelSetsOfTheirOwn) {
  EXPECT_TRUE(LoadText("[CONFIG]\nNUMDEVICES=7\n"
                       "[ACLABELS6]\nWorking Mode=Mode of G\n"
                       "[ACLABELS9]\nWorking Mode=unused\n")
                  .empty());
  EXPECT_EQ(m_config.numDevices, 7);
  for (int set = 4; set < 7; ++set) ASSERT_EQ(m_config.acLabels[set].size(), 40u) << set;
  EXPECT_EQ(m_config.acLabels[4], Builtins(70, 40));  // indoor built-ins, not ZIZU's
  EXPECT_EQ(m_config.acLabels[6][1], "Mode of G");
  for (int set = 7; set < 10; ++set) EXPECT_TRUE(m_config.acLabels[set].empty()) << set;

  LoadText("[CONFIG]\nNUMDEVICES=10\n");
  EXPECT_EQ(m_config.acLabels[9], Builtins(70, 40));

  // Units past the tenth are logged, not shown: no sets of their own.
  LoadText("[CONFIG]\nNUMDEVICES=12\n");
  EXPECT_EQ(m_config.acLabels[9], Builtins(70, 40));
  EXPECT_EQ(m_config.ShownUnitCount(), 10);
  EXPECT_EQ(m_config.ShownLayout().numDevices, 10);
  EXPECT_EQ(m_config.ValuesPerRecord(), 69 + 12 * 40);
}

TEST_F(LoggerConfigTest, IntegerValuesAsTheProfileReaderTakesThem) {
  struct Case {
    const char* name;
    std::string text;
    int32_t numDevices, statusParams, acParams, logEvery;
  };
  const Case cases[] = {
      {"SignsAndBlanks", "[config]\n numdevices = +3 \nStatusParams=\"70\"\nLOGEVERY=-2\n", 3, 70, 40, -2},
      {"LeadingDigits", "[CONFIG]\nACPARAMS=12 values\n", 4, 69, 12, 1},
      {"EmptyValuesGiveDefaults", "[CONFIG]\nNUMDEVICES=\nLOGEVERY=\n", 4, 69, 40, 1},
      {"LogEveryZeroAccepted", "[CONFIG]\nLOGEVERY=0\n", 4, 69, 40, 0},
      {"ZeroUnitsWithStatusValues", "[CONFIG]\nNUMDEVICES=0\n", 0, 69, 40, 1},
      {"NoStatusValuesWithUnits", "[CONFIG]\nSTATUSPARAMS=0\n", 4, 0, 40, 1},
      {"FirstDuplicateWins", "[CONFIG]\nNUMDEVICES=1\nNUMDEVICES=3\n", 1, 69, 40, 1},
      // Every layout a frame can carry is taken; the window shows ten units.
      {"MoreUnitsThanTheWindowShows", "[CONFIG]\nNUMDEVICES=12\n", 12, 69, 40, 1},
      {"BlocksLargerThanAnyRecordShows", "[CONFIG]\nSTATUSPARAMS=5000\nACPARAMS=3000\n", 4, 5000, 3000, 1},
      {"LargestFrame", "[CONFIG]\nSTATUSPARAMS=1073741821\nNUMDEVICES=0\n", 0, 1073741821, 40, 1},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(LoadText(c.text).empty()) << c.name;
    EXPECT_EQ(m_config.numDevices, c.numDevices) << c.name;
    EXPECT_EQ(m_config.statusParams, c.statusParams) << c.name;
    EXPECT_EQ(m_config.acParams, c.acParams) << c.name;
    EXPECT_EQ(m_config.logEvery, c.logEvery) << c.name;
  }
}

TEST_F(LoggerConfigTest, UnusableValuesAreReplacedAndReported) {
  struct Case {
    const char* name;
    std::string config;
    int32_t numDevices, statusParams, acParams, logEvery;
    std::string warning;  // after "<file>: "
  };
  const Case cases[] = {
      {"NumDevicesNegative", "NUMDEVICES=-1", 4, 69, 40, 1, "[CONFIG] NUMDEVICES=-1 is below 0; using 4"},
      {"NotANumber", "NUMDEVICES=four", 4, 69, 40, 1, "[CONFIG] NUMDEVICES=four is not a number; using 4"},
      {"LogEveryNotANumber", "LOGEVERY=x", 4, 69, 40, 1, "[CONFIG] LOGEVERY=x is not a number; using 1"},
      // 1073741821 values make a frame of 2147483646 bytes, the most its
      // receiver counts.
      {"StatusParamsPastAnyFrame", "STATUSPARAMS=1073741822", 4, 69, 40, 1,
       "[CONFIG] STATUSPARAMS=1073741822 is above 1073741821; using 69"},
      {"QuotedAsWrittenNotAsSaturated", "NUMDEVICES=99999999999", 4, 69, 40, 1,
       "[CONFIG] NUMDEVICES=99999999999 is above 1073741821; using 4"},
      {"AcParamsNegative", "ACPARAMS=-40", 4, 69, 40, 1, "[CONFIG] ACPARAMS=-40 is below 0; using 40"},
      {"RecordWithoutValues", "STATUSPARAMS=0\nACPARAMS=0", 4, 69, 40, 1,
       "[CONFIG] STATUSPARAMS=0, NUMDEVICES=4, ACPARAMS=0 give records without values; "
       "using STATUSPARAMS=69, NUMDEVICES=4, ACPARAMS=40"},
      {"NoUnitsNoStatus", "STATUSPARAMS=0\nNUMDEVICES=0\nACPARAMS=7", 4, 69, 40, 1,
       "[CONFIG] STATUSPARAMS=0, NUMDEVICES=0, ACPARAMS=7 give records without values; "
       "using STATUSPARAMS=69, NUMDEVICES=4, ACPARAMS=40"},
      {"RecordPastAnyFrame", "NUMDEVICES=100000\nACPARAMS=100000", 4, 69, 40, 1,
       "[CONFIG] STATUSPARAMS=69, NUMDEVICES=100000, ACPARAMS=100000 give records of 10000000069 values, "
       "more than a frame can carry (1073741821); using STATUSPARAMS=69, NUMDEVICES=4, ACPARAMS=40"},
      {"LongValueQuotedShort", "NUMDEVICES=" + std::string(100, 'z'), 4, 69, 40, 1,
       "[CONFIG] NUMDEVICES=" + std::string(40, 'z') + "... is not a number; using 4"},
  };
  for (const Case& c : cases) {
    const ConfigWarnings warnings = LoadText("[CONFIG]\n" + c.config + "\n");
    ASSERT_EQ(warnings.size(), 1u) << c.name;
    EXPECT_EQ(warnings[0], m_path + ": " + c.warning) << c.name;
    EXPECT_EQ(m_config.numDevices, c.numDevices) << c.name;
    EXPECT_EQ(m_config.statusParams, c.statusParams) << c.name;
    EXPECT_EQ(m_config.acParams, c.acParams) << c.name;
    EXPECT_EQ(m_config.logEvery, c.logEvery) << c.name;
    EXPECT_EQ(m_config.statusLabels.size(), static_cast<size_t>(m_config.statusParams)) << c.name;
  }
}

TEST_F(LoggerConfigTest, RawCaptureIsOnOnlyForOne) {
  struct Case {
    const char* name;
    std::string config;
    bool rawCapture;
    std::string warning;  // after "<file>: ", or none
  };
  const Case cases[] = {
      {"Absent", "", false, ""},
      {"Off", "RAWCAPTURE=0", false, ""},
      {"On", "RAWCAPTURE=1", true, ""},
      {"OnInAnyCase", "rawcapture = 1", true, ""},
      {"Two", "RAWCAPTURE=2", false, "[CONFIG] RAWCAPTURE=2 is above 1; using 0"},
      {"Negative", "RAWCAPTURE=-1", false, "[CONFIG] RAWCAPTURE=-1 is below 0; using 0"},
      {"Word", "RAWCAPTURE=yes", false, "[CONFIG] RAWCAPTURE=yes is not a number; using 0"},
  };
  for (const Case& c : cases) {
    m_config.rawCapture = !c.rawCapture;  // Load sets it either way
    const ConfigWarnings warnings = LoadText("[CONFIG]\n" + c.config + "\n");
    EXPECT_EQ(m_config.rawCapture, c.rawCapture) << c.name;
    if (c.warning.empty()) {
      EXPECT_TRUE(warnings.empty()) << c.name;
    } else {
      ASSERT_EQ(warnings.size(), 1u) << c.name;
      EXPECT_EQ(warnings[0], m_path + ": " + c.warning) << c.name;
    }
  }
}

TEST_F(LoggerConfigTest, LargeCountsGetLabelsForTheShownFieldsOnly) {
  EXPECT_TRUE(LoadText("[CONFIG]\nSTATUSPARAMS=1000000000\nNUMDEVICES=1\nACPARAMS=3000\n"
                       "[STATUSLABELS]\n2499=Last shown\n")
                  .empty());
  ASSERT_EQ(m_config.statusLabels.size(), 2500u);
  EXPECT_EQ(m_config.statusLabels[2499], "Last shown");
  EXPECT_EQ(m_config.acLabels[0].size(), 2500u);
  EXPECT_EQ(m_config.ValuesPerRecord(), 1000003000);
}

TEST_F(LoggerConfigTest, OversizedFileIsReportedAndIgnored) {
  LoadText("[CONFIG]\nNUMDEVICES=2\n");
  std::filesystem::resize_file(FsPath(m_path), 17 * 1024 * 1024);
  const ConfigWarnings warnings = m_config.Load(m_path);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0], m_path +
                             ": larger than 16777216 bytes, not read; "
                             "using the built-in settings and labels");
  EXPECT_EQ(m_config.numDevices, 4);
}

TEST_F(LoggerConfigTest, ReloadStartsFromScratch) {
  LoadText("[CONFIG]\nNUMDEVICES=6\nACPARAMS=2\n[STATUSLABELS]\nFan=F\n");
  LoadText("");
  EXPECT_EQ(m_config.statusLabels, Builtins(0, 69));
  EXPECT_TRUE(m_config.acLabels[5].empty());
  EXPECT_EQ(m_config.acLabels[0].size(), 40u);
}

TEST(LoggerConfigBesideExecutable, LoadReadsTheIniNamedAfterTheTestProgram) {
  const std::string executable = ExecutablePath();
  ASSERT_FALSE(executable.empty());
  EXPECT_EQ(FsPath(executable).stem(), "config_tests");
  const std::string iniPath = ConfigFilePathForExecutable(executable);
  ASSERT_EQ(FsPath(iniPath), FsPath(executable).replace_extension(".ini"));
  {
    std::ofstream ini(FsPath(iniPath), std::ios::trunc);
    ini << "[CONFIG]\nLOGEVERY=5\n";
  }
  LoggerConfig config;
  const ConfigWarnings warnings = config.Load();
  std::filesystem::remove(FsPath(iniPath));
  EXPECT_TRUE(warnings.empty());
  EXPECT_EQ(config.logEvery, 5);
}

}  // namespace
