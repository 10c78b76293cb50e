// A small, strict ZIP reader that checks an archive as a tool opening it
// would: end record, central directory, local headers, data and CRC-32. It
// accepts the subset this project writes (one disk, no comments, no
// encryption, no data descriptors, no ZIP64, entries stored or deflated) and
// requires the local records to follow each other without gaps.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ZipEntryRead {
  std::string name;
  uint16_t method = 0;  // 0 stored, 8 deflated
  std::string content;  // inflated where deflated; its CRC-32 and size checked
};

// The entries of archive in central directory order, or nullopt with problem
// naming the first thing a reader would refuse.
std::optional<std::vector<ZipEntryRead>> ReadZipArchive(std::string_view archive, std::string& problem);
