#!/usr/bin/env python3
"""Builds a corpus of office documents for the search benchmark.

Takes the readable documents of tests/data/corpus and examples/ and writes
COUNT variants of them into OUT: each a fresh deflated archive whose
content.xml has a few paragraphs of generated text added; every tenth holds
the phrase "Kastanienallee". With MIN_KB and MAX_KB, generated text is added
until each content.xml holds between MIN_KB and MAX_KB kilobytes, as in real
reports. With --small the documents hold varied prose instead (words drawn
from a large generated vocabulary, as often as words are in real text) up to
a content.xml of 25-80 KB, about 23 KB a document; every hundredth holds the
rarer phrase "Wacholderweg" as well. Deterministic for a given seed.

usage: make_find_corpus.py OUT [COUNT [MIN_KB MAX_KB]] [--small]
"""
import os
import random
import sys
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCES = ["tests/data/corpus/letters", "tests/data/corpus/sheets", "tests/data/corpus/slides",
           "tests/data/corpus/drawings", "tests/data/corpus/formulas", "tests/data/corpus/templates",
           "tests/data/corpus/misc", "examples"]
WORDS = ("Garten Haus Brief Tabelle Rechnung Angebot Vertrag Kunde Lieferung Termin Bericht "
         "summer party invoice meeting budget coffee harvest launch kitchen living room Fischer "
         "Königsallee Bäckerei Schäfer Brötchen Café Zürich Straße Müller").split()
PHRASE = "Kastanienallee"
RARE_PHRASE = "Wacholderweg"
SYLLABLES = ("ber ga li mo ten sch rei nung keit hof feld stein bach wald au ei ö ü ä ß ka ro "
             "pe tra un ver ge zu an ab ur ten ling mann frau heit lich ig isch ung ar or "
             "qu ex th ph ch st sp dr kl gr bl fr pr tr zw ie ee oo").split()


def vocabulary(rng, size=6000):
    """Generated words and their weights: the n-th word about 1/n as often."""
    words = set()
    while len(words) < size:
        word = "".join(rng.choice(SYLLABLES) for _ in range(rng.randint(1, 4)))
        words.add(word.capitalize() if rng.random() < 0.3 else word)
    words = sorted(words)
    rng.shuffle(words)
    return words, [1.0 / (n + 1) for n in range(len(words))]


def prose(rng, vocab, phrases):
    words = rng.choices(vocab[0], vocab[1], k=rng.randint(20, 120))
    for phrase in phrases:
        words.insert(rng.randrange(len(words)), phrase)
    text = ""
    for word in words:
        text += word + rng.choice((" ", " ", " ", " ", " ", ", ", ". ", " 19", "; "))
    return "<text:p>" + text.strip() + "</text:p>"


def sources():
    for folder in SOURCES:
        base = os.path.join(ROOT, folder)
        for name in sorted(os.listdir(base)):
            path = os.path.join(base, name)
            if os.path.isfile(path) and zipfile.is_zipfile(path) and not name.endswith(".bak"):
                yield path


def paragraph(rng, with_phrase):
    words = [rng.choice(WORDS) for _ in range(rng.randint(20, 120))]
    if with_phrase:
        words.insert(rng.randrange(len(words)), PHRASE)
    return "<text:p>" + " ".join(words) + "</text:p>"


def small_variant(source, target, rng, vocab, phrases):
    with zipfile.ZipFile(source) as zin, zipfile.ZipFile(target, "w") as zout:
        for info in zin.infolist():
            data = zin.read(info)
            if info.filename == "content.xml":
                text = data.decode("utf-8")
                target_size = rng.randint(25, 80) * 1024
                pieces = [prose(rng, vocab, phrases)]
                grown = len(text) + len(pieces[0])
                while grown < target_size:
                    pieces.append(prose(rng, vocab, ()))
                    grown += len(pieces[-1])
                cut = text.rfind("</office:text>")
                if cut < 0:
                    cut = text.rfind("</office:body>")
                text = text[:cut] + "".join(pieces) + text[cut:] if cut >= 0 else text
                data = text.encode("utf-8")
            method = zipfile.ZIP_STORED if info.filename == "mimetype" else zipfile.ZIP_DEFLATED
            zout.writestr(zipfile.ZipInfo(info.filename, info.date_time), data, compress_type=method)


def variant(source, target, rng, with_phrase, size_kb):
    with zipfile.ZipFile(source) as zin, zipfile.ZipFile(target, "w") as zout:
        for info in zin.infolist():
            data = zin.read(info)
            if info.filename == "content.xml":
                text = data.decode("utf-8")
                extra = "".join(paragraph(rng, with_phrase and i == 0) for i in range(rng.randint(2, 30)))
                if size_kb:
                    target_size = rng.randint(size_kb[0], size_kb[1]) * 1024
                    pieces = [extra]
                    grown = len(text) + len(extra)
                    while grown < target_size:
                        pieces.append(paragraph(rng, False))
                        grown += len(pieces[-1])
                    extra = "".join(pieces)
                cut = text.rfind("</office:text>")
                if cut < 0:
                    cut = text.rfind("</office:body>")
                text = text[:cut] + extra + text[cut:] if cut >= 0 else text
                data = text.encode("utf-8")
            method = zipfile.ZIP_STORED if info.filename == "mimetype" else zipfile.ZIP_DEFLATED
            zout.writestr(zipfile.ZipInfo(info.filename, info.date_time), data, compress_type=method)


def main():
    args = [arg for arg in sys.argv[1:] if arg != "--small"]
    small = len(args) < len(sys.argv) - 1
    if not args or args[0].startswith("-"):  # --help and the like name no folder to fill
        sys.exit(__doc__.strip())
    out = args[0]
    count = int(args[1]) if len(args) > 1 else 2000
    size_kb = (int(args[2]), int(args[3])) if len(args) > 3 else None
    rng = random.Random(1234)
    vocab = vocabulary(random.Random(99)) if small else None
    docs = list(sources())
    for i in range(count):
        source = docs[i % len(docs)]
        folder = os.path.join(out, "d%02d" % (i % 50))
        os.makedirs(folder, exist_ok=True)
        stem, ext = os.path.splitext(os.path.basename(source))
        target = os.path.join(folder, "%s_%05d%s" % (stem, i, ext))
        if small:
            phrases = [PHRASE] * (i % 10 == 0) + [RARE_PHRASE] * (i % 100 == 7)
            small_variant(source, target, rng, vocab, phrases)
        else:
            variant(source, target, rng, i % 10 == 0, size_kb)


if __name__ == "__main__":
    main()
