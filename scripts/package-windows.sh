#!/usr/bin/env bash
# Makes the portable Windows package
# build-windows/plenx-logger-<version>-win64.zip: the programs of the
# Windows build (stripped), a short read-me and the licence, in a folder of
# the package's name, packed by our own ZIP writer (plenx-zip, built for
# this machine in build-windows-host/) and checked with unzip. The files'
# times are the last commit's, so the same sources give the same archive.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build-windows.sh

cmake -S . -B build-windows-host -DCMAKE_BUILD_TYPE=Release -DPLENX_BUILD_WINDOW=OFF \
  -DPLENX_BUILD_TESTS=OFF -DPLENX_BUILD_BENCH=OFF >/dev/null
cmake --build build-windows-host -j"$(nproc)" --target plenx-zip

if [ -z "${SOURCE_DATE_EPOCH:-}" ] && git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
fi
: "${SOURCE_DATE_EPOCH:=$(date +%s)}"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' build-windows/CMakeCache.txt)
name="plenx-logger-$version-win64"
stage=build-windows/package
rm -rf "$stage" "build-windows/$name.zip"
mkdir -p "$stage/$name"
for program in plenx-logger plenx-decode plenx-zip plenx-export plenx-board-sim; do
  x86_64-w64-mingw32-strip -o "$stage/$name/$program.exe" "build-windows/bin/$program.exe"
done
# Text files with Windows line ends, as Notepad shows them best.
sed -e "s/@VERSION@/$version/" -e 's/$/\r/' res/windows/README.txt >"$stage/$name/README.txt"
sed -e 's/$/\r/' LICENSE >"$stage/$name/LICENSE.txt"
touch -d "@$SOURCE_DATE_EPOCH" "$stage/$name"/*

entries=()
for file in "$stage/$name"/*; do
  entries+=(--as "$name/$(basename "$file")" "$file")
done
build-windows-host/bin/plenx-zip "build-windows/$name.zip" "${entries[@]}" >/dev/null
unzip -tq "build-windows/$name.zip"
echo "Built build-windows/$name.zip"
