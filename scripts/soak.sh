#!/usr/bin/env bash
# The soak run of plenx-logger, outside the regular test time: FRAMES frames
# (default 100 000) from plenx-board-sim at full speed with 1 % corrupted
# frames and 1 % garbage between frames, written into a pseudo-terminal as
# fast as the logger reads them. Checks that the log holds exactly the valid
# records, in order, none twice (plenx-decode on the simulator's own stream
# says which they are), that the run ends as Stop ends it, and prints the
# logger's resident memory sampled every 0.5 s (all samples in
# <build>/soak/rss.tsv). With --asan the programs come from the
# AddressSanitizer build (build-asan/), and any LeakSanitizer or sanitizer
# report fails the run.
#
#   scripts/soak.sh [--asan] [--frames N] [--seed S]
set -euo pipefail
cd "$(dirname "$0")/.."

build=build
configure=()
passed=()
while [ $# -gt 0 ]; do
  case "$1" in
    --asan)
      build=build-asan
      configure=(-DPLENX_SANITIZE=address,undefined -DCMAKE_BUILD_TYPE=Debug)
      ;;
    --frames | --seed)
      [ $# -ge 2 ] || { echo "usage: scripts/soak.sh [--asan] [--frames N] [--seed S]" >&2; exit 2; }
      passed+=("$1" "$2")
      shift
      ;;
    *)
      echo "usage: scripts/soak.sh [--asan] [--frames N] [--seed S]" >&2
      exit 2
      ;;
  esac
  shift
done

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
if [ ! -e "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" "${configure[@]}" "${launcher[@]}" >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target plenx-logger plenx-board-sim plenx-decode >/dev/null

rm -rf "$build/soak"
export UBSAN_OPTIONS=print_stacktrace=1 ASAN_OPTIONS=detect_leaks=1
/usr/bin/time -f "soak: %e s elapsed" python3 scripts/soak.py --bin "$build/bin" --work "$build/soak" "${passed[@]}"
