#!/usr/bin/env python3
"""Writes the committed seed corpora of the fuzz targets (fuzz/corpus/<target>/).

Each seed is a small, meaningful input in the layout its target reads (see the
first comment of fuzz/<target>_fuzz.cpp). Run from anywhere; it rewrites the
seed files it owns and leaves any other file in the corpus folders alone.
"""
import pathlib
import random
import struct

CORPUS = pathlib.Path(__file__).resolve().parent / "corpus"
DEFAULT_VALUES = 69 + 4 * 40


def write(target, name, data):
    folder = CORPUS / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


# --- frames: start 0xFF, type 0xF0 + unit, pairs (x + 32512) in base 255, checksum pair
def pair(number):
    return bytes([number // 255, number % 255])


def frame(unit, values):
    body = bytes([0xFF, 0xF0 + unit]) + b"".join(pair(v + 32512) for v in values)
    return body + pair(sum(body) & 0x7FFF)


def default_values(rng):
    return [rng.randrange(-200, 1500) for _ in range(DEFAULT_VALUES)]


def frame_seeds(rng):
    header = lambda count, marker: struct.pack("<HB", count - 1, marker)  # count = 1 + u16 % 11000
    write("frame_decoder", "default_frames_with_noise",
          header(DEFAULT_VALUES, 0) + frame(0, default_values(rng)) + b"\x00\x13\xff\xf7" +
          frame(1, default_values(rng)) + frame(4, default_values(rng)))
    # FF FF is -32768 and 01 FF a checksum digit pair of 510 only a lenient decoder takes.
    noncanonical = bytes([0xFF, 0xF2, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0x7F])
    noncanonical += pair(sum(noncanonical) & 0x7FFF)
    write("frame_decoder", "noncanonical_pairs", header(3, 0) + b"\xff\xff" + noncanonical)
    partial = frame(2, [1, 2, 3, 4])[:7]
    write("frame_decoder", "reset_drops_partial_frame", header(4, 0xEE) + partial + b"\xee" + frame(3, [5, -6, 7, 32767]))
    bad = bytearray(frame(0, [100, 200]))
    bad[-1] ^= 1
    write("frame_decoder", "bad_checksum_then_good", header(2, 0) + bytes(bad) + frame(0, [100, 200]))
    write("frame_decoder", "one_value_frames", header(1, 0) + frame(0, [-32512]) + frame(4, [0]) + b"\xff\xf5")


# --- INI texts
INI_TYPICAL = b"""; Plenx Logger configuration\r
[CONFIG]\r
; units behind the outdoor unit, 0 to 10\r
NUMDEVICES=4\r
STATUSPARAMS=69\r
ACPARAMS=40\r
LOGEVERY=3\r
\r
[STATUSLABELS]\r
Outdoor Air Temperature [\xb0F]=Outside air [\xb0F]\r
69=Extra status value\r
\r
[ACLABELS3]\r
-=Spare\r
"""

INI_UTF8 = ("\ufeff[config]\n numdevices = \"2\" \nStatusParams='70'\n"
            "[StatusLabels]\nOutdoor Air Temperature [\u00b0F]=Au\u00dfentemperatur \u20ac \u4e2d\n"
            "[ACLABELS0]\nRoom Air Temperature [\u00b0F] = \"  Raum  \"\n").encode("utf-8")

INI_AWKWARD = (b"key before any section=1\n[CONFIG\nNUMDEVICES=7\n[CONFIG]junk after\n"
               b"NUMDEVICES=5\nnumdevices=6\nno equals sign here\n=empty key\n\t ;comment=not a key\n"
               b"ACPARAMS=12abc\nLOGEVERY=;not a comment\n[config]\nNUMDEVICES=9\n"
               b"[\xc9T\xc9]\n\xe9t\xe9=lower\n[]\nnameless=section\nNUL\x00KEY=va\x00lue\r\r\n"
               b"quote='unbalanced\"\nlast line without end=1")

INI_OUT_OF_RANGE = (b"[CONFIG]\nNUMDEVICES=11\nSTATUSPARAMS=-1\nACPARAMS=abc\nLOGEVERY=99999999999\n"
                    b"[STATUSLABELS]\n" + b"Compressor Speed=" + b"L" * 300 + b"\n")

INI_NO_VALUES = b"[CONFIG]\nSTATUSPARAMS=0\nNUMDEVICES=0\nACPARAMS=1000\n"

INI_TEN_UNITS = (b"[CONFIG]\nNUMDEVICES=10\nSTATUSPARAMS=1000\nACPARAMS=3\n[ACLABELS9]\n1=unit nine, second\n"
                 b"[ACLABELS4]\nOperating Mode=Mode of unit four\n[STATUSLABELS]\n999=last status value\n")


def ini_seeds():
    write("ini_file", "typical_crlf.ini", INI_TYPICAL)
    write("ini_file", "utf8_bom_quotes.ini", INI_UTF8)
    write("ini_file", "awkward_lines.ini", INI_AWKWARD)
    write("logger_config", "typical_crlf.ini", INI_TYPICAL)
    write("logger_config", "utf8_bom_quotes.ini", INI_UTF8)
    write("logger_config", "out_of_range.ini", INI_OUT_OF_RANGE)
    write("logger_config", "layout_without_values.ini", INI_NO_VALUES)
    write("logger_config", "ten_units.ini", INI_TEN_UNITS)


# --- record texts: layout header S (2 bytes), N (1), A (2), then "%d," per value
def layout(status, devices, ac):
    return struct.pack("<HBH", status, devices, ac)


def record(values):
    return "".join("%d," % v for v in values).encode()


def record_seeds(rng):
    values = [rng.randrange(0, 50) for _ in range(DEFAULT_VALUES)]
    # Outdoor: compressor running, fan on, heating, temperatures in 1/16 degC,
    # defrost active, diagnostic level 100, top shell sensor missing.
    for position, value in {3: 1650, 5: 60, 7: 3, 9: 1200, 10: -85, 11: 40, 15: 2, 30: 100, 39: -1}.items():
        values[position] = value
    # Units: modes, valve, I Feel option, ZIZU pump and faults.
    for position, value in {70: 2, 72: 1, 76: 3, 95: 6, 110: 4, 150: 9, 190: 3, 206: 7, 215: 8}.items():
        values[position] = value
    write("record_decode", "default_layout_record", layout(69, 4, 40) + record(values))
    write("record_decode", "default_layout_short_record", layout(69, 4, 40) + record(values[:100]))
    odd_fields = b" 12,+5,-,99999999999,-99999999999,0x10,\t-7x,,3.9,-0," * 10
    write("record_decode", "odd_fields_72_2_40", layout(72, 2, 40) + odd_fields)
    write("record_decode", "ten_units_no_status", layout(0, 10, 40) + record(range(-200, 200)))
    write("record_decode", "status_only_no_comma_at_end", layout(1000, 0, 0) + record(range(68))[:-1])


# --- deflate inputs: level (1 byte), read piece choice (1), repeat (1), body
def log_text(rng, lines):
    out = []
    for i in range(lines):
        out.append("2015/03/07-14:%02d:%02d.%03d   -   %s\r\n" % (i // 120 % 60, i // 2 % 60, 500 * (i % 2),
                   "".join("%d," % (300 + rng.randrange(3)) for _ in range(40))))
    return "".join(out).encode()


def deflate_seeds(rng):
    write("deflate", "level8_log_text", bytes([7, 0, 0]) + log_text(rng, 20))
    write("deflate", "level8_one_byte_reads_repeated", bytes([7, 1, 200]) + log_text(rng, 2))
    write("deflate", "level1_empty", bytes([0, 0, 0]))
    write("deflate", "level8_random_stored", bytes([7, 0x84, 0]) + rng.randbytes(3000))
    write("deflate", "level5_period_258_repeated", bytes([4, 5, 255]) + rng.randbytes(258))
    write("deflate", "level8_long_runs", bytes([7, 6, 40]) + b"\x00" * 700 + b"ab" * 300 + b"\x00" * 259)


# --- ZIP entries: count (1 byte), then per entry flags, name length, name, content length (2), content
def entry(name, content, flags=0):
    return bytes([flags, len(name)]) + name + struct.pack("<H", len(content)) + content


def zip_seeds(rng):
    write("zip_writer", "one_log", bytes([0]) + entry(b"site.log", log_text(rng, 10)))
    write("zip_writer", "folders_stored_and_refused",
          bytes([2]) + entry(b"logs\\2015\\a.txt", b"hello hello hello\n" * 20) +
          entry(b"old.GZ", rng.randbytes(500)) + entry(b"", b"no name"))
    write("zip_writer", "name_length_limits", bytes([1]) + entry(b"x", b"longest name", 1) +
          entry(b"y", b"one byte too long", 3))
    write("zip_writer", "empty_content_odd_name", bytes([1]) + entry(b"\xb0F \xe9t\xe9\x7f.tgz.log", b"") +
          entry(b"cut\x00here.zip", b"stored? no: the name ends before .zip"))


# --- logs as plenx-export reads them: piece count (1 byte), piece sizes, filler (1), filler offset (2), bytes
def log_reader_seeds(rng):
    whole = bytes([0, 0, 0, 0])
    write("log_reader", "log_crlf_whole", whole + log_text(rng, 6))
    write("log_reader", "log_in_odd_pieces", bytes([3, 0, 6, 40, 0, 0, 0]) + log_text(rng, 6))
    write("log_reader", "awkward_lines",
          bytes([1, 2, 0, 0, 0]) +
          b"2015/02/29-14:05:09.042   -   1,\r\n"      # no 29 February in 2015
          b"2016/02/29-23:59:60.999   -   -32768,0,\n"  # a leap year and a leap second, LF only
          b"2015/03/07-14:05:09.042   -   12,-3,300\r\n"  # cut short: no last comma
          b"2015/03/07-14:05:09.042   -   1,-,\r\n"
          b"2015/03/07 14:05:09.042   -   1,\r\n"
          b"\r\n\n\x00\xb0\x1b[2J note typed into the log\r\r\n"
          b"2015/03/07-14:05:09.042   -   ")
    # A line one byte over the limit, cut and marked, between two good lines.
    write("log_reader", "line_over_the_limit",
          bytes([2, 255, 7, 0x31]) + bytes([62, 0]) + log_text(rng, 1) + b"x" + log_text(rng, 1))


def event_record(values):
    """A record of the log_events target's 16 status values; unnamed ones 0."""
    record = [0] * 16
    for position, value in values.items():
        record[position] = value
    return "".join(f"{v}," for v in record)


def log_events_seeds():
    def line(second, millisecond, values):
        return f"2015/03/07-14:05:{second:02d}.{millisecond:03d}   -   {event_record(values)}\r\n".encode()
    heat = {3: 2723, 5: 60, 7: 3, 10: 400, 15: 0}
    write("log_events", "mode_defrost_and_a_gap",
          bytes([0]) + line(0, 0, heat) + line(0, 480, {**heat, 15: 1}) + line(0, 960, {**heat, 15: 2, 5: 10}) +
          line(11, 0, {**heat, 7: 1, 3: 299}) + line(11, 480, {**heat, 7: 9}))
    write("log_events", "skipped_lines_in_pieces",
          bytes([5]) + line(0, 0, heat) + b"a note typed into the log\r\n" + line(0, 480, {3: 5473})[:40] +
          b"\n" + line(0, 960, {3: 5473}) + line(1, 0, heat)[:-2])


def main():
    rng = random.Random(20)
    frame_seeds(rng)
    ini_seeds()
    record_seeds(rng)
    deflate_seeds(rng)
    zip_seeds(rng)
    log_reader_seeds(rng)
    log_events_seeds()


if __name__ == "__main__":
    main()
