#!/usr/bin/env python3
"""Makes the inflate and cipher fixtures in this folder (run once; the outputs
are committed so the tests do not need this script).

- *.deflate: raw deflate streams made by zlib (wbits=-15) over deterministic
  texts, with manifest.txt giving each stream's uncompressed size and CRC-32;
  sample.txt is the plain text of the byte-compared stream.
- secret.zip: `zip -P secret` of hello.txt (stored) and song.txt (deflated).
  zip gives encrypted entries a data descriptor (flag bit 3), so their check
  byte is the high byte of the DOS time.
- docs/: a few office documents whose content.xml the benchmark decodes.
"""
import os, random, shutil, subprocess, tempfile, zlib

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = "/work/shared/corpus"

def words_text(seed, size):
    rnd = random.Random(seed)
    vocab = ["<text:p>", "</text:p>", "Haselnuss", "Walnut", "the", "and", "of", "summer",
             "party", "caf\u00e9", "Z\u00fcrich", "\u20ac", "style:name=\"P1\"", "  ", "\n",
             "office:document-content", "xmlns:text", "12,50"]
    out = []
    n = 0
    while n < size:
        w = rnd.choice(vocab) if rnd.random() < 0.9 else "".join(
            chr(rnd.randrange(33, 127)) for _ in range(rnd.randrange(1, 12)))
        out.append(w)
        n += len(w) + 1
    return " ".join(out).encode("utf-8")[:size]

def noise(seed, size):
    rnd = random.Random(seed)
    return bytes(rnd.randrange(256) for _ in range(size))

def deflate(data, level=6, strategy=zlib.Z_DEFAULT_STRATEGY, mem=8):
    c = zlib.compressobj(level, zlib.DEFLATED, -15, mem, strategy)
    return c.compress(data) + c.flush()

def deflate_flushed(data, chunk):
    # Sync flushes put empty stored blocks between the compressed pieces.
    c = zlib.compressobj(6, zlib.DEFLATED, -15)
    out = b""
    for i in range(0, len(data), chunk):
        out += c.compress(data[i:i + chunk]) + c.flush(zlib.Z_SYNC_FLUSH)
    return out + c.flush()

def main():
    sample = words_text(1, 100_000)
    long_runs = (b"a" * 5000 + b"ab" * 3000 + b"abcdefg" * 2000 + words_text(2, 20_000)) * 2
    cases = {
        "text_level6": deflate(sample),
        "text_level9": deflate(sample, 9),
        "text_level1": deflate(sample, 1),
        "text_fixed": deflate(sample, 6, zlib.Z_FIXED),
        "text_huffman_only": deflate(sample, 6, zlib.Z_HUFFMAN_ONLY),
        "text_rle": deflate(long_runs, 6, zlib.Z_RLE),
        "text_stored": deflate(sample[:70_000], 0),
        "text_sync_flush": deflate_flushed(sample[:60_000], 7000),
        "runs_level9": deflate(long_runs, 9),
        "noise_level6": deflate(noise(3, 40_000), 6),
        "mixed_level6": deflate(noise(4, 3000) + sample[:50_000] + noise(5, 3000), 6),
        "empty": deflate(b""),
    }
    plain = {
        "text_level6": sample, "text_level9": sample, "text_level1": sample,
        "text_fixed": sample, "text_huffman_only": sample, "text_rle": long_runs,
        "text_stored": sample[:70_000], "text_sync_flush": sample[:60_000],
        "runs_level9": long_runs, "noise_level6": noise(3, 40_000),
        "mixed_level6": noise(4, 3000) + sample[:50_000] + noise(5, 3000), "empty": b"",
    }
    with open(os.path.join(HERE, "manifest.txt"), "w") as m:
        for name, stream in cases.items():
            with open(os.path.join(HERE, name + ".deflate"), "wb") as f:
                f.write(stream)
            data = plain[name]
            m.write("%s %d %08x\n" % (name, len(data), zlib.crc32(data) & 0xFFFFFFFF))
    with open(os.path.join(HERE, "sample.txt"), "wb") as f:
        f.write(sample)

    # Encrypted archives.
    work = tempfile.mkdtemp()
    try:
        with open(os.path.join(work, "hello.txt"), "wb") as f:
            f.write(b"Hello from an encrypted entry.\n")
        with open(os.path.join(work, "song.txt"), "wb") as f:
            f.write(b"Haselnuss and Walnut, " * 200)
        for name in ("hello.txt", "song.txt"):
            os.utime(os.path.join(work, name), (1700000000, 1700000000))
        out = os.path.join(HERE, "secret.zip")
        if os.path.exists(out):
            os.remove(out)
        subprocess.run(["zip", "-q", "-X", "-P", "secret", "-0", out, "hello.txt"], cwd=work, check=True)
        subprocess.run(["zip", "-q", "-X", "-P", "secret", "-9", out, "song.txt"], cwd=work, check=True)
    finally:
        shutil.rmtree(work)

    # Documents for the benchmark.
    docs = os.path.join(HERE, "docs")
    os.makedirs(docs, exist_ok=True)
    for rel in ["letters/Invitation.odt", "letters/Einladung.sxw", "sheets/Budget.ods",
                "sheets/Inventar.sxc", "slides/Roadmap.odp", "slides/Kickoff.sxi",
                "drawings/Floorplan.odg", "drawings/Wiring.sxd"]:
        target = os.path.join(docs, os.path.basename(rel))
        if os.path.exists(target):
            os.chmod(target, 0o644)
            os.remove(target)
        shutil.copyfile(os.path.join(CORPUS, rel), target)

if __name__ == "__main__":
    main()
