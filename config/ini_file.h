// Reader of the configuration's INI files: sections, keys and values by the
// line rules below, names matched regardless of case.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

// The sections and keys of one INI text.
//
// Line rules: lines end in LF or CR LF; blanks (space, tab, CR, VT, FF) around
// a line, a key and a value are trimmed; a line whose first non-blank is ';'
// is a comment; "[name]" starts a section (text after the ']' is ignored); a
// '[' line without ']' is not a header and the keys after it belong to no
// section until the next header; a key line is split at its first '=', so
// keys never contain '='; a value enclosed in a matching pair of '"' or '\''
// loses them; lines without '=', with an empty key or before the first
// header match nothing. Any bytes are accepted, NUL included.
//
// Section and key names match regardless of case (Windows-1252 letters). The
// first occurrence of a key wins, also when its section header appears again
// further down the file.
class IniFile {
 public:
  // Parses text, whose bytes are already in the program's code page.
  static IniFile Parse(std::string_view text);

  // The value of key in section, or nullopt when the file has no such key.
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;

 private:
  using Keys = std::unordered_map<std::string, std::string>;
  // Lower-cased section name -> lower-cased key -> value.
  std::unordered_map<std::string, Keys> m_sections;
};

// The integer of a configuration value: an optional sign followed by
// decimal digits; whatever follows the digits is ignored ("12abc" is 12).
// Values beyond the 32-bit range saturate at its ends. nullopt when no digit
// follows the sign (an empty or non-numeric value).
std::optional<int32_t> ParseProfileInt(std::string_view value);

// Turns a configuration file's bytes into the program's code page: a file
// that is well-formed UTF-8 (what a Linux editor writes) is converted to
// Windows-1252, characters the code page lacks becoming '?'; any other file
// is taken as Windows-1252 already and kept as it is. A leading UTF-8
// byte-order mark is dropped in either case.
std::string DecodeConfigText(std::string_view bytes);

// Largest configuration file that is read; a larger one is refused.
inline constexpr int64_t kMaxConfigFileBytes = 16 * 1024 * 1024;

enum class IniReadStatus {
  kRead,         // the file was read
  kUnavailable,  // missing, or not a regular file
  kUnreadable,   // there, but its open or read failed (error says why)
  kTooLarge,     // larger than kMaxConfigFileBytes; not read
};

struct IniReadResult {
  IniReadStatus status = IniReadStatus::kUnavailable;
  IniFile file;   // empty unless status is kRead
  int error = 0;  // the errno of kUnreadable
};

// Reads and parses the file at path (bytes as the file system has them),
// decoding its text with DecodeConfigText.
IniReadResult ReadIniFile(const std::string& path);
