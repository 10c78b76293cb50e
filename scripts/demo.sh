#!/usr/bin/env bash
# Installs what the build needs, builds, and runs the programs' main job on a
# simulated control board: plenx-board-sim sends telemetry on a pseudo serial
# line, the line is captured for a few seconds, plenx-decode turns the
# capture into records, and plenx-zip packs them as the logger packs its log.
# Output goes to demo-output/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${DEMO_SECONDS:-8}
out=demo-output

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target plenx-board-sim plenx-decode plenx-zip

rm -rf "$out" && mkdir -p "$out"
build/bin/plenx-board-sim --pty --seed 7 >"$out/sim-device.txt" &
sim=$!
trap 'kill "$sim" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  [ -s "$out/sim-device.txt" ] && break
  sleep 0.1
done
device=$(head -n 1 "$out/sim-device.txt")
echo "Simulated control board on $device; capturing the line for $seconds s..."
timeout "$seconds" cat "$device" >"$out/capture.bin" || true
kill "$sim" 2>/dev/null || true
wait "$sim" 2>/dev/null || true

build/bin/plenx-decode "$out/capture.bin" >"$out/records.txt"
echo "$(stat -c %s "$out/capture.bin") bytes captured, $(wc -l <"$out/records.txt") records decoded:"
cut -c 1-100 "$out/records.txt" | sed 's/$/.../' | head -n 5
build/bin/plenx-zip "$out/records.zip" "$out/records.txt"
unzip -l "$out/records.zip"
