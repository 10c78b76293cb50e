#!/usr/bin/env bash
# Installs what the build needs, builds, and runs the logger's main job on a
# simulated control board: plenx-board-sim sends telemetry on a pseudo serial
# line mapped to COM9, plenx-logger runs unattended on it for a few seconds
# (writing the log), and on SIGTERM stops the run and packs the log into its
# dated ZIP archive. Everything, remembered settings included, stays in
# demo-output/; the user's own settings are not touched.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${DEMO_SECONDS:-10}
out=$PWD/demo-output
log=$out/plenx-demo.log

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target plenx-board-sim plenx-logger

rm -rf "$out" && mkdir -p "$out"
export XDG_CONFIG_HOME=$out/config
export XDG_RUNTIME_DIR=$out/runtime
mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
settings=$XDG_CONFIG_HOME/plenx-logger/Software/TessamPlenxLogger
mkdir -p "$settings" "$XDG_CONFIG_HOME/plenx-logger/ports"
# The remembered port and log file, as the window stores them after a Start.
printf 'COM9\0' >"$settings/CommunicationPort"
printf '%s\0' "$log" >"$settings/LogFile"

build/bin/plenx-board-sim --pty --seed 7 >"$out/sim-device.txt" &
sim=$!
trap 'kill "$sim" "${logger:-}" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  [ -s "$out/sim-device.txt" ] && break
  sleep 0.1
done
device=$(head -n 1 "$out/sim-device.txt")
ln -sfn "$device" "$XDG_CONFIG_HOME/plenx-logger/ports/COM9"
echo "Simulated control board on $device (COM9); logging for $seconds s..."

build/bin/plenx-logger --headless --start &
logger=$!
sleep "$seconds"
echo "Stopping the run (the link takes 2.5 s to close)..."
kill -TERM "$logger"
wait "$logger"
kill "$sim" 2>/dev/null || true
wait "$sim" 2>/dev/null || true

echo "$(wc -l <"$log") records logged in $log:"
cut -c 1-110 "$log" | sed 's/$/.../' | head -n 5
archive=$(ls "$out"/*_plenx-demo.zip)
echo "Archive: $archive"
unzip -l "$archive"
