#!/usr/bin/env bash
# Builds the libFuzzer programs with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer (build-fuzz/), then runs each for SECONDS
# (default 60) from its committed seed corpus, and prints the executions per
# target. Inputs that reach new code are kept in build-fuzz/corpus/<target>/
# (a later run starts from them too); an input that breaks an invariant or
# trips a sanitizer is written to build-fuzz/artifacts/<target>/ and makes
# the script fail. Regression runs over the committed corpora need no clang:
# they are CTest tests of the normal build (fuzz_corpus.<target>).
#
#   scripts/fuzz.sh [SECONDS [TARGET...]]     (TARGET: e.g. deflate; default all)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "usage: scripts/fuzz.sh [SECONDS [TARGET...]]   (seconds per target, default 60)" >&2
  exit 2
fi
shift $(($# > 0 ? 1 : 0))
only=("$@")

# Longest input per target, where libFuzzer's 4096 bytes is too small: a full
# frame of the largest layout, a whole record, more than one deflate window.
max_len_of() {
  case "$1" in
    frame_decoder) echo 24000 ;;
    record_decode | zip_writer) echo 16384 ;;
    deflate) echo 65536 ;;
    *) echo 4096 ;;
  esac
}

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPLENX_BUILD_FUZZ=ON -DPLENX_BUILD_TESTS=OFF -DPLENX_BUILD_BENCH=OFF \
  -DPLENX_SANITIZE=address,undefined -DPLENX_BUILD_WINDOW=OFF -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target fuzzers

export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1
results=()
failed=0
for program in build-fuzz/bin/*_fuzz; do
  name=$(basename "$program" _fuzz)
  if [ ${#only[@]} -gt 0 ] && ! printf '%s\n' "${only[@]}" | grep -qx "$name"; then continue; fi
  seeds=fuzz/corpus/$name
  corpus=build-fuzz/corpus/$name
  artifacts=build-fuzz/artifacts/$name
  log=build-fuzz/$name.log
  mkdir -p "$corpus" "$artifacts"
  dict=()
  [ -e "fuzz/dict/$name.dict" ] && dict=(-dict="fuzz/dict/$name.dict")
  echo "== $name: $seconds s"
  status=0
  "$program" -max_total_time="$seconds" -max_len="$(max_len_of "$name")" -timeout=60 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "${dict[@]}" "$corpus" "$seeds" >"$log" 2>&1 || status=$?
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  per_second=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  seed_count=$(find "$seeds" -type f | wc -l)
  corpus_count=$(find "$corpus" -type f | wc -l)
  verdict=passed
  if [ "$status" -ne 0 ]; then
    verdict="FAILED (see $log and $artifacts/)"
    failed=1
    tail -n 30 "$log"
  fi
  results+=("$(printf '| %s | %s | %s | %s | %s | %s |' "$name" "$seed_count" "$corpus_count" \
    "${executions:-?}" "${per_second:-?}" "$verdict")")
done

echo
echo "Fuzzing, $seconds s per target:"
echo "| target | seed files | corpus after | executions | executions/s | result |"
echo "|---|---|---|---|---|---|"
printf '%s\n' "${results[@]}"
exit "$failed"
