#!/usr/bin/env python3
"""Generates the archive fixtures of the zip tests (run once; the outputs are committed).

Needs python3 and Info-ZIP zip. Archives that Info-ZIP cannot produce (CP850 names,
duplicate or damaged headers, hand-laid volume sets, ".zfc" copies) are written
record by record with the small writer below.

Usage: python3 make_zip_fixtures.py [--extraction-only] [OUTPUT_FOLDER]   (default: the script's folder)
The extraction fixtures (OUTPUT_FOLDER/extract) come from make_extract_fixtures.py.
"""

import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile

ARGS = [a for a in sys.argv[1:] if not a.startswith("--")]
OUT = os.path.abspath(ARGS[0] if ARGS else os.path.dirname(__file__))
CORPUS = "/work/shared/corpus"

LOCAL_SIG = 0x04034B50
CENTRAL_SIG = 0x02014B50
END_SIG = 0x06054B50


def dos_stamp(year, month, day, hour, minute, second):
    date = ((year - 1980) << 9) | (month << 5) | day
    time = (hour << 11) | (minute << 5) | (second // 2)
    return (date << 16) | time


def crc32(data):
    import zlib  # used as an oracle for fixture CRCs only
    return zlib.crc32(data) & 0xFFFFFFFF


class Entry:
    """One stored entry of a hand-laid archive."""

    def __init__(self, name, data=b"", stamp=dos_stamp(2020, 5, 17, 10, 30, 0), host=3,
                 comment=b"", extra=b"", flags=0, disk=0):
        self.name = name if isinstance(name, bytes) else name.encode("ascii")
        self.data = data
        self.stamp = stamp
        self.host = host
        self.comment = comment
        self.extra = extra
        self.flags = flags
        self.disk = disk
        self.offset = 0

    def local(self):
        return struct.pack("<IHHHIIIIHH", LOCAL_SIG, 20, self.flags, 0, self.stamp,
                           crc32(self.data), len(self.data), len(self.data),
                           len(self.name), 0) + self.name + self.data

    def central(self, extra_len=None, offset=None):
        extra_len = len(self.extra) if extra_len is None else extra_len
        offset = self.offset if offset is None else offset
        return struct.pack("<IHHHHIIIIHHHHHII", CENTRAL_SIG, (self.host << 8) | 20, 20,
                           self.flags, 0, self.stamp, crc32(self.data), len(self.data),
                           len(self.data), len(self.name), extra_len, len(self.comment),
                           self.disk, 0, 0x20, offset) + self.name + self.extra + self.comment


def end_record(this_disk, cd_disk, on_disk, total, cd_size, cd_offset, comment=b""):
    return struct.pack("<IHHHHIIH", END_SIG, this_disk, cd_disk, on_disk, total, cd_size,
                       cd_offset, len(comment)) + comment


def lay_out(entries):
    """Local headers of the entries, recording each one's offset."""
    body = b""
    for entry in entries:
        entry.offset = len(body)
        body += entry.local()
    return body


def single_archive(entries, comment=b""):
    body = lay_out(entries)
    cd = b"".join(e.central() for e in entries)
    return body + cd + end_record(0, 0, len(entries), len(entries), len(cd), len(body), comment)


def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


def read(name):
    with open(os.path.join(OUT, name), "rb") as f:
        return f.read()


def make_source_tree(root):
    """Small files with distinct dates for the Info-ZIP archives."""
    files = {
        "a.txt": (b"alpha\n" * 20, "2020-01-02 03:04:06"),
        "B.txt": (b"Bravo bravo\n" * 50, "2021-06-07 08:09:10"),
        "docs/readme.txt": (b"Read me first.\n" * 200, "2019-11-30 23:59:58"),
        "docs/sub/notes.txt": (b"notes\n", "2022-02-28 12:00:00"),
    }
    for rel, (data, stamp) in files.items():
        path = os.path.join(root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        subprocess.run(["touch", "-d", stamp, path], check=True)
    rng = random.Random(7)
    with open(os.path.join(root, "big.bin"), "wb") as f:
        f.write(bytes(rng.getrandbits(8) for _ in range(70000)))
    subprocess.run(["touch", "-d", "2018-03-04 05:06:08", os.path.join(root, "big.bin")], check=True)
    for folder in ("docs/sub", "docs"):
        subprocess.run(["touch", "-d", "2023-01-01 00:00:00", os.path.join(root, folder)], check=True)


def zip_in(root, args, stdin=None):
    subprocess.run(["zip", "-q"] + args, cwd=root, check=True, input=stdin)


def make_info_zip_archives(root):
    names = ["a.txt", "B.txt", "docs"]
    zip_in(root, ["-X", "-0", "-r", "stored.zip"] + names)
    zip_in(root, ["-9", "-r", "deflated.zip"] + names)
    zip_in(root, ["-X", "-P", "secret", "encrypted.zip", "a.txt", "B.txt"])
    with open(os.path.join(root, "descriptor.zip"), "wb") as out:
        stream = subprocess.run(["zip", "-q", "-X", "-", "a.txt", "B.txt"], cwd=root, check=True,
                                stdout=subprocess.PIPE).stdout
        out.write(stream)
    zip_in(root, ["-X", "-0", "-s", "64k", "split.zip", "big.bin", "a.txt"])
    for name in ("stored.zip", "deflated.zip", "encrypted.zip", "descriptor.zip"):
        shutil.copy(os.path.join(root, name), os.path.join(OUT, name))
    # Volumes are numbered files: the last one (holding the directory) is the highest number.
    shutil.copy(os.path.join(root, "split.z01"), os.path.join(OUT, "split.001"))
    shutil.copy(os.path.join(root, "split.zip"), os.path.join(OUT, "split.002"))


def make_damaged_archives():
    stored = read("stored.zip")
    cd_offset = struct.unpack_from("<I", stored, len(stored) - 6)[0]
    # Truncated inside the central directory: no end record left.
    write("truncated.zip", stored[:cd_offset + 30])
    # Junk in front: every stored offset is now 1000 bytes short.
    write("junk_prefix.zip", bytes(random.Random(3).getrandbits(8) for _ in range(1000)) + stored)
    # Second central header's signature broken.
    second = stored.index(struct.pack("<I", CENTRAL_SIG), cd_offset + 4)
    damaged = bytearray(stored)
    damaged[second + 3] = 0x00
    write("damaged_cd.zip", bytes(damaged))
    # A self-extractor: a program stub of 14000 bytes holding a decoy local header,
    # then an archive whose stored offsets ignore the stub.
    stub = bytearray(14000)
    decoy = Entry("decoy.txt", b"decoy").local()
    stub[200:200 + len(decoy)] = decoy
    write("sfx.EXE", bytes(stub) + stored)


def make_hand_laid_archives():
    # Two central headers naming the same local header.
    one = Entry("one.txt", b"first entry\n")
    two = Entry("two.txt", b"second entry\n")
    body = lay_out([one, two])
    cd = one.central() + two.central(offset=0)
    write("duplicate.zip", body + cd + end_record(0, 0, 2, 2, len(cd), len(body)))

    # First central header claims an 8-byte extra field it does not have.
    first = Entry("first.txt", b"1111")
    second = Entry("second.txt", b"2222")
    third = Entry("third.txt", b"3333")
    body = lay_out([first, second, third])
    cd = first.central(extra_len=8) + second.central() + third.central()
    write("extra_length.zip", body + cd + end_record(0, 0, 3, 3, len(cd), len(body)))

    # End record promising far more entries than the directory holds.
    x = Entry("x.txt", b"x")
    y = Entry("y.txt", b"y")
    body = lay_out([x, y])
    cd = x.central() + y.central()
    write("many_entries.zip", body + cd + end_record(0, 0, 65535, 65535, len(cd), len(body)))

    # Names made on MS-DOS (CP850) and on Unix (left as they are), odd dates, folders.
    oem = "Übersicht.txt".encode("cp850")
    write("names.zip", single_archive([
        Entry(b"DOS\\" + oem, b"dos", host=0),
        Entry(oem, b"unix", host=3),
        Entry("Dir/", b"", stamp=dos_stamp(2001, 1, 1, 0, 0, 0)),
        Entry("Dir/Sub/file.txt", b"file"),
        Entry("month0.txt", b"m", stamp=(((2005 - 1980) << 9) | (0 << 5) | 9) << 16 | (31 << 0)),
    ]))

    # Entry and archive comments.
    write("comments.zip", single_archive([
        Entry("commented.txt", b"c", comment=b"entry comment"),
        Entry("plain.txt", b"p", extra=b"\x55\x54\x05\x00\x01\x00\x00\x00\x00"),
    ], comment=b"archive comment"))

    # Archive comment holding an end signature far enough from the end to be seen
    # first: its (all-zero) fields describe an empty archive.
    write("comment_signature.zip", single_archive([Entry("s.txt", b"s")],
                                                   comment=b"note PK\x05\x06" + bytes(18) + b" end"))

    # Empty archive: the end record alone; and an empty file.
    write("empty.zip", end_record(0, 0, 0, 0, 0, 0))
    write("zero.zip", b"")
    write("notazip.zip", b"This is plain text, not an archive.\n" * 4)

    # A hand-laid volume set: volume 1 holds the data and the start of the
    # directory, volume 2 the rest of the directory and the end record.
    v1 = Entry("vol/one.txt", b"one one one\n", comment=b"first volume entry", disk=0)
    v2 = Entry("vol/two.txt", b"two two\n", disk=0)
    body = lay_out([v1, v2])
    cd = v1.central() + v2.central()
    cut = len(v1.central()) + 20
    write("volumes.001", body + cd[:cut])
    write("volumes.002", cd[cut:] + end_record(1, 0, 0, 2, len(cd), len(body), b"set comment"))

    # An archive without a directory, and its ".zfc" copy holding the directory.
    z1 = Entry("zfc/alpha.txt", b"alpha", comment=b"alpha comment")
    z2 = Entry("zfc/beta.txt", b"beta")
    body = lay_out([z1, z2])
    write("withzfc.zip", body)
    cd = z1.central() + z2.central()
    write("withzfc.zfc", cd + end_record(0, 0, 2, 2, len(cd), 0, b"zfc archive comment"))


def copy_corpus():
    for rel, name in (("letters/Invitation.odt", "Invitation.odt"), ("broken/cut.odt", "cut.odt")):
        source = os.path.join(CORPUS, rel)
        if os.path.exists(source):
            shutil.copyfile(source, os.path.join(OUT, name))


def main():
    os.makedirs(OUT, exist_ok=True)
    os.environ["TZ"] = "UTC"
    if "--extraction-only" not in sys.argv:
        with tempfile.TemporaryDirectory() as root:
            make_source_tree(root)
            make_info_zip_archives(root)
        make_damaged_archives()
        make_hand_laid_archives()
        copy_corpus()
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    from make_extract_fixtures import make_extraction_fixtures
    make_extraction_fixtures(OUT)


if __name__ == "__main__":
    main()
