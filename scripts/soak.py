#!/usr/bin/env python3
"""One soak run of plenx-logger (scripts/soak.sh builds and calls it).

1. plenx-board-sim sends FRAMES frames at full speed (--interval-ms 0) with
   the given rates of corrupted frames and of garbage between frames; its
   pseudo-terminal is read to the end into BIN_DIR/../soak/stream.bin.
2. plenx-decode turns that capture into the valid records, in order: what
   the log must hold.
3. plenx-logger --headless logs a second pseudo-terminal, mapped as COM9 in a
   private settings folder; the capture is written into it as fast as the
   logger reads. Its resident memory (VmRSS) is sampled every 0.5 s.
4. Once every byte is read and the log has stopped growing, SIGTERM stops
   the run as Stop does; the log must hold exactly the decoded records, in
   order, none twice, and the program must end with status 0 (and, under
   AddressSanitizer, with no LeakSanitizer report on its standard error).
"""
import argparse
import array
import fcntl
import os
import pty
import signal
import subprocess
import sys
import tempfile
import termios
import threading
import time
import tty

SAMPLE_SECONDS = 0.5
WRITE_CHUNK = 4096


def read_pty_to_end(path):
    """Every byte the simulator sends on its pseudo-terminal, until it exits."""
    fd = os.open(path, os.O_RDONLY | os.O_NOCTTY)
    tty.setraw(fd, termios.TCSANOW)
    chunks = []
    while True:
        try:
            data = os.read(fd, 65536)
        except OSError:  # EIO: the simulator closed its side
            break
        if not data:
            break
        chunks.append(data)
    os.close(fd)
    return b"".join(chunks)


def vm_rss_kib(pid):
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def unread_bytes(fd):
    count = array.array("i", [0])
    fcntl.ioctl(fd, termios.TIOCINQ, count)
    return count[0]


def line_count(path):
    try:
        with open(path, "rb") as log:
            return sum(chunk.count(b"\n") for chunk in iter(lambda: log.read(1 << 20), b""))
    except OSError:
        return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True, help="folder of plenx-logger, plenx-board-sim, plenx-decode")
    parser.add_argument("--work", required=True, help="folder for the capture, the log and the figures")
    parser.add_argument("--frames", type=int, default=100000)
    parser.add_argument("--seed", type=int, default=20)
    parser.add_argument("--bad-checksum-rate", default="0.01")
    parser.add_argument("--garbage-rate", default="0.01")
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    work = os.path.abspath(args.work)

    # 1. The simulator's stream.
    started = time.monotonic()
    sim = subprocess.Popen([os.path.join(args.bin, "plenx-board-sim"), "--pty", "--frames", str(args.frames),
                            "--interval-ms", "0", "--seed", str(args.seed),
                            "--bad-checksum-rate", args.bad_checksum_rate, "--garbage-rate", args.garbage_rate],
                           stdout=subprocess.PIPE)
    device = sim.stdout.readline().decode().strip()
    stream = read_pty_to_end(device)
    if sim.wait() != 0:
        sys.exit("plenx-board-sim failed")
    capture = os.path.join(work, "stream.bin")
    with open(capture, "wb") as out:
        out.write(stream)
    print(f"stream: {args.frames} frames, {len(stream)} bytes, generated in {time.monotonic() - started:.1f} s")

    # 2. The records the log must hold.
    decoded = subprocess.run([os.path.join(args.bin, "plenx-decode"), capture], check=True,
                             stdout=subprocess.PIPE).stdout
    expected = [line.split(b"\t", 1)[1] for line in decoded.splitlines()]
    print(f"valid frames in the stream: {len(expected)} of {args.frames} "
          f"({args.frames - len(expected)} corrupted)")

    # 3. The logger on a pseudo-terminal of its own.
    settings = tempfile.mkdtemp(prefix="settings.", dir=work)
    runtime = tempfile.mkdtemp(prefix="runtime.", dir=work)
    os.chmod(runtime, 0o700)
    master, slave = pty.openpty()
    tty.setraw(slave, termios.TCSANOW)
    ports = os.path.join(settings, "plenx-logger", "ports")
    os.makedirs(ports)
    os.symlink(os.ttyname(slave), os.path.join(ports, "COM9"))
    log = os.path.join(work, "soak.log")
    for leftover in (log,):
        if os.path.exists(leftover):
            os.remove(leftover)
    env = dict(os.environ, XDG_CONFIG_HOME=settings, XDG_RUNTIME_DIR=runtime)
    env.setdefault("ASAN_OPTIONS", "detect_leaks=1")
    err_path = os.path.join(work, "logger.stderr")
    with open(err_path, "wb") as err, open(os.path.join(work, "logger.stdout"), "wb") as out:
        logger = subprocess.Popen([os.path.join(args.bin, "plenx-logger"), "--headless", "--port", "COM9",
                                   "--log", log], stdout=out, stderr=err, env=env, pass_fds=())
    while b": run started on " not in open(err_path, "rb").read():
        if logger.poll() is not None:
            sys.exit("plenx-logger ended before its run started:\n" + open(err_path).read())
        time.sleep(0.05)

    samples = []  # (seconds since the first byte, VmRSS KiB, log lines)
    done = threading.Event()

    def sample():
        while not done.is_set():
            rss = vm_rss_kib(logger.pid)
            if rss is not None:
                samples.append((time.monotonic() - feed_start, rss, line_count(log)))
            done.wait(SAMPLE_SECONDS)

    feed_start = time.monotonic()
    sampler = threading.Thread(target=sample)
    sampler.start()
    view = memoryview(stream)
    for at in range(0, len(view), WRITE_CHUNK):
        chunk = view[at:at + WRITE_CHUNK]
        while chunk:
            chunk = chunk[os.write(master, chunk):]
    written = time.monotonic() - feed_start
    while unread_bytes(slave) > 0:
        time.sleep(0.05)
    read_all = time.monotonic() - feed_start
    # The records read are posted to the window's thread; wait until the log
    # holds them all, or stops growing.
    last, still_since = -1, time.monotonic()
    while True:
        lines = line_count(log)
        if lines >= len(expected):
            break
        if lines != last:
            last, still_since = lines, time.monotonic()
        elif time.monotonic() - still_since > 10:
            break
        time.sleep(0.1)
    logged = time.monotonic() - feed_start
    done.set()
    sampler.join()
    logger.send_signal(signal.SIGTERM)
    status = logger.wait()
    os.close(master)
    os.close(slave)

    # 4. The verdict.
    with open(log, "rb") as log_file:
        records = [line.split(b"   -   ", 1)[1].rstrip(b"\r\n") for line in log_file]
    err_text = open(err_path, errors="replace").read()
    failures = []
    if status != 0:
        failures.append(f"plenx-logger ended with status {status}")
    if records != expected:
        first = next((i for i, (a, b) in enumerate(zip(records, expected)) if a != b), min(len(records), len(expected)))
        failures.append(f"the log holds {len(records)} records, the stream {len(expected)} valid ones; "
                        f"first difference at record {first}")
    if "LeakSanitizer" in err_text or "AddressSanitizer" in err_text or "runtime error" in err_text:
        failures.append("a sanitizer reported (see " + err_path + ")")

    rss = [s[1] for s in samples]
    with open(os.path.join(work, "rss.tsv"), "w") as table:
        table.write("seconds\tVmRSS_KiB\tlog_lines\n")
        for seconds, kib, lines in samples:
            table.write(f"{seconds:.1f}\t{kib}\t{lines}\n")
    print(f"fed {len(stream)} bytes in {written:.1f} s; all read after {read_all:.1f} s; "
          f"{len(records)} records logged after {logged:.1f} s ({len(records) / max(logged, 0.001):.0f} records/s)")
    if rss:
        quarter = max(1, len(rss) // 4)
        print(f"VmRSS KiB over {len(rss)} samples: first {rss[0]}, min {min(rss)}, max {max(rss)}, last {rss[-1]}; "
              f"mean of the first quarter {sum(rss[:quarter]) // quarter}, of the last quarter "
              f"{sum(rss[-quarter:]) // quarter}")
    print(f"log: {len(records)} records, expected {len(expected)}; exit status {status}")
    if failures:
        print("SOAK FAILED: " + "; ".join(failures))
        sys.exit(1)
    print("soak passed")


if __name__ == "__main__":
    main()
