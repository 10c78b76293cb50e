// Loading of LoggerConfig from the INI file: counts with their range checks,
// and labels looked up under their own built-in texts.
#include "config/logger_config.h"

#include <optional>
#include <string_view>

#include "config/config_file_path.h"
#include "config/default_param_labels.h"
#include "config/ini_file.h"
#include "link/frame_format.h"
#include "platform/executable_path.h"
#include "platform/system_error_text.h"

namespace {

constexpr const char* kConfigSection = "CONFIG";
constexpr const char* kStatusLabelSection = "STATUSLABELS";
constexpr const char* kUnitLabelSectionPrefix = "ACLABELS";
// Set 3 is the ZIZU unit's; every other set takes the indoor unit labels.
constexpr int kZizuLabelSet = 3;
// Longest piece of a refused value quoted in a warning.
constexpr size_t kMaxQuotedValueLength = 40;

// Collects start-up warnings, each prefixed with the configuration file path.
class WarningList {
 public:
  WarningList(const std::string& path, ConfigWarnings& out) : m_path(path), m_out(out) {}

  // "<file>: [CONFIG] KEY=value <reason>; using <used>"
  void Refused(const char* key, std::string_view value, const std::string& reason, const std::string& used) {
    std::string quoted(value.substr(0, kMaxQuotedValueLength));
    if (value.size() > kMaxQuotedValueLength) quoted += "...";
    Add(std::string("[") + kConfigSection + "] " + key + "=" + quoted + " " + reason + "; using " + used);
  }

  void Add(const std::string& message) { m_out.push_back(m_path + ": " + message); }

 private:
  const std::string& m_path;
  ConfigWarnings& m_out;
};

// A CONFIG integer: absent or empty gives fallback; a value without digits
// gives fallback too and is reported.
int32_t ReadInteger(const IniFile& ini, const char* key, int32_t fallback, WarningList& warnings) {
  const std::optional<std::string> text = ini.Find(kConfigSection, key);
  if (!text || text->empty()) return fallback;
  const std::optional<int32_t> value = ParseProfileInt(*text);
  if (!value) {
    warnings.Refused(key, *text, "is not a number", std::to_string(fallback));
    return fallback;
  }
  return *value;
}

// Replaces a count outside [lowest, highest] by fallback, with a warning
// that quotes the value as the file has it (the number read may have been
// saturated or cut at its first non-digit).
void CheckRange(const IniFile& ini, const char* key, int32_t& value, int32_t lowest, int32_t highest,
                int32_t fallback, WarningList& warnings) {
  if (value >= lowest && value <= highest) return;
  const std::string reason =
      value < lowest ? "is below " + std::to_string(lowest) : "is above " + std::to_string(highest);
  const std::string written = ini.Find(kConfigSection, key).value_or(std::to_string(value));
  warnings.Refused(key, written, reason, std::to_string(fallback));
  value = fallback;
}

// A label is looked up under the same text that it gets when no line
// matches: its built-in text, or its index where the table has none.
std::string ReadLabel(const IniFile& ini, const std::string& section, const char* builtin, int index) {
  const std::string key = builtin != nullptr ? builtin : std::to_string(index);
  std::string label = ini.Find(section, key).value_or(key);
  if (label.size() > kMaxLabelLength) label.resize(kMaxLabelLength);
  return label;
}

std::vector<std::string> ReadLabelSet(const IniFile& ini, const std::string& section, int count,
                                      int builtinFirst, int builtinCount) {
  // A value past the record's shown fields never needs a label, so a huge
  // count costs no memory.
  if (count > kMaxRecordFields) count = kMaxRecordFields;
  std::vector<std::string> labels;
  labels.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    const char* builtin = i < builtinCount ? DefaultParamLabels[builtinFirst + i] : nullptr;
    labels.push_back(ReadLabel(ini, section, builtin, i));
  }
  return labels;
}

void Apply(const IniFile& ini, WarningList& warnings, LoggerConfig& config) {
  // All four are read before any is checked, so that the warnings name the
  // values that are not numbers first and the ranges after them.
  config.numDevices = ReadInteger(ini, "NUMDEVICES", kDefaultNumDevices, warnings);
  config.statusParams = ReadInteger(ini, "STATUSPARAMS", kDefaultStatusParams, warnings);
  config.acParams = ReadInteger(ini, "ACPARAMS", kDefaultAcParams, warnings);
  // LOGEVERY is taken as it is: 0 logs every record and a negative value has
  // its own meaning in the log step.
  config.logEvery = ReadInteger(ini, "LOGEVERY", kDefaultLogEvery, warnings);
  int32_t rawCapture = ReadInteger(ini, "RAWCAPTURE", kRawCaptureOff, warnings);

  // Any count a frame can carry is taken; the window shows what it can of it.
  using plenx::frame::kMaxFrameValues;
  CheckRange(ini, "NUMDEVICES", config.numDevices, 0, kMaxFrameValues, kDefaultNumDevices, warnings);
  CheckRange(ini, "STATUSPARAMS", config.statusParams, 0, kMaxFrameValues, kDefaultStatusParams, warnings);
  CheckRange(ini, "ACPARAMS", config.acParams, 0, kMaxFrameValues, kDefaultAcParams, warnings);
  CheckRange(ini, "RAWCAPTURE", rawCapture, kRawCaptureOff, kRawCaptureOn, kRawCaptureOff, warnings);
  config.rawCapture = rawCapture == kRawCaptureOn;
  const int64_t values = config.ValuesPerRecord();
  if (values < 1 || values > kMaxFrameValues) {
    // A frame needs at least one value and carries at most kMaxFrameValues;
    // the layout as a whole is refused.
    const std::string problem = values < 1 ? "give records without values"
                                           : "give records of " + std::to_string(values) +
                                                 " values, more than a frame can carry (" +
                                                 std::to_string(kMaxFrameValues) + ")";
    warnings.Add(std::string("[") + kConfigSection + "] STATUSPARAMS=" + std::to_string(config.statusParams) +
                 ", NUMDEVICES=" + std::to_string(config.numDevices) +
                 ", ACPARAMS=" + std::to_string(config.acParams) + " " + problem + "; using STATUSPARAMS=" +
                 std::to_string(kDefaultStatusParams) + ", NUMDEVICES=" + std::to_string(kDefaultNumDevices) +
                 ", ACPARAMS=" + std::to_string(kDefaultAcParams));
    config.statusParams = kDefaultStatusParams;
    config.numDevices = kDefaultNumDevices;
    config.acParams = kDefaultAcParams;
  }

  config.statusLabels =
      ReadLabelSet(ini, kStatusLabelSection, config.statusParams, kStatusLabelFirst, kStatusBuiltinCount);
  const int filledSets = config.numDevices > kBaseLabelSetCount ? config.numDevices : kBaseLabelSetCount;
  for (int set = 0; set < kShownUnitCount; ++set) {
    config.acLabels[set].clear();
    if (set >= filledSets) continue;
    const int builtinFirst = set == kZizuLabelSet ? kZizuLabelFirst : kIndoorLabelFirst;
    config.acLabels[set] = ReadLabelSet(ini, kUnitLabelSectionPrefix + std::to_string(set), config.acParams,
                                        builtinFirst, kUnitBuiltinCount);
  }
}

}  // namespace

ConfigWarnings LoggerConfig::Load() { return Load(FindConfigFile(ExecutablePath())); }

ConfigWarnings LoggerConfig::Load(const std::string& iniPath) {
  ConfigWarnings warnings;
  WarningList list(iniPath, warnings);
  IniReadResult read;
  if (!iniPath.empty()) read = ReadIniFile(iniPath);
  if (read.status == IniReadStatus::kTooLarge) {
    list.Add("larger than " + std::to_string(kMaxConfigFileBytes) +
             " bytes, not read; using the built-in settings and labels");
  } else if (read.status == IniReadStatus::kUnreadable) {
    list.Add("cannot be read: " + SystemErrorText(read.error) + "; using the built-in settings and labels");
  }
  Apply(read.file, list, *this);
  return warnings;
}
