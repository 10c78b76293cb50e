// A folder of its own for targets that must hand the code under test a
// file path: made once per process under $TMPDIR (else /dev/shm or /tmp),
// removed with its contents at exit.
#pragma once

#include <string>
#include <string_view>

// The folder's path; a broken invariant when it cannot be made.
const std::string& ScratchFolder();

// Replaces the file name inside the scratch folder with bytes and returns
// its full path.
std::string WriteScratchFile(const std::string& name, std::string_view bytes);

// The whole content of the file at path.
std::string ReadWholeFile(const std::string& path);
