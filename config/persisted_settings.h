// The two settings remembered between runs: the port and the log file name.
//
// Kept per user under key "Software\TessamPlenxLogger" of the settings store
// (platform/settings_store.h), values "CommunicationPort" and "LogFile", each
// an 8-bit text followed by a terminating zero byte. Every call opens the
// store afresh; nothing is ever reported: a value that is missing,
// unreadable or longer than 260 bytes reads as the empty text, and a write
// that fails leaves the stored value as it was. User-interface thread only.
#pragma once

#include <string>

// Stored "CommunicationPort", or the empty text. Returned as stored, even
// when it is not one of COM1..COM24.
std::string ReadPortSetting();
// Stores text as "CommunicationPort".
void WritePortSetting(const std::string& text);

// Stored "LogFile", or the empty text.
std::string ReadLogFileSetting();
// Stores text as "LogFile"; the empty text is stored too (a run without log).
void WriteLogFileSetting(const std::string& text);

// Any text value of the same key, stored and read by the same rules: the
// text up to its first zero byte, then a zero byte; a value stored without
// the zero byte reads whole, a missing or unreadable one as the empty text.
std::string ReadTextSetting(const char* valueName);
void WriteTextSetting(const char* valueName, const std::string& text);
