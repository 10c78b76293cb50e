#!/usr/bin/env bash
# Installs what the build needs, checks the formatting, builds, and runs every
# test: the same tests under AddressSanitizer and UndefinedBehaviorSanitizer
# (build-asan/), the threaded code under ThreadSanitizer (build-tsan/), the
# Windows build (build-windows/, cross-built with mingw-w64) with the core's
# tests under Wine and its programs against the Linux ones, and last the
# normal build (build/, warnings as errors), whose CTest summary ends the
# output. --quick checks the formatting and runs only the normal build.
set -euo pipefail
cd "$(dirname "$0")/.."

quick=0
[ "${1:-}" = "--quick" ] && quick=1
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

if [ "$quick" -eq 0 ]; then
  scripts/install-deps.sh --windows
else
  scripts/install-deps.sh
fi

echo "== Formatting =="
scripts/check-format.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLENX_WERROR=ON >/dev/null
cmake --build build -j"$jobs"

if [ "$quick" -eq 0 ]; then
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug \
    -DPLENX_SANITIZE=address,undefined -DPLENX_BUILD_BENCH=OFF >/dev/null
  cmake --build build-asan -j"$jobs"
  echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer =="
  (cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    LSAN_OPTIONS="suppressions=$PWD/../scripts/lsan-suppressions.txt" \
    ctest --output-on-failure -j"$jobs")

  # The record path crosses threads: the link's reader thread hands a frame
  # to the run core, which gives it to every face there; the log writer,
  # the watchdog and Stop have threads of their own, and the window's face
  # posts through the framework's queue to the user-interface thread. The
  # link's, the run core's, the framework's and the dialog's tests all run
  # under ThreadSanitizer, and so does the whole program in the end-to-end
  # tests. The MQTT publisher hands records from the run's threads to its
  # own, and its tests run there too (libmosquitto is not instrumented
  # either). So do the archive compressor's worker threads, on inputs long
  # enough to start them (the larger tables of inputs run in the other
  # builds).
  # Qt is not built with it, so its own threads' accesses, and the locks it
  # takes without pthreads, are invisible; ignore_noninstrumented_modules
  # keeps the C library calls Qt makes out of the reports as well, while
  # every access and lock in our own code stays checked. The live page's
  # server threads, its face and its streams run under it too.
  cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug \
    -DPLENX_SANITIZE=thread -DPLENX_BUILD_BENCH=OFF >/dev/null
  tsan_tests=(link_tests run_tests ui_tests app_tests e2e_tests broker_tests page_tests)
  cmake --build build-tsan -j"$jobs" --target "${tsan_tests[@]}" archive_tests
  echo "== Threaded code under ThreadSanitizer =="
  for tests in "${tsan_tests[@]}"; do
    TSAN_OPTIONS="halt_on_error=1 ignore_noninstrumented_modules=1" \
      "build-tsan/tests/$tests" --gtest_brief=1
  done
  TSAN_OPTIONS="halt_on_error=1 ignore_noninstrumented_modules=1" build-tsan/tests/archive_tests --gtest_brief=1 \
    --gtest_filter='DeflateSpeculationTest.*-DeflateSpeculationTest.WorkersWriteTheStreamOfOneThread'
fi

if [ "$quick" -eq 0 ]; then
  # The programs of the normal build are what the Windows ones must match.
  echo "== Windows: the cross build, its tests under Wine =="
  PLENX_LINUX_BIN_DIR="$PWD/build/bin" scripts/build-windows.sh
  (cd build-windows && ctest --output-on-failure -j"$jobs")
fi

echo "== Tests =="
(cd build && ctest --output-on-failure -j"$jobs")
