// Invariant checks of the fuzz targets: a broken one prints where and what
// and aborts, which libFuzzer and the corpus driver both report as a failure
// (in release builds too, unlike assert).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

[[noreturn]] inline void FuzzCheckFailed(const char* file, int line, const char* condition,
                                         const std::string& detail) {
  std::fprintf(stderr, "%s:%d: invariant broken: %s%s%s\n", file, line, condition, detail.empty() ? "" : ": ",
               detail.c_str());
  std::abort();
}

// FUZZ_CHECK(condition, detail): detail is anything a std::string can be
// made from, evaluated only when the check fails.
#define FUZZ_CHECK(condition, detail)                                          \
  do {                                                                         \
    if (!(condition)) FuzzCheckFailed(__FILE__, __LINE__, #condition, detail); \
  } while (false)
