// zlib as an independent checker of raw deflate streams (RFC 1951, no
// wrapper): only the fuzz targets and the differential program use it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The bytes the stream inflates to, or nullopt with problem set when zlib
// rejects it, when it ends before its final block, or when bytes follow the
// final block. expectedSize is only a hint for the output buffer.
std::optional<std::string> InflateRaw(std::string_view stream, size_t expectedSize, std::string& problem);

// CRC-32 of bytes as zlib computes it.
uint32_t ZlibCrc32(std::string_view bytes);
