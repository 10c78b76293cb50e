// Where the ZIP writer switches to ZIP64 records: a count, size or offset
// above these limits is written to a ZIP64 record, with all ones in its
// ordinary field. Lowered only to check the ZIP64 records on small files.
#pragma once

#include <cstdint>

#include "archive/zip_format.h"
#include "archive/zip_writer.h"

struct ZipFieldLimits {
  // Largest entry count the end record holds as it is: all ones is the
  // escape, so 0xFFFF entries already need the ZIP64 end record.
  uint64_t maxCount16 = plenx::zip::kZip64Escape16 - 1;
  // Largest size or offset a 32-bit field holds as it is.
  uint64_t maxValue32 = plenx::zip::kZip64Escape32 - 1;
};

// ArchiveCreate with other limits than the format's own.
ArchiveHandle ArchiveCreateWithLimits(const char* archivePath, const ZipFieldLimits& limits,
                                      ArchiveError* error = nullptr);
