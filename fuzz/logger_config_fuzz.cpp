// Any bytes as the configuration file: loading never fails, and what it
// yields is always usable: the counts give records with values that a frame
// can carry, every label set has one label per value (up to the most fields
// a record shows), no label is longer
// than the limit or holds a line end, and every warning names the file and
// is one line.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/logger_config.h"
#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/scratch_folder.h"
#include "link/frame_format.h"

namespace {

void CheckLabels(const std::vector<std::string>& labels, size_t expectedCount, const std::string& set) {
  FUZZ_CHECK(labels.size() == expectedCount, set + " holds " + std::to_string(labels.size()) +
                                                 " labels, not " + std::to_string(expectedCount));
  for (const std::string& label : labels) {
    FUZZ_CHECK(label.size() <= kMaxLabelLength, set + " label of " + std::to_string(label.size()) + " bytes");
    FUZZ_CHECK(label.find('\n') == std::string::npos, set + " label holds a line end");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path =
      WriteScratchFile("plenx-logger.ini", std::string_view(reinterpret_cast<const char*>(data), size));
  LoggerConfig config;
  const ConfigWarnings warnings = config.Load(path);

  FUZZ_CHECK(config.numDevices >= 0, "NUMDEVICES " + std::to_string(config.numDevices));
  FUZZ_CHECK(config.statusParams >= 0, "STATUSPARAMS " + std::to_string(config.statusParams));
  FUZZ_CHECK(config.acParams >= 0, "ACPARAMS " + std::to_string(config.acParams));
  FUZZ_CHECK(config.ValuesPerRecord() >= 1, "records without values");
  FUZZ_CHECK(config.ValuesPerRecord() <= plenx::frame::kMaxFrameValues,
             "records of " + std::to_string(config.ValuesPerRecord()) + " values");

  CheckLabels(config.statusLabels, static_cast<size_t>(std::min(config.statusParams, kMaxRecordFields)),
              "STATUSLABELS");
  const int filledSets = std::max(config.numDevices, kBaseLabelSetCount);
  const auto setSize = static_cast<size_t>(std::min(config.acParams, kMaxRecordFields));
  for (int set = 0; set < kShownUnitCount; ++set) {
    CheckLabels(config.acLabels[set], set < filledSets ? setSize : 0, "ACLABELS" + std::to_string(set));
  }
  for (const std::string& warning : warnings) {
    FUZZ_CHECK(warning.starts_with(path + ": "), "warning does not name the file: " + warning);
    FUZZ_CHECK(warning.find('\n') == std::string::npos, "warning of more than one line: " + warning);
  }
  return 0;
}
