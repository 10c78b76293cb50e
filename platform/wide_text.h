// File names and texts between the program's 8-bit strings and the 16-bit
// units of Windows' wide-character calls.
//
// A Windows file name is a sequence of 16-bit units that need not be valid
// UTF-16: a surrogate may stand alone. The program holds such names as
// WTF-8, UTF-8 in which a lone surrogate is written like any other code
// point (three bytes, ED A0 80 to ED BF BF). Every unit sequence has exactly
// one WTF-8 form and comes back from it unchanged, so a name read from the
// system and handed back names the same file.
#pragma once

#include <string>
#include <string_view>

// The WTF-8 form of units.
std::string Wtf8FromUtf16(std::u16string_view units);

// The units of bytes read as WTF-8. A byte that does not start a well-formed
// sequence (text typed in Windows-1252, say) stands for its Windows-1252
// character, so no byte is ever dropped.
std::u16string Utf16FromWtf8(std::string_view bytes);
