#!/usr/bin/env python3
"""Writes a log file as the logger writes it, from plenx-board-sim's frames.

The simulator sends RECORDS frames (seeded, unpaced) on a pseudo-terminal;
its bytes are captured raw, decoded by plenx-decode, and each record becomes
one log line: local time with milliseconds, three blanks, a hyphen, three
blanks, the record text, CR LF. Records are time-stamped one frame's wire
time apart (466 bytes at 9600 baud 8N1, about 485 ms), as a live run logs
them, starting from a fixed time, so the file is the same on every run.

    bench/make_simulator_log.py BIN_DIR OUT [--records 60000] [--seed 1]

60 000 default-layout records give about 35 MB.
"""
import argparse
import datetime
import os
import subprocess
import sys

# Default layout: 69 status values + 4 units x 40 values; 2 bytes per value
# plus the frame's type, length and checksum bytes make 466 bytes.
FRAME_BYTES = 466
BITS_PER_BYTE = 10  # 8N1: start bit, 8 data bits, stop bit
BAUD = 9600
FRAME_SECONDS = FRAME_BYTES * BITS_PER_BYTE / BAUD
FIRST_RECORD = datetime.datetime(2026, 3, 7, 8, 0, 0)


def capture_frames(bin_dir, records, seed):
    """Runs the simulator until it has sent every frame; returns the raw bytes."""
    sim = subprocess.Popen(
        [os.path.join(bin_dir, "plenx-board-sim"), "--pty", "--frames", str(records),
         "--interval-ms", "0", "--seed", str(seed)],
        stdout=subprocess.PIPE)
    device = sim.stdout.readline().decode().strip()
    # The simulator has set the terminal raw before printing its path.
    fd = os.open(device, os.O_RDONLY | os.O_NOCTTY)
    chunks = []
    try:
        while True:
            try:
                chunk = os.read(fd, 1 << 16)
            except OSError:  # EIO: the simulator closed its side
                break
            if not chunk:
                break
            chunks.append(chunk)
    finally:
        os.close(fd)
    if sim.wait() != 0:
        sys.exit("plenx-board-sim failed")
    return b"".join(chunks)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("bin_dir", help="folder holding plenx-board-sim and plenx-decode")
    parser.add_argument("out", help="log file to write")
    parser.add_argument("--records", type=int, default=60000)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()

    capture = capture_frames(args.bin_dir, args.records, args.seed)
    decoded = subprocess.run([os.path.join(args.bin_dir, "plenx-decode"), "-"], input=capture,
                             stdout=subprocess.PIPE, check=True).stdout
    lines = decoded.split(b"\n")[:-1]
    if len(lines) != args.records:
        sys.exit(f"expected {args.records} records, decoded {len(lines)}")
    with open(args.out, "wb") as log:
        for index, line in enumerate(lines):
            record = line.split(b"\t", 1)[1]
            stamp = FIRST_RECORD + datetime.timedelta(milliseconds=round(index * FRAME_SECONDS * 1000))
            head = stamp.strftime("%Y/%m/%d-%H:%M:%S.") + f"{stamp.microsecond // 1000:03d}   -   "
            log.write(head.encode() + record + b"\r\n")


if __name__ == "__main__":
    main()
