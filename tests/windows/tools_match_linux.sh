#!/usr/bin/env bash
# The Windows programs under Wine against the Linux build's: the same input
# gives byte for byte the same records (plenx-decode), CSV (plenx-export),
# ZIP archives (plenx-zip) and frames on a serial port (plenx-board-sim
# --device COM8, read at the null-modem pair's other end).
# Usage: tools_match_linux.sh LINUX_BIN WINDOWS_BIN WINE_RUN DOSDEVICES
set -euo pipefail
linux=$1
windows=$2
wine=$3
dosdevices=$4
# Wine hands the Linux command line over to the programs in this encoding.
export LC_ALL=C.UTF-8

work=$(mktemp -d)
echo "work folder: $work"
# PLENX_KEEP_WORK=1 keeps the inputs and outputs for a look.
[ -n "${PLENX_KEEP_WORK:-}" ] || trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0
same() {  # same WHAT FILE1 FILE2
  if cmp -s "$2" "$3"; then
    echo "same: $1"
  else
    echo "DIFFERENT: $1 ($2 and $3: $(cmp "$2" "$3" 2>&1 | head -1))"
    failures=$((failures + 1))
  fi
}

# A capture of the line: frames of the default layout (229 values) for all
# five unit indexes, with noise, a frame with a bad checksum and one cut off.
python3 - <<'PY'
import random
random.seed(30)
def pair(x):
    return bytes([x // 255, x % 255])
def frame(unit, values):
    body = bytes([0xFF, 0xF0 + unit]) + b"".join(pair(v + 32512) for v in values)
    return body + pair(sum(body) & 0x7FFF)
out = bytearray(b"\x00\x13noise")
for i in range(60):
    out += frame(i % 5, [random.randint(-32512, 32767) if i % 7 == 0 else random.randint(-50, 900)
                         for _ in range(229)])
    if i == 20:
        out[-1] ^= 1  # bad checksum
    if i == 40:
        out += frame(1, [1] * 229)[:100]  # cut off
open("capture.bin", "wb").write(out)
PY

"$linux/plenx-decode" capture.bin >linux.records
"$wine" "$windows/plenx-decode.exe" capture.bin >windows.records
same "plenx-decode records" linux.records windows.records
"$wine" "$windows/plenx-decode.exe" - <capture.bin >windows-stdin.records
same "plenx-decode records from standard input" linux.records windows-stdin.records

# A log of those records, named beyond any ANSI code page.
log="Mésures Ω.log"
python3 - "$log" <<'PY'
import sys
lines = open("linux.records").read().splitlines()
with open(sys.argv[1], "w", newline="") as out:
    for i, line in enumerate(lines):
        out.write("2015/03/07-14:%02d:%02d.%03d   -   %s\r\n" % (i // 60, i % 60, i * 7 % 1000, line.split("\t")[1]))
    out.write("not a log line\r\n")
PY
printf '[CONFIG]\r\nNUMDEVICES=4\r\n[STATUSLABELS]\r\nOutdoor Air Temperature [\xb0F]=Outside air [\xb0F]\r\n' >site.ini
"$linux/plenx-export" --ini site.ini "$log" >linux.csv 2>linux-export.err
"$wine" "$windows/plenx-export.exe" --ini site.ini "$log" >windows.csv 2>windows-export.err
same "plenx-export CSV" linux.csv windows.csv
same "plenx-export warnings" linux-export.err windows-export.err
"$linux/plenx-export" --ini site.ini --values --from 2015-03-07T14:00:10 "$log" -o linux-values.csv 2>/dev/null
"$wine" "$windows/plenx-export.exe" --ini site.ini --values --from 2015-03-07T14:00:10 "$log" \
  -o windows-values.csv 2>/dev/null
same "plenx-export --values -o" linux-values.csv windows-values.csv

# The archives record the sources' times. Under Wine a file's creation time
# is its modification time, on Linux its birth time: both are set equal, and
# the access time an hour ahead, after every other time, so that no read
# moves it.
for source in "$log" capture.bin site.ini; do
  born=$(stat -c %W "$source")
  [ "$born" -gt 0 ] || born=$(stat -c %Z "$source")
  touch -m -d "@$born" "$source"
  touch -a -d "@$(($(date +%s) + 3600))" "$source"
done
mkdir linux windows
(cd linux && "$linux/plenx-zip" out.zip "../$log" --as 'logs\raw.bin' ../capture.bin ../site.ini >zip.out)
(cd windows && "$wine" "$windows/plenx-zip.exe" out.zip "../$log" --as 'logs\raw.bin' ../capture.bin ../site.ini >zip.out)
same "plenx-zip archive" linux/out.zip windows/out.zip
same "plenx-zip report" linux/zip.out windows/zip.out

# The simulator on a serial port: plenx-board-sim.exe --device COM8 under
# Wine, read at COM9's terminal here, against the Linux simulator on a
# pseudo-terminal of its own, with the same seed.
frames=12
bytes=$((frames * (2 * 229 + 4)))
read_terminal() {  # read_terminal TERMINAL OUT: prints "ready", then reads the frames' bytes
  python3 - "$1" "$2" "$bytes" <<'PY'
import os, select, sys, time
# Raw already (the simulator and the relay made it so); setting it again
# would flush what is waiting.
fd = os.open(sys.argv[1], os.O_RDONLY | os.O_NOCTTY)
print("ready", flush=True)
data = b""
deadline = time.time() + 60
while len(data) < int(sys.argv[3]) and time.time() < deadline:
    if select.select([fd], [], [], 0.5)[0]:
        try:
            data += os.read(fd, 4096)
        except OSError:  # the far end hung up
            break
open(sys.argv[2], "wb").write(data)
PY
}
sim_options=(--frames "$frames" --seed 5 --interval-ms 30)
# The Linux simulator keeps what it wrote in its terminal until it is read.
mkfifo linux-sim.out ready
"$linux/plenx-board-sim" "${sim_options[@]}" >linux-sim.out &
simulator=$!
exec 3<linux-sim.out
read -r terminal <&3
read_terminal "$terminal" linux.frames >/dev/null
wait "$simulator" || true
exec 3<&-
read_terminal "$(readlink -f "$dosdevices/com9")" windows.frames >ready &
reader=$!
read -r _ <ready
"$wine" "$windows/plenx-board-sim.exe" --device COM8 "${sim_options[@]}" >windows-sim.out
wait "$reader"
same "plenx-board-sim frames" linux.frames windows.frames
[ -s linux.frames ] || { echo "no frames came"; failures=$((failures + 1)); }

[ "$failures" -eq 0 ]
