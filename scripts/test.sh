#!/usr/bin/env bash
# Installs what the build needs, builds, and runs every test: the same tests
# under AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/), the
# link's tests under ThreadSanitizer (build-tsan/), and last the normal build
# (build/), whose CTest summary ends the output. --quick runs only the last.
set -euo pipefail
cd "$(dirname "$0")/.."

quick=0
[ "${1:-}" = "--quick" ] && quick=1
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

scripts/install-deps.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"

if [ "$quick" -eq 0 ]; then
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug \
    -DPLENX_SANITIZE=address,undefined -DPLENX_BUILD_BENCH=OFF >/dev/null
  cmake --build build-asan -j"$jobs"
  echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer =="
  (cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure -j"$jobs")
  # The link's reader thread shares its stop flag, target and records with
  # the caller; ThreadSanitizer checks that sharing on the link's tests.
  cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug \
    -DPLENX_SANITIZE=thread -DPLENX_BUILD_BENCH=OFF >/dev/null
  cmake --build build-tsan -j"$jobs" --target link_tests
  echo "== Link tests under ThreadSanitizer =="
  TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/link_tests --gtest_brief=1
fi

echo "== Tests =="
(cd build && ctest --output-on-failure -j"$jobs")
