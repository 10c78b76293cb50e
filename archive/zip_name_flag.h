// The general purpose flag a ZIP entry's name calls for.
#pragma once

#include <cstdint>
#include <string_view>

// kFlagUtf8Name when the stored name holds non-ASCII characters and is
// well-formed UTF-8 (a Linux file name such as "Kältetechnik.log"); 0 for
// an ASCII name, whose headers stay as they always were, and for bytes that
// are not UTF-8 (a Windows-1252 name), which readers must not take as UTF-8.
uint16_t NameEncodingFlag(std::string_view entryName);
