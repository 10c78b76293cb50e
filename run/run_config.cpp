// Start-up configuration and its warnings.
#include "run/run_config.h"

#include "config/config_file_path.h"
#include "config/record_layout.h"
#include "platform/executable_path.h"

namespace {
constexpr std::string_view kConfigWarningsIntro =
    "Some settings of the configuration file cannot be used and were replaced:";
}  // namespace

RunConfig LoadRunConfig(const std::optional<std::string>& iniPath) {
  RunConfig loaded;
  loaded.path = iniPath ? *iniPath : FindConfigFile(ExecutablePath());
  loaded.warnings = loaded.config.Load(loaded.path);
  const LoggerConfig& config = loaded.config;
  if (config.ValuesPerRecord() > kMaxRecordFields) {
    loaded.warnings.push_back("[CONFIG] STATUSPARAMS=" + std::to_string(config.statusParams) +
                              ", NUMDEVICES=" + std::to_string(config.numDevices) +
                              ", ACPARAMS=" + std::to_string(config.acParams) + " give records of " +
                              std::to_string(config.ValuesPerRecord()) + " values; values past the " +
                              std::to_string(kMaxRecordFields) + "th are logged but not shown");
  }
  return loaded;
}

std::string ConfigWarningsText(const ConfigWarnings& warnings) {
  std::string text(kConfigWarningsIntro);
  for (const std::string& warning : warnings) text += "\n" + warning;
  return text;
}
