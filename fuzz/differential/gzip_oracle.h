// gzip as the oracle of the differential run: the raw deflate data that
// `gzip -8 -n` writes for a file.
#pragma once

#include <optional>
#include <string>

// The deflate data of `gzip -8 -n -c < path`: its output without the 10-byte
// header and the 8-byte trailer. nullopt with problem set when gzip cannot be
// run, fails, or writes something that is not a plain gzip member.
std::optional<std::string> GzipDeflateData(const std::string& path, std::string& problem);
