#!/usr/bin/env bash
# Differential run of the deflate compressor against gzip -8, outside the
# regular tests: builds build/bin/deflate_differential and compresses
# generated inputs (600 MiB by default) and system files from /usr (500 MiB)
# with both, comparing the deflate data byte for byte, for the compressor
# with one search thread and with three worker threads (--threads, as often
# as wanted; 0 decides from the CPUs and their load). Prints each mismatch
# and a summary table; exits 1 on any mismatch. Options go to the program:
#
#   scripts/deflate-differential.sh [--generated-bytes N] [--system-bytes N]
#       [--system-root DIR]... [--seed S] [--max-file-bytes N]
#       [--scratch DIR] [--keep-mismatches DIR] [--threads N]...
set -euo pipefail
cd "$(dirname "$0")/.."

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
[ -f build/CMakeCache.txt ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
if ! cmake --build build -j"$(nproc)" --target deflate_differential >/dev/null; then
  echo "deflate-differential: build/bin/deflate_differential did not build; it needs libcli11-dev" >&2
  exit 1
fi
echo "gzip: $(gzip --version | head -n 1)"
exec build/bin/deflate_differential "$@"
