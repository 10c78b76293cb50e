// The Windows-1252 code page and UTF-8 decoding: the primitives shared by the
// configuration reader (files typed in UTF-8) and the window (Qt strings).
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

// True when bytes is well-formed UTF-8: no overlong forms, no surrogates,
// nothing above U+10FFFF. Pure ASCII (and the empty text) is valid UTF-8.
bool IsValidUtf8(std::string_view bytes);

// Decodes the UTF-8 sequence at bytes[pos] and advances pos past it;
// nullopt (pos unchanged) when the sequence is malformed or cut short.
std::optional<char32_t> DecodeUtf8Char(std::string_view bytes, size_t& pos);

// The Unicode code point of a Windows-1252 byte. The five bytes the code page
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control
// characters of the same number, so that every byte has a character.
char32_t Windows1252ToCodePoint(unsigned char byte);

// The Windows-1252 byte of a code point, the inverse of the above; -1 when
// the code page has none.
int CodePointToWindows1252(char32_t codePoint);
