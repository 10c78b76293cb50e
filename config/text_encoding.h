// Conversions between UTF-8 as typed in a Linux editor and the program's
// 8-bit Windows-1252 texts.
#pragma once

#include <string>
#include <string_view>

#include "platform/windows1252.h"

// Converts well-formed UTF-8 to Windows-1252. A character the code page
// cannot hold becomes '?'.
// Input that is not well-formed UTF-8 is returned unchanged.
std::string Utf8ToWindows1252(std::string_view utf8);

// Appends text (Windows-1252) to out as UTF-8: ASCII as it is, every other
// byte as the UTF-8 form of its character (0xB0, the degree sign, becomes
// C2 B0; 0x80, the euro sign, E2 82 AC). The five bytes the code page
// leaves undefined become their C1 control characters.
void AppendWindows1252AsUtf8(std::string_view text, std::string& out);

// Appends text to out as UTF-8 the way the window reads a text: as it is
// when it is well-formed UTF-8 (a file name, a label typed in UTF-8), else
// as Windows-1252 (AppendWindows1252AsUtf8).
void AppendShownTextAsUtf8(std::string_view text, std::string& out);

// The lower-case form of one Windows-1252 byte: ASCII letters, the accented
// Latin letters 0xC0..0xDE (except the multiplication sign 0xD7) and the
// pairs 0x8A/0x9A, 0x8C/0x9C, 0x8E/0x9E, 0x9F/0xFF. Other bytes are kept.
char ToLowerWindows1252(char byte);

// text with every byte passed through ToLowerWindows1252.
std::string ToLowerWindows1252(std::string_view text);
