// --rotate, --keep-days and --min-free on CLI11.
#include "upkeep/rotation_options.h"

#include <string>

void AddRotationOptions(CLI::App& app, RotationSettings& settings) {
  const CLI::Validator rotation(
      [&settings](std::string& text) {
        std::string reason;
        return ParseRotation(text, settings, reason) ? std::string() : reason;
      },
      "daily|size:N|none");
  app.add_option("--rotate",
                 "Start a new log at local midnight (daily) or before the log grows past N bytes "
                 "(size:N, with k, M or G for KiB, MiB or GiB), archiving the old one as Stop "
                 "does; none keeps one log (remembered; default none)")
      ->type_name("WHEN")
      ->check(rotation);
  app.add_option("--keep-days", settings.keepDays,
                 "Remove this log's archives dated more than N days before today; 0 keeps them all "
                 "(remembered; default 0)")
      ->type_name("N")
      ->check(CLI::Range(0, kMaxKeepDays));
  app.add_option("--min-free", settings.minFreeMB,
                 "When less than MB megabytes are free on the log's disk, remove this log's oldest archives, "
                 "then stop the raw capture; 0 turns this off (remembered; default " +
                     std::to_string(kDefaultMinFreeMB) + ")")
      ->type_name("MB")
      ->check(CLI::Range(uint64_t{0}, kMaxMinFreeMB));
}
