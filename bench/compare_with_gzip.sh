#!/usr/bin/env bash
# Times whole processes compressing each FILE, alternating them round by
# round so that a change in the machine's load hits all alike, and prints the
# median of the rounds as a Markdown table row per file:
#   deflate_bench --compress-file with one and with two search threads,
#   plenx-zip (the ZIP writer as the logger's Stop uses it),
#   gzip -8 -n, and libdeflate-gzip -8 (a reference only, different bytes).
# It first checks that the raw deflate data of both search modes equals
# gzip -8's (the gzip stream without its 10-byte header and 8-byte trailer).
#
#   bench/compare_with_gzip.sh BUILD_DIR ROUNDS FILE...
set -euo pipefail

build=$1
bench=$build/bench/deflate_bench
zip=$build/bin/plenx-zip
rounds=$2
shift 2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Prints "elapsed user+system" in seconds for the command.
measure() {
  /usr/bin/time -f "%e %U %S" -o "$scratch/time" "$@" >/dev/null 2>&1
  awk '{ printf "%s %.2f\n", $1, $2 + $3 }' "$scratch/time"
}

median() {
  sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

echo "| input | bytes | 1 thread: elapsed, CPU | 2 threads: elapsed, CPU | plenx-zip: elapsed, CPU | gzip -8: elapsed, CPU | libdeflate -8: elapsed, CPU | gzip / 1 thread (CPU) | gzip / 2 threads (elapsed) | gzip / plenx-zip (elapsed) | gzip / libdeflate (CPU) |"
echo "|---|---|---|---|---|---|---|---|---|---|---|"
for file in "$@"; do
  gzip -8 -n -c <"$file" | tail -c +11 | head -c -8 >"$scratch/gzip.raw"
  for threads in 1 2; do
    "$bench" --compress-file "$file" --output "$scratch/ours.raw" --threads "$threads" >/dev/null
    cmp -s "$scratch/gzip.raw" "$scratch/ours.raw" || { echo "$file: $threads thread(s) differ from gzip -8" >&2; exit 1; }
  done
  : >"$scratch/one" && : >"$scratch/two" && : >"$scratch/zip" && : >"$scratch/gzip" && : >"$scratch/libdeflate"
  for ((round = 0; round < rounds; round++)); do
    measure "$bench" --compress-file "$file" --threads 1 >>"$scratch/one"
    measure "$bench" --compress-file "$file" --threads 2 >>"$scratch/two"
    rm -f "$scratch/archive.zip"
    measure "$zip" "$scratch/archive.zip" "$file" >>"$scratch/zip"
    measure sh -c 'gzip -8 -n -c <"$1" >"$2"' sh "$file" "$scratch/out.gz" >>"$scratch/gzip"
    measure sh -c 'libdeflate-gzip -8 -c <"$1" >"$2"' sh "$file" "$scratch/out.gz" >>"$scratch/libdeflate"
  done
  row="| $(basename "$file") | $(stat -c %s "$file")"
  for tool in one two zip gzip libdeflate; do
    elapsed=$(cut -d' ' -f1 "$scratch/$tool" | median)
    cpu=$(cut -d' ' -f2 "$scratch/$tool" | median)
    eval "${tool}_elapsed=$elapsed ${tool}_cpu=$cpu"
    row="$row | $elapsed s, $cpu s"
  done
  ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
  row="$row | $(ratio "$gzip_cpu" "$one_cpu") | $(ratio "$gzip_elapsed" "$two_elapsed") | $(ratio "$gzip_elapsed" "$zip_elapsed") | $(ratio "$gzip_cpu" "$libdeflate_cpu") |"
  echo "$row"
done
