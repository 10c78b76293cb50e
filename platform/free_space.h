// Free space on a disk, for the guard that keeps a long run from filling it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The bytes this process may still write on the file system that holds
// path (a file or folder that exists): the space left to unprivileged users,
// not the root reserve. Nothing, with errno set, when it cannot be read.
std::optional<uint64_t> FreeBytesAt(const std::string& path);
