#!/usr/bin/env bash
# Times whole processes compressing each FILE, alternating them round by
# round so that a change in the machine's load hits all alike, and prints the
# median of the rounds as Markdown table rows per file:
#   deflate_bench --compress-file with one search thread and with two workers,
#   plenx-zip (the ZIP writer as the logger's Stop uses it, its workers
#   decided from the CPUs and their load),
#   gzip -8 -n, and as references only (other bytes) libdeflate-gzip -8 and
#   pigz -8 -p 2.
# It first checks that the raw deflate data of both search modes equals
# gzip -8's (the gzip stream without its 10-byte header and 8-byte trailer).
# Each figure is elapsed seconds, user plus system CPU seconds, and the
# largest resident memory in MiB; the machine's load average is printed
# before and after each file.
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

# Appends "elapsed cpu maxrss_mib" of the command to the file $1.
measure() {
  local into=$1
  shift
  /usr/bin/time -f "%e %U %S %M" -o "$scratch/time" "$@" >/dev/null 2>&1
  awk '{ printf "%s %.2f %.1f\n", $1, $2 + $3, $4 / 1024 }' "$scratch/time" >>"$into"
}

median() {
  sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

tools="one two zip gzip libdeflate pigz"
echo "| input | bytes | 1 thread | 2 workers | plenx-zip | gzip -8 | libdeflate -8 | pigz -8 -p 2 |"
echo "|---|---|---|---|---|---|---|---|"
summary=""
for file in "$@"; do
  load_before=$(cut -d' ' -f1-3 /proc/loadavg)
  gzip -8 -n -c <"$file" | tail -c +11 | head -c -8 >"$scratch/gzip.raw"
  for threads in 1 2; do
    "$bench" --compress-file "$file" --output "$scratch/ours.raw" --threads "$threads" >/dev/null
    cmp -s "$scratch/gzip.raw" "$scratch/ours.raw" || { echo "$file: --threads $threads differs from gzip -8" >&2; exit 1; }
  done
  for tool in $tools; do : >"$scratch/$tool"; done
  for ((round = 0; round < rounds; round++)); do
    measure "$scratch/one" "$bench" --compress-file "$file" --threads 1
    measure "$scratch/two" "$bench" --compress-file "$file" --threads 2
    rm -f "$scratch/archive.zip"
    measure "$scratch/zip" "$zip" "$scratch/archive.zip" "$file"
    measure "$scratch/gzip" sh -c 'gzip -8 -n -c <"$1" >"$2"' sh "$file" "$scratch/out.gz"
    measure "$scratch/libdeflate" sh -c 'libdeflate-gzip -8 -c <"$1" >"$2"' sh "$file" "$scratch/out.gz"
    measure "$scratch/pigz" sh -c 'pigz -8 -p 2 -c <"$1" >"$2"' sh "$file" "$scratch/out.gz"
  done
  row="| $(basename "$file") | $(stat -c %s "$file")"
  for tool in $tools; do
    elapsed=$(cut -d' ' -f1 "$scratch/$tool" | median)
    cpu=$(cut -d' ' -f2 "$scratch/$tool" | median)
    memory=$(cut -d' ' -f3 "$scratch/$tool" | median)
    eval "${tool}_elapsed=$elapsed ${tool}_cpu=$cpu"
    row="$row | $elapsed s, $cpu s, $memory MiB"
  done
  echo "$row |"
  summary="$summary| $(basename "$file") | $(ratio "$gzip_elapsed" "$zip_elapsed") | $(ratio "$libdeflate_elapsed" "$zip_elapsed") | $(ratio "$pigz_elapsed" "$zip_elapsed") | $(ratio "$one_elapsed" "$two_elapsed") | $(ratio "$libdeflate_cpu" "$one_cpu") | $(ratio "$gzip_elapsed" "$two_elapsed") | load $load_before, then $(cut -d' ' -f1-3 /proc/loadavg) |
"
done
echo
echo "| input | gzip / plenx-zip | libdeflate / plenx-zip | pigz / plenx-zip | 1 thread / 2 workers | libdeflate / 1 thread (CPU) | gzip / 2 workers | load average |"
echo "|---|---|---|---|---|---|---|---|"
printf "%s" "$summary"
