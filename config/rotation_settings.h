// How a run left on site for days cuts its log into day files and keeps
// its disk from filling: the rotation, the days of archives kept and the
// free space guarded. Remembered between runs beside the port and log file
// name (persisted_settings.h), as the text values "Rotate", "KeepDays" and
// "MinFreeMB".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum class RotationKind : uint8_t {
  kNone,   // one log for the whole run, archived at Stop
  kDaily,  // a new log at local midnight, the day's archived
  kSize,   // a new log whenever the log would outgrow rotateBytes
};

// Free space kept on the log's disk when nothing else is said, in MB
// (MiB): room for about a day of log at the board's usual rate, and for
// archiving it.
inline constexpr uint64_t kDefaultMinFreeMB = 200;
// Smallest size a log may be cut at: below it, archives would outnumber
// the records worth keeping.
inline constexpr uint64_t kMinRotateBytes = 64 * 1024;
// Largest values accepted, to keep every computation with them in range.
inline constexpr uint64_t kMaxRotateBytes = uint64_t{1} << 50;
inline constexpr int kMaxKeepDays = 36500;
inline constexpr uint64_t kMaxMinFreeMB = uint64_t{1} << 30;

struct RotationSettings {
  RotationKind rotate = RotationKind::kNone;
  uint64_t rotateBytes = 0;  // kSize: the largest a log grows to
  // Archives of the log dated more than this many days before today are
  // removed; 0 keeps them all.
  int keepDays = 0;
  // The guard's limit; 0 turns it off.
  uint64_t minFreeMB = kDefaultMinFreeMB;

  bool operator==(const RotationSettings&) const = default;
};

// Reads a rotation as "daily", "none" or "size:N", N in bytes or with a
// suffix k, M or G for KiB, MiB or GiB ("size:100M"), from kMinRotateBytes
// to kMaxRotateBytes, into settings. False, with reason set (worded to
// follow "--rotate: "), when text is none of these; settings are then
// unchanged.
bool ParseRotation(std::string_view text, RotationSettings& settings, std::string& reason);
// The rotation as ParseRotation reads it, the size in whole units where it
// has them ("size:100M").
std::string RotationText(const RotationSettings& settings);

// The remembered settings; a value that is missing or out of range reads
// as its default.
RotationSettings ReadRotationSettings();
void WriteRotationSettings(const RotationSettings& settings);
