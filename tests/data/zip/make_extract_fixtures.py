#!/usr/bin/env python3
"""Generates the extraction fixtures in OUTPUT_FOLDER/extract (run once; the outputs are committed).

Called by make_zip_fixtures.py (use its --extraction-only to make just these). Needs Info-ZIP
zip and unzip and python3. Archives come from Info-ZIP zip (every level, -P with and without
streaming, input from stdin, a split set), from python3 zipfile, and from the small writer
below for the cases no tool makes (unsafe names, wrong CRCs, cut data, traditional encryption
without a data descriptor). expected.txt holds what Info-ZIP unzip extracts from each archive
that it can read: ARCHIVE, PATH, SIZE and the 64-bit FNV-1a hash of the bytes, tab separated.
"""

import io
import os
import random
import shutil
import struct
import subprocess
import tempfile
import zipfile
import zlib  # fixture maker only: raw deflate and CRC-32

PASSWORD = b"secret"
LOCAL_SIG = 0x04034B50
CENTRAL_SIG = 0x02014B50
END_SIG = 0x06054B50


def fnv1a64(data):
    h = 0xCBF29CE484222325
    for b in data:
        h = ((h ^ b) * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return h


def dos_stamp(year, month, day, hour, minute, second):
    return ((((year - 1980) << 9) | (month << 5) | day) << 16) | (hour << 11) | (minute << 5) | (second // 2)


STAMP = dos_stamp(2020, 5, 17, 10, 30, 0)


def raw_deflate(data, level=6):
    c = zlib.compressobj(level, zlib.DEFLATED, -15)
    return c.compress(data) + c.flush()


class ZipCrypto:
    """Traditional ZIP encryption, to make entries Info-ZIP zip does not (no data descriptor)."""

    def __init__(self, password):
        self.keys = [0x12345678, 0x23456789, 0x34567890]
        for b in password:
            self.update(b)

    @staticmethod
    def crc_byte(crc, b):
        return zlib.crc32(bytes([b]), crc ^ 0xFFFFFFFF) ^ 0xFFFFFFFF

    def update(self, b):
        k0, k1, k2 = self.keys
        k0 = self.crc_byte(k0, b)
        k1 = (k1 + (k0 & 0xFF)) & 0xFFFFFFFF
        k1 = (k1 * 134775813 + 1) & 0xFFFFFFFF
        k2 = self.crc_byte(k2, k1 >> 24)
        self.keys = [k0, k1, k2]

    def encrypt(self, data):
        out = bytearray()
        for b in data:
            t = (self.keys[2] | 2) & 0xFFFF
            out.append(b ^ (((t * (t ^ 1)) >> 8) & 0xFF))
            self.update(b)
        return bytes(out)


class Entry:
    """One entry of a hand-laid archive. packed is the data as stored."""

    def __init__(self, name, data=b"", method=0, flags=0, host=3, attributes=0o100644 << 16,
                 crc=None, packed=None, declared_packed=None, stamp=STAMP):
        self.name = name if isinstance(name, bytes) else name.encode("utf-8")
        self.data = data
        self.method = method
        self.flags = flags
        self.host = host
        self.attributes = attributes
        self.crc = zlib.crc32(data) & 0xFFFFFFFF if crc is None else crc
        self.stamp = stamp
        if packed is None:
            packed = raw_deflate(data) if method == 8 else data
        self.packed = packed
        self.declared_packed = len(packed) if declared_packed is None else declared_packed
        self.offset = 0

    def encrypt(self, password=PASSWORD):
        """Encrypts the packed data; the check byte follows the descriptor flag."""
        self.flags |= 1
        check = (self.stamp >> 8) & 0xFF if self.flags & 8 else self.crc >> 24
        header = bytes(random.Random(self.name).getrandbits(8) for _ in range(11)) + bytes([check])
        self.packed = ZipCrypto(password).encrypt(header + self.packed)
        self.declared_packed = len(self.packed)
        return self

    def local(self, stored_bytes=None):
        data = self.packed if stored_bytes is None else stored_bytes
        return struct.pack("<IHHHIIIIHH", LOCAL_SIG, 20, self.flags, self.method, self.stamp, self.crc,
                           self.declared_packed, len(self.data), len(self.name), 0) + self.name + data

    def central(self):
        return struct.pack("<IHHHHIIIIHHHHHII", CENTRAL_SIG, (self.host << 8) | 20, 20, self.flags,
                           self.method, self.stamp, self.crc, self.declared_packed, len(self.data),
                           len(self.name), 0, 0, 0, 0, self.attributes, self.offset) + self.name


def archive(entries, cut=None):
    """The archive bytes; cut maps an entry to how many of its packed bytes stay."""
    body = b""
    for e in entries:
        e.offset = len(body)
        kept = e.packed if cut is None or e not in cut else e.packed[:cut[e]]
        body += e.local(kept)
    cd = b"".join(e.central() for e in entries)
    return body + cd + struct.pack("<IHHHHIIH", END_SIG, 0, 0, len(entries), len(entries), len(cd), len(body), 0)


def write(folder, name, data):
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def make_source_tree(root):
    rng = random.Random(11)
    words = ["tarvik", "search", "office", "document", "archive", "deflate", "window", "phrase",
             "folder", "result", "preview", "meta", "styles", "content", "zip", "entry"]
    lines = []
    while sum(len(l) for l in lines) < 34000:
        lines.append(" ".join(rng.choice(words) for _ in range(rng.randint(3, 14))) + "\n")
    files = {
        "text.txt": "".join(lines).encode(),
        "random.bin": bytes(rng.getrandbits(8) for _ in range(5000)),
        "empty.txt": b"",
        "sub/dir/nested.txt": b"nested\n" * 30,
        # Hex digits: deflates to about half, so the deflated entry spans two volumes.
        "hex.txt": bytes(rng.choice(b"0123456789abcdef") for _ in range(140000)),
    }
    for rel, data in files.items():
        path = os.path.join(root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        subprocess.run(["touch", "-d", "2021-03-04 05:06:08", path], check=True)
    for folder in ("sub/dir", "sub"):
        subprocess.run(["touch", "-d", "2021-03-04 05:06:08", os.path.join(root, folder)], check=True)
    return files


def zip_cmd(root, args, stdin=None, stdout=None):
    return subprocess.run(["zip", "-q", "-X"] + args, cwd=root, check=True, input=stdin,
                          stdout=subprocess.PIPE if stdout else None).stdout


def make_info_zip_archives(root, out):
    tree = ["text.txt", "random.bin", "empty.txt", "sub"]
    for level in range(10):
        zip_cmd(root, ["-r", "-%d" % level, "level%d.zip" % level] + tree)
    zip_cmd(root, ["-r", "-P", "secret", "enc_file.zip", "text.txt", "sub"])
    zip_cmd(root, ["-0", "-r", "-P", "secret", "enc_stored.zip", "sub", "random.bin"])
    write(root, "enc_stream.zip", zip_cmd(root, ["-P", "secret", "-", "text.txt", "random.bin"], stdout=True))
    write(root, "stream.zip", zip_cmd(root, ["-r", "-", "text.txt", "empty.txt", "sub"], stdout=True))
    with open(os.path.join(root, "text.txt"), "rb") as f:
        zip_cmd(root, ["stdin.zip", "-"], stdin=f.read())
    zip_cmd(root, ["-s", "64k", "spanned.zip", "hex.txt", "text.txt"])
    names = ["level%d.zip" % level for level in range(10)]
    names += ["enc_file.zip", "enc_stored.zip", "enc_stream.zip", "stream.zip", "stdin.zip"]
    for name in names:
        shutil.copy(os.path.join(root, name), os.path.join(out, name))
    # Volumes are numbered files; the last one holds the directory.
    shutil.copy(os.path.join(root, "spanned.z01"), os.path.join(out, "spanned.001"))
    shutil.copy(os.path.join(root, "spanned.zip"), os.path.join(out, "spanned.002"))


class Unseekable(io.RawIOBase):
    """A write-only stream without seeking, so zipfile writes data descriptors."""

    def __init__(self):
        self.data = bytearray()

    def writable(self):
        return True

    def write(self, b):
        self.data += b
        return len(b)


def make_python_archives(out, files):
    with zipfile.ZipFile(os.path.join(out, "py_mixed.zip"), "w") as z:
        z.writestr(zipfile.ZipInfo("folder/", (2021, 3, 4, 5, 6, 8)), b"")
        z.writestr("folder/stored.txt", files["sub/dir/nested.txt"], zipfile.ZIP_STORED)
        z.writestr("fast.txt", files["text.txt"], zipfile.ZIP_DEFLATED, compresslevel=1)
        z.writestr("best.txt", files["text.txt"], zipfile.ZIP_DEFLATED, compresslevel=9)
        z.writestr("random.bin", files["random.bin"], zipfile.ZIP_DEFLATED)
        z.writestr("empty.txt", b"", zipfile.ZIP_DEFLATED)
        z.writestr("Grüße.txt", "Grüße\n".encode(), zipfile.ZIP_DEFLATED)
    stream = Unseekable()
    with zipfile.ZipFile(stream, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("streamed/a.txt", files["text.txt"][:20000])
        z.writestr("streamed/b.bin", files["random.bin"])
    write(out, "py_stream.zip", bytes(stream.data))
    block = bytes((i * 7 + i // 251) & 0xFF for i in range(32769))
    with zipfile.ZipFile(os.path.join(out, "py_blocks.zip"), "w", zipfile.ZIP_STORED) as z:
        z.writestr("block32768.bin", block[:32768])
        z.writestr("block32769.bin", block)
    with zipfile.ZipFile(os.path.join(out, "py_bzip2.zip"), "w") as z:
        z.writestr("plain.txt", b"plain\n", zipfile.ZIP_STORED)
        z.writestr("bzip2.txt", b"bzip2 bzip2 bzip2\n", zipfile.ZIP_BZIP2)


def make_hand_laid_archives(out, files):
    text = files["text.txt"]
    # Stored paths that lead out of the destination, or name no file.
    write(out, "unsafe.zip", archive([Entry(name, name.encode() + b"\n") for name in (
        "ok.txt", "../up.txt", "a/../../up2.txt", "/abs/abs.txt", "C:/drive/d.txt", "x/./y.txt",
        "dir/..", "dir/.", "..", "../")] + [Entry(b"nul\x00/../evil.txt", b"nul\n")]))
    write(out, "crc.zip", archive([
        Entry("good.txt", b"good\n"),
        Entry("bad_stored.txt", b"stored\n", crc=0x12345678),
        Entry("bad_deflated.txt", text[:3000], method=8, crc=0x12345678),
    ]))
    # Cut after the first 32 KB block, which is written before the read runs short.
    cut_stored = Entry("cut.bin", bytes(random.Random(5).getrandbits(8) for _ in range(36000)))
    write(out, "cut_stored.zip", archive([Entry("good.txt", b"good\n"), cut_stored], cut={cut_stored: 33000}))
    cut_deflated = Entry("cut.txt", text, method=8)
    write(out, "cut_deflated.zip", archive([Entry("good.txt", b"good\n"), cut_deflated],
                                           cut={cut_deflated: len(cut_deflated.packed) // 2}))
    write(out, "enc_nodesc.zip", archive([
        Entry("stored.txt", text[:5000]).encrypt(),
        Entry("deflated.txt", text, method=8).encrypt(),
    ]))
    write(out, "enc_badcrc.zip", archive([
        Entry("badcrc.txt", b"right password, wrong CRC\n", flags=8, crc=0x0BADC0DE).encrypt(),
    ]))
    xml = b"<?xml version=\"1.0\"?><x/>\n"
    write(out, "patterns.zip", archive([
        Entry("content.xml", b"top content\n"), Entry("meta.xml", xml), Entry("styles.xml", xml),
        Entry("CONTENT.XML", b"upper content\n"), Entry("Pictures/", b""),
        Entry("Pictures/content.xml", b"picture content\n"), Entry("sub/deeper/other.xml", xml),
        Entry("image.png", b"\x89PNG"),
    ]))
    write(out, "attrs.zip", archive([
        Entry("dos_readonly.txt", b"dos\n", host=0, attributes=0x21),
        Entry("unix_exec.sh", b"#!/bin/sh\n", attributes=0o104755 << 16),
    ]))


def unzip_manifest(out, names, extra_volumes):
    lines = []
    for name in names:
        source = os.path.join(out, name)
        with tempfile.TemporaryDirectory() as work:
            if name in extra_volumes:
                # unzip reads a split set only after zip has joined it.
                base = os.path.join(work, "set")
                shutil.copy(os.path.join(out, extra_volumes[name]), base + ".z01")
                shutil.copy(source, base + ".zip")
                subprocess.run(["zip", "-q", "-s", "0", base + ".zip", "--out", base + "_joined.zip"], check=True)
                source = base + "_joined.zip"
            target = os.path.join(work, "x")
            subprocess.run(["unzip", "-qq", "-o", "-P", PASSWORD.decode(), source, "-d", target], check=True)
            for folder, _, file_names in os.walk(target):
                for file_name in file_names:
                    path = os.path.join(folder, file_name)
                    with open(path, "rb") as f:
                        data = f.read()
                    rel = os.path.relpath(path, target)
                    lines.append("%s\t%s\t%d\t%016x\n" % (name, rel, len(data), fnv1a64(data)))
    lines.sort()
    write(out, "expected.txt", "".join(lines).encode())


def make_extraction_fixtures(parent):
    out = os.path.join(parent, "extract")
    os.makedirs(out, exist_ok=True)
    os.environ["TZ"] = "UTC"
    with tempfile.TemporaryDirectory() as root:
        files = make_source_tree(root)
        make_info_zip_archives(root, out)
    make_python_archives(out, files)
    make_hand_laid_archives(out, files)
    oracle = ["level%d.zip" % level for level in range(10)] + [
        "enc_file.zip", "enc_stored.zip", "enc_stream.zip", "stream.zip", "stdin.zip", "spanned.002",
        "py_mixed.zip", "py_stream.zip", "py_blocks.zip", "enc_nodesc.zip"]
    unzip_manifest(out, oracle, {"spanned.002": "spanned.001"})


if __name__ == "__main__":
    import sys
    make_extraction_fixtures(os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(__file__)))
