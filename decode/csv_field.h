// Fields of a CSV file as RFC 4180 has them, in UTF-8.
#pragma once

#include <cstddef>
#include <string>

// Turns the bytes out[start] to the end of out, a Windows-1252 text, into one
// CSV field in UTF-8: converted where a byte is not ASCII, and enclosed in
// double quotes, each of its own doubled, when it holds a comma, a double
// quote, a CR or an LF. Plain ASCII without those is left where it is, so
// the usual field costs one look at each byte.
void FinishCsvField(std::string& out, size_t start);

// The line end of every CSV row (RFC 4180).
inline constexpr const char* kCsvLineEnd = "\r\n";
