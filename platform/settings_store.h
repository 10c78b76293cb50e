// Per-user key-value store in the program's configuration folder, where the
// settings remembered between runs are kept.
//
// Layout: a key path such as "Software\TessamPlenxLogger" is a chain of
// folders under SettingsStoreFolder() (Software/TessamPlenxLogger/), and each
// value is one file named after the value, holding its raw bytes. Nothing is
// cached: every call opens the folder and file afresh. Only one thread at a
// time may call these; several processes may (the last write wins).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The folder of the store: UserConfigFolder(), which also holds the serial
// port links (see serial_port_name.h). Empty when no home folder is known.
std::string SettingsStoreFolder();

// Reads value valueName of key keyPath (parts separated by '\') into bytes.
// False, with bytes empty, when the key or value does not exist, cannot be
// read, is not a plain file, or holds more than maxBytes bytes (a value
// larger than the caller's buffer is refused whole). Never blocks on a
// device or FIFO put in the value's place.
bool ReadSettingValue(std::string_view keyPath, std::string_view valueName, size_t maxBytes,
                      std::string& bytes);

// Stores bytes as value valueName of key keyPath, creating the key's folders
// (mode 0700) when missing. The bytes go to a hidden temporary file beside
// the value (".<valueName>.XXXXXX", locked while written) that is flushed
// and renamed over it, and the rename is flushed too: a crash, a power cut
// or a full disk leaves the old value or the new one, never a torn one, and
// the new one once the call has returned true. Temporary files of the value
// that a killed writer left are removed by the next write. False when
// nothing was stored.
bool WriteSettingValue(std::string_view keyPath, std::string_view valueName, std::string_view bytes);
