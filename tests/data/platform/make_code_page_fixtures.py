#!/usr/bin/env python3
"""Writes the code-page fixtures of the platform tests, using Python's codecs
as an independent oracle. Run from any folder; writes beside this script.

  cp1252_upper.txt  byte (hex) and its UTF-8 form (hex), bytes 0x80-0xFF
  cp850_upper.txt   the same for CP850
  utf8_lines.txt    a UTF-8 line, valid or broken (hex), and its expected
                    Windows-1252 conversion (hex): one "?" per character the
                    code page cannot hold and per broken sequence
"""
import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))
UNASSIGNED_1252 = {0x81, 0x8D, 0x8F, 0x90, 0x9D}


def cp1252_char(byte):
    return chr(byte) if byte in UNASSIGNED_1252 else bytes([byte]).decode("cp1252")


def write_table(name, decode):
    with open(os.path.join(HERE, name), "w") as out:
        for byte in range(0x80, 0x100):
            out.write("%02x %s\n" % (byte, decode(byte).encode("utf-8").hex()))


def to_ansi(text):
    result = bytearray()
    for ch in text:
        cp = ord(ch)
        if cp < 0x80 or 0xA0 <= cp <= 0xFF or cp in UNASSIGNED_1252:
            result.append(cp)
            continue
        try:
            result += ch.encode("cp1252")
        except UnicodeEncodeError:
            result += b"?"
    return bytes(result)


PIECES = [
    b"abc", b"Hello world ", b"<text:p>", b"\n", b"\r", b"\x00", b"0123456789abcdef",
    "ä".encode(), "ß".encode(), "€".encode(), "Ÿ".encode(), "™".encode(), "Ā".encode(),
    "中".encode(), "😀".encode(), "\u0081".encode(), "\u0080".encode(), "\ufffd".encode(),
    b"\xc3", b"\xe2\x82", b"\xf0\x9f\x98", b"\x80", b"\xbf", b"\xc0\xaf", b"\xc1\xbf",
    b"\xe0\x80\xaf", b"\xe0\x9f\xbf", b"\xed\xa0\x80", b"\xed\xbf\xbf", b"\xf0\x8f\xbf\xbf",
    b"\xf4\x90\x80\x80", b"\xf5\x80\x80\x80", b"\xfe", b"\xff", b"\xef\xbb\xbf",
    "\U0010ffff".encode(), "\ud7ff".encode(), "\ue000".encode(),
]


def random_line(rng):
    parts = []
    for _ in range(rng.randint(0, 12)):
        if rng.random() < 0.2:
            parts.append(bytes(rng.randrange(256) for _ in range(rng.randint(1, 6))))
        else:
            parts.append(rng.choice(PIECES))
    return b"".join(parts)


def write_lines(name, count):
    rng = random.Random(1252)
    with open(os.path.join(HERE, name), "w") as out:
        for _ in range(count):
            line = random_line(rng)
            expected = to_ansi(line.decode("utf-8", "replace"))
            out.write("%s %s\n" % (line.hex() or "-", expected.hex() or "-"))


write_table("cp1252_upper.txt", cp1252_char)
write_table("cp850_upper.txt", lambda b: bytes([b]).decode("cp850"))
write_lines("utf8_lines.txt", 400)
