// External file attributes of a ZIP entry, from the source's file status.
#pragma once

#include <cstdint>

#include "platform/file_status.h"

// DOS attributes in the low half and Unix-style type and owner permission
// bits in the high half: a writable regular file with the archive attribute
// gets 0x81800020. The owner-execute bit stands for a regular file whose
// owner may execute it.
uint32_t ExternalAttributes(const FileStatus& status);
