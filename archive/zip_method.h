// Chooses between storing and deflating an entry by its name.
#pragma once

#include <cstdint>
#include <string_view>

// plenx::zip::kMethodStored when the name's suffix (from its last "." to the
// end) is one of the already-compressed kinds .Z .zip .zoo .arc .lzh .arj
// .gz .tgz, compared without regard to case; plenx::zip::kMethodDeflated
// otherwise, including names without ".".
uint16_t CompressionMethodFor(std::string_view entryName);
