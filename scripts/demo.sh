#!/usr/bin/env bash
# Installs what the build needs, builds, and runs the logger's main job on a
# simulated control board: plenx-board-sim sends telemetry on a pseudo serial
# line mapped to COM9, with a compressor that trips 2 s in and restarts after
# a 5 s lock-out; plenx-logger runs unattended on it for a few seconds
# (writing the log), then stops the run as Stop does, packs the log into its
# dated ZIP archive and prints what its lists showed; plenx-export lists the
# events of the log. Everything, remembered settings included, stays in
# demo-output/; the user's own settings are not touched.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${DEMO_SECONDS:-10}
out=$PWD/demo-output
log=$out/plenx-demo.log

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target plenx-board-sim plenx-logger plenx-export

rm -rf "$out" && mkdir -p "$out"
export XDG_CONFIG_HOME=$out/config
export XDG_RUNTIME_DIR=$out/runtime
mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
mkdir -p "$XDG_CONFIG_HOME/plenx-logger/ports"

build/bin/plenx-board-sim --pty --seed 7 --scenario compressor-trip >"$out/sim-device.txt" &
sim=$!
trap 'kill "$sim" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  [ -s "$out/sim-device.txt" ] && break
  sleep 0.1
done
device=$(head -n 1 "$out/sim-device.txt")
ln -sfn "$device" "$XDG_CONFIG_HOME/plenx-logger/ports/COM9"
echo "Simulated control board on $device (COM9); logging for $seconds s..."

# Stop comes after $seconds s; the link takes 2.5 s more to close.
build/bin/plenx-logger --headless --port COM9 --log "$log" --seconds "$seconds" >"$out/views.txt"
kill "$sim" 2>/dev/null || true
wait "$sim" 2>/dev/null || true

echo "What the lists showed at Stop (also in $out/views.txt):"
cat "$out/views.txt"
echo
echo "$(wc -l <"$log") records logged in $log:"
cut -c 1-110 "$log" | sed 's/$/.../' | head -n 5
echo
echo "Events of the run, from the log (also in $out/events.csv):"
build/bin/plenx-export --events "$log" -o "$out/events.csv"
cat "$out/events.csv"
echo
archive=$(ls "$out"/*_plenx-demo.zip)
echo "Archive: $archive"
unzip -l "$archive"
