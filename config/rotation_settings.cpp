// Rotation settings as text, and remembered.
#include "config/rotation_settings.h"

#include <charconv>

#include "config/persisted_settings.h"

namespace {

constexpr const char* kRotateValueName = "Rotate";
constexpr const char* kKeepDaysValueName = "KeepDays";
constexpr const char* kMinFreeValueName = "MinFreeMB";
constexpr std::string_view kDaily = "daily";
constexpr std::string_view kNone = "none";
constexpr std::string_view kSizePrefix = "size:";

struct SizeUnit {
  char suffix;
  int shift;  // bits: the unit is 2^shift bytes
};
// Largest first, so that RotationText picks the largest whole unit.
constexpr SizeUnit kSizeUnits[] = {{'G', 30}, {'M', 20}, {'k', 10}};

// A whole decimal number of type T, all of text, else nothing.
template <typename T>
std::optional<T> ParseNumber(std::string_view text) {
  T value{};
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

// "N" or "N<suffix>" as bytes; nothing when it is no such number or
// overflows.
std::optional<uint64_t> ParseSize(std::string_view text) {
  int shift = 0;
  for (const SizeUnit& unit : kSizeUnits) {
    if (!text.empty() && text.back() == unit.suffix) {
      shift = unit.shift;
      text.remove_suffix(1);
      break;
    }
  }
  const std::optional<uint64_t> count = ParseNumber<uint64_t>(text);
  if (!count || *count > (kMaxRotateBytes >> shift)) return std::nullopt;
  return *count << shift;
}

}  // namespace

bool ParseRotation(std::string_view text, RotationSettings& settings, std::string& reason) {
  if (text == kDaily || text == kNone) {
    settings.rotate = text == kDaily ? RotationKind::kDaily : RotationKind::kNone;
    settings.rotateBytes = 0;
    return true;
  }
  if (text.starts_with(kSizePrefix)) {
    const std::optional<uint64_t> bytes = ParseSize(text.substr(kSizePrefix.size()));
    if (bytes && *bytes >= kMinRotateBytes) {
      settings.rotate = RotationKind::kSize;
      settings.rotateBytes = *bytes;
      return true;
    }
    reason = "the size in " + std::string(text) +
             " must be a number of bytes from 65536 (64k) up, with k, M or G for KiB, MiB or GiB";
    return false;
  }
  reason = std::string(text) + " is none of daily, size:N or none";
  return false;
}

std::string RotationText(const RotationSettings& settings) {
  switch (settings.rotate) {
    case RotationKind::kDaily:
      return std::string(kDaily);
    case RotationKind::kSize:
      for (const SizeUnit& unit : kSizeUnits) {
        if (settings.rotateBytes % (uint64_t{1} << unit.shift) == 0) {
          return std::string(kSizePrefix) + std::to_string(settings.rotateBytes >> unit.shift) + unit.suffix;
        }
      }
      return std::string(kSizePrefix) + std::to_string(settings.rotateBytes);
    case RotationKind::kNone:
      break;
  }
  return std::string(kNone);
}

RotationSettings ReadRotationSettings() {
  RotationSettings settings;
  std::string ignored;  // an unreadable rotation leaves the default
  ParseRotation(ReadTextSetting(kRotateValueName), settings, ignored);
  const std::optional<int> keepDays = ParseNumber<int>(ReadTextSetting(kKeepDaysValueName));
  if (keepDays && *keepDays >= 0 && *keepDays <= kMaxKeepDays) settings.keepDays = *keepDays;
  const std::optional<uint64_t> minFree = ParseNumber<uint64_t>(ReadTextSetting(kMinFreeValueName));
  if (minFree && *minFree <= kMaxMinFreeMB) settings.minFreeMB = *minFree;
  return settings;
}

void WriteRotationSettings(const RotationSettings& settings) {
  WriteTextSetting(kRotateValueName, RotationText(settings));
  WriteTextSetting(kKeepDaysValueName, std::to_string(settings.keepDays));
  WriteTextSetting(kMinFreeValueName, std::to_string(settings.minFreeMB));
}
