#!/usr/bin/env bash
# The unattended run of plenx-logger.exe under Wine against the Linux
# build's: each logs COM9 for a few seconds while plenx-board-sim feeds the
# same frames into COM8 of a null-modem pair (the Wine session's for
# Windows, a relay of its own for Linux). The exit status, the views
# printed, the log's lines (time stamps aside) and the archive's entry must
# be the same. Then Ctrl+C (Wine turns SIGINT into it) must end a Windows
# run as Stop does, with the log archived.
# Usage: headless_matches_linux.sh LINUX_BIN WINDOWS_BIN WINE_RUN RELAY
set -euo pipefail
linux=$1
windows=$2
wine=$3
relay=$4
export LC_ALL=C.UTF-8

# Long enough for the frames to arrive under load; the run ends after it.
run_seconds=8
frames=7
sim_options=(--frames "$frames" --seed 11 --interval-ms 30)
# A log line's time stamp and separator: "2026/12/11-06:26:07.925   -   ".
stamp_bytes=30

work=$(mktemp -d)
echo "work folder: $work"
relay_pid=
cleanup() {
  [ -z "$relay_pid" ] || kill "$relay_pid" 2>/dev/null || true
  [ -n "${PLENX_KEEP_WORK:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
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
# wait_for FILE TEXT: until FILE holds TEXT, at most a minute.
wait_for() {
  for _ in $(seq 600); do
    grep -qF "$2" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  echo "never came in $1: $2"
  cat "$1"
  return 1
}
# The records of a log, without their time stamps.
records() { cut -c "$((stamp_bytes + 1))-" "$1"; }

# Linux: its own null-modem pair, COM9 mapped to the logger's end.
mkdir -p linux/ports linux/config/plenx-logger linux/state
setsid "$relay" "$work/linux/ports" </dev/null >relay.out 2>&1 &
relay_pid=$!
wait_for relay.out ready
mkdir linux/config/plenx-logger/ports
ln -s "$(readlink -f linux/ports/com9)" linux/config/plenx-logger/ports/COM9
(cd linux && XDG_CONFIG_HOME="$work/linux/config" XDG_STATE_HOME="$work/linux/state" \
  "$linux/plenx-logger" --headless --port COM9 --log site.log --seconds "$run_seconds" \
  >views.txt 2>notes.txt; echo $? >status) &
logger=$!
wait_for linux/notes.txt "run started"
"$linux/plenx-board-sim" --device "$(readlink -f linux/ports/com8)" "${sim_options[@]}" >/dev/null
wait "$logger"
kill "$relay_pid"
relay_pid=

# Windows: the Wine session's pair.
mkdir windows
(cd windows && "$wine" "$windows/plenx-logger.exe" --headless --port COM9 --log site.log \
  --seconds "$run_seconds" >views.txt 2>notes.txt; echo $? >status) &
logger=$!
wait_for windows/notes.txt "run started"
"$wine" "$windows/plenx-board-sim.exe" --device COM8 "${sim_options[@]}" >/dev/null
wait "$logger"

same "exit status" linux/status windows/status
[ "$(wc -l <linux/site.log)" -eq "$frames" ] ||
  { echo "the Linux log has $(wc -l <linux/site.log) lines, not $frames"; failures=$((failures + 1)); }
records linux/site.log >linux/records
records windows/site.log >windows/records
same "log lines, time stamps aside" linux/records windows/records
same "views" linux/views.txt windows/views.txt
for side in linux windows; do
  archives=("$side"/*_site.zip)
  unzip -Z1 "${archives[0]}" >"$side/entries"
  unzip -p "${archives[0]}" site.log >"$side/archived.log"
  cmp -s "$side/archived.log" "$side/site.log" ||
    { echo "DIFFERENT: $side archive and log"; failures=$((failures + 1)); }
done
same "archive entries" linux/entries windows/entries

# Ctrl+C ends a Windows run: the log is archived and the status is a run's.
mkdir ctrl-c
(cd ctrl-c && "$wine" "$windows/plenx-logger.exe" --headless --port COM9 --log ctrl-c.log \
  >views.txt 2>notes.txt; echo $? >status) &
logger=$!
wait_for ctrl-c/notes.txt "run started"
"$wine" "$windows/plenx-board-sim.exe" --device COM8 --frames 2 --seed 3 --interval-ms 30 >/dev/null
for _ in $(seq 600); do
  [ "$(wc -l <ctrl-c/ctrl-c.log)" -ge 2 ] && break
  sleep 0.1
done
program=$(pgrep -f '^/.*plenx-logger\.exe --headless --port COM9 --log ctrl-c\.log')
kill -INT "$program"
wait "$logger"
[ "$(cat ctrl-c/status)" = 0 ] || { echo "Ctrl+C: status $(cat ctrl-c/status)"; failures=$((failures + 1)); }
archives=(ctrl-c/*_ctrl-c.zip)
if [ -f "${archives[0]}" ] && [ "$(unzip -p "${archives[0]}" ctrl-c.log | wc -l)" -eq 2 ]; then
  echo "Ctrl+C: the run stopped and its log was archived"
else
  echo "Ctrl+C: no archive of the log's two lines"
  cat ctrl-c/notes.txt
  failures=$((failures + 1))
fi

[ "$failures" -eq 0 ]
