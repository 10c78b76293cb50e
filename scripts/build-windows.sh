#!/usr/bin/env bash
# Cross-builds Plenx Logger's programs for 64-bit Windows into
# build-windows/bin/ (plenx-decode.exe, plenx-zip.exe, plenx-export.exe,
# plenx-board-sim.exe; static, so each needs no DLL) with Debian's mingw-w64,
# warnings as errors, and the core's test programs, which CTest runs under
# Wine: (cd build-windows && ctest --output-on-failure). Installs what it
# needs first. PLENX_LINUX_BIN_DIR, a Linux build's bin folder, adds the
# test that the Windows programs give the same bytes as those.
# PLENX_WINDOWS_BUILD_TYPE chooses the build type (default Release; Debug
# builds with -Og).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --windows

cmake -S . -B build-windows --toolchain cmake/MingwW64Toolchain.cmake \
  -DCMAKE_BUILD_TYPE="${PLENX_WINDOWS_BUILD_TYPE:-Release}" -DPLENX_WERROR=ON \
  -DPLENX_LINUX_BIN_DIR="${PLENX_LINUX_BIN_DIR:-}" >/dev/null
cmake --build build-windows -j"$(nproc)"
