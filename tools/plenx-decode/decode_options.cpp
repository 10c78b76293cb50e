// plenx-decode's options: the value count, by layout or directly, and the
// capture file.
#include "tools/plenx-decode/decode_options.h"

#include <optional>

#include "cli/command_line.h"

namespace {

// A bound far above any real layout, so a typo cannot ask for gigabytes.
constexpr int kMaxValueCount = 1'000'000;

constexpr const char* kUsage = "usage: plenx-decode [--layout S,N,A | --values N] [FILE|-]";

// The value count of an "S,N,A" layout, or nullopt when text is none or
// gives a count outside 1 to kMaxValueCount.
std::optional<int> LayoutValueCount(const std::string& text) {
  const std::optional<RecordLayout> layout = ParseRecordLayout(text);
  if (!layout) return std::nullopt;
  const int64_t count = RecordValueCount(*layout);
  if (count < 1 || count > kMaxValueCount) return std::nullopt;
  return static_cast<int>(count);
}

}  // namespace

void AddDecodeOptions(CLI::App& app, DecodeOptions& options) {
  app.description(
      "Decodes a raw capture of the control board's serial line and prints one\n"
      "line per valid frame: the unit index, a tab and the record text.");
  SetUpCommandLine(app, kUsage);
  const CLI::Validator layoutCheck(
      [](std::string& text) -> std::string {
        return LayoutValueCount(text) ? "" : "not a layout S,N,A of 1 to 1000000 values: " + text;
      },
      "");
  CLI::Option* layout =
      app.add_option_function<std::string>(
             "--layout",
             [&options](const std::string& text) { options.valueCount = *LayoutValueCount(text); })
          ->type_name("S,N,A")
          ->check(layoutCheck)
          ->description("values per frame S + N x A (default " + std::to_string(kDefaultStatusParams) + "," +
                        std::to_string(kDefaultNumDevices) + "," + std::to_string(kDefaultAcParams) + ": " +
                        std::to_string(options.valueCount) + " values)");
  CLI::Option* values = app.add_option("--values", options.valueCount, "values per frame")
                            ->type_name("N")
                            ->check(CLI::Range(1, kMaxValueCount));
  layout->excludes(values);
  app.add_option("FILE", options.input, "the capture; standard input when absent or -");
}
