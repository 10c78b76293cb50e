// The two time forms a ZIP entry records, derived from a file time (100-ns
// intervals since 1601-01-01 UTC).
#pragma once

#include <cstdint>

// Unix time field of the extended timestamp: whole seconds since 1970-01-01
// UTC, truncated toward zero, low 32 bits.
uint32_t UnixTimeField(uint64_t fileTime);

// DOS time in the low 16 bits and DOS date in the high 16 bits, from the
// calendar fields in UTC (no conversion to local time):
// date = ((year - 1980) mod 128) * 512 + month * 32 + day,
// time = hour * 2048 + minute * 32 + second / 2.
uint32_t DosDateTime(uint64_t fileTime);
