#!/usr/bin/env python3
"""Writes a mixed corpus of this machine's own files, as an archive of a
service laptop's folder might hold: documentation, manual pages (unpacked),
shared libraries and random bytes, a quarter of the size each, one piece
after another so every kind meets the others at its edges.

    bench/make_system_corpus.py OUT [--megabytes 52]

The files are taken in sorted path order and the random bytes are seeded, so
a machine with the same packages gives the same corpus.
"""
import argparse
import glob
import gzip
import os
import random

# Piece of one kind written before switching to the next kind.
PIECE_BYTES = 1 << 20


def regular_files(patterns):
    paths = sorted({p for pattern in patterns for p in glob.glob(pattern, recursive=True)})
    return [p for p in paths if os.path.isfile(p) and not os.path.islink(p)]


def file_bytes(paths, unpack):
    """Yields the contents of paths, unpacking .gz files when asked."""
    for path in paths:
        try:
            if unpack and path.endswith(".gz"):
                with gzip.open(path, "rb") as f:
                    yield f.read()
            else:
                with open(path, "rb") as f:
                    yield f.read()
        except OSError:
            continue


def pieces(chunks):
    """Cuts a stream of byte strings into PIECE_BYTES pieces."""
    pending = b""
    for chunk in chunks:
        pending += chunk
        while len(pending) >= PIECE_BYTES:
            yield pending[:PIECE_BYTES]
            pending = pending[PIECE_BYTES:]
    if pending:
        yield pending


def random_pieces(seed):
    generator = random.Random(seed)
    while True:
        yield generator.randbytes(PIECE_BYTES)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("out")
    parser.add_argument("--megabytes", type=int, default=52)
    args = parser.parse_args()
    total = args.megabytes * 1000 * 1000
    share = total // 4

    kinds = [
        pieces(file_bytes(regular_files(["/usr/share/doc/**/*"]), unpack=True)),
        pieces(file_bytes(regular_files(["/usr/share/man/man*/*.gz"]), unpack=True)),
        pieces(file_bytes(regular_files(["/usr/lib/x86_64-linux-gnu/*.so*", "/usr/lib/*/*.so*"]),
                          unpack=False)),
        random_pieces(2015),
    ]
    written = [0] * len(kinds)
    with open(args.out, "wb") as out:
        while True:
            progressed = False
            for n, kind in enumerate(kinds):
                if written[n] >= share:
                    continue
                piece = next(kind, None)
                if piece is None:
                    written[n] = share  # this machine has no more of this kind
                    continue
                piece = piece[:share - written[n]]
                out.write(piece)
                written[n] += len(piece)
                progressed = True
            if not progressed:
                break


if __name__ == "__main__":
    main()
