// Per-user key-value store where the settings remembered between runs are
// kept: the registry under HKEY_CURRENT_USER on Windows, a folder of files
// in the program's configuration folder on Linux.
//
// A key path such as "Software\TessamPlenxLogger" names the key; its parts
// are separated by '\'. On Windows it is that key under HKEY_CURRENT_USER,
// and each value a text value (REG_SZ) whose bytes are taken as WTF-8 (see
// wide_text.h), so that a file name keeps every character. On Linux the
// key is a chain of folders under SettingsStoreFolder()
// (Software/TessamPlenxLogger/) and each value one file named after the
// value, holding its raw bytes. Nothing is cached: every call opens the key
// afresh. Only one thread at a time may call these; several processes may
// (the last write wins).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Where the store keeps its keys, for messages: on Linux its folder,
// UserConfigFolder() (which also holds the serial port links, see
// serial_port_name.h), empty when no home folder is known; on Windows
// "HKEY_CURRENT_USER".
std::string SettingsStoreFolder();

// Reads value valueName of key keyPath into bytes. False, with bytes empty,
// when the key or value does not exist, cannot be read, or holds more than
// maxBytes bytes (a value larger than the caller's buffer is refused
// whole); on Linux also when the value is not a plain file. Never blocks on
// a device or FIFO put in the value's place. On Windows a text value
// (REG_SZ, REG_EXPAND_SZ) reads as its WTF-8 bytes, its terminating zero
// included as a zero byte when it has one; any other type as its raw bytes.
bool ReadSettingValue(std::string_view keyPath, std::string_view valueName, size_t maxBytes,
                      std::string& bytes);

// Stores bytes as value valueName of key keyPath, creating the key when
// missing. A crash, a power cut or a full disk leaves the old value or the
// new one, never a torn one, and the new one once the call has returned
// true. On Windows the registry writes a value whole and flushes its key. On
// Linux the key's folders are made with mode 0700, and the bytes go to a
// hidden temporary file beside the value (".<valueName>.XXXXXX", locked
// while written) that is flushed and renamed over it, and the rename is
// flushed too; temporary files of the value that a killed writer left are
// removed by the next write. False when nothing was stored.
bool WriteSettingValue(std::string_view keyPath, std::string_view valueName, std::string_view bytes);
