// Which entry names are marked as UTF-8.
#include "archive/zip_name_flag.h"

#include <algorithm>

#include "archive/zip_format.h"
#include "platform/windows1252.h"

uint16_t NameEncodingFlag(std::string_view entryName) {
  const bool ascii = std::all_of(entryName.begin(), entryName.end(),
                                 [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
  return !ascii && IsValidUtf8(entryName) ? plenx::zip::kFlagUtf8Name : 0;
}
