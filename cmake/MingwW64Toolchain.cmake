# Cross build for 64-bit Windows with Debian's mingw-w64 (package
# g++-mingw-w64-x86-64-posix: GCC 12 with the POSIX thread model, so that
# std::thread and std::mutex work). Use with
#   cmake -S . -B build-windows --toolchain cmake/MingwW64Toolchain.cmake
# scripts/build-windows.sh does that and builds.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(plenx_mingw_prefix x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${plenx_mingw_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${plenx_mingw_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${plenx_mingw_prefix}-windres)

# Libraries and headers come from the mingw-w64 tree only, never from the
# build machine's /usr; programs (code generators, checkers) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${plenx_mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every program is linked statically (the C++ runtime, libgcc and
# winpthreads included), so a .exe needs nothing but Windows' own DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Debug objects at -O0 make the static links of the test programs very slow;
# -Og keeps them debuggable.
set(CMAKE_C_FLAGS_DEBUG_INIT "-Og -g")
set(CMAKE_CXX_FLAGS_DEBUG_INIT "-Og -g")
