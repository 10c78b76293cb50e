// CRC-32 of the ZIP format (reflected polynomial 0xEDB88320), computed eight
// bytes at a time.
#pragma once

#include <cstddef>
#include <cstdint>

// Continues a CRC-32 over sizeBytes more bytes. Start with 0; the value
// returned after the last piece is the checksum that ZIP headers record, and
// feeding the data in any split gives the same result as feeding it whole.
uint32_t Crc32Update(uint32_t crc, const uint8_t* data, size_t sizeBytes);
