#!/usr/bin/env python3
"""Generates the part-lookup fixtures of the search tests (run once; the outputs are committed).

mixed_case.odt        parts stored as CONTENT.XML, Meta.Xml, Styles.XML, META-INF/MANIFEST.XML
last_entry.odt        content.xml (Walnut) then Content.xml (Chestnut); meta.xml (Heron) then
                      META.XML with a wrong CRC: the last entry of a part decides
styles_encrypted.odt  a manifest (prefix "m:", single quotes, a character reference in the
                      path, a commented-out entry) that marks only styles.xml as encrypted
long_line.odt         content.xml is one line of 4 MiB behind "Haselnuss"; meta.xml holds Heron

Usage: python3 make_part_fixtures.py [OUTPUT_FOLDER]   (default: the script's folder)
"""

import os
import struct
import sys
import warnings
import zipfile

OUT = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(__file__))
MIMETYPE = b"application/vnd.oasis.opendocument.text"
PADDING = "<!-- " + "x" * 300 + " -->"  # every document passes the 256-byte test on its own


def write(name, entries, bad_crc=()):
    """entries: (stored name, bytes); the entries named in bad_crc get a wrong CRC."""
    path = os.path.join(OUT, name)
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")  # duplicate names are the point of some fixtures
        with zipfile.ZipFile(path, "w") as archive:
            for stored, data in entries:
                method = zipfile.ZIP_STORED if stored == "mimetype" else zipfile.ZIP_DEFLATED
                archive.writestr(zipfile.ZipInfo(stored, (2020, 5, 17, 10, 30, 0)), data, method)
    if not bad_crc:
        return
    blob = bytearray(open(path, "rb").read())
    with zipfile.ZipFile(path) as archive:
        infos = archive.infolist()
    start = struct.unpack_from("<I", blob, blob.rfind(b"PK\x05\x06") + 16)[0]
    position = start
    for info in infos:
        name_length, extra_length, comment_length = struct.unpack_from("<HHH", blob, position + 28)
        if info.filename in bad_crc:
            wrong = (info.CRC ^ 0xFFFFFFFF) & 0xFFFFFFFF
            struct.pack_into("<I", blob, info.header_offset + 14, wrong)
            struct.pack_into("<I", blob, position + 16, wrong)
        position += 46 + name_length + extra_length + comment_length
    open(path, "wb").write(bytes(blob))


def xml(body):
    return ('<?xml version="1.0" encoding="UTF-8"?>' + PADDING + body).encode("utf-8")


MANIFEST = xml('<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0">'
               '<manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.text"/>'
               '<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>'
               '</manifest:manifest>')

write("mixed_case.odt", [
    ("mimetype", MIMETYPE),
    ("CONTENT.XML", xml("<office:text><text:p>Haselnuss in capitals</text:p></office:text>")),
    ("Meta.Xml", xml("<meta:title>Heron</meta:title>")),
    ("Styles.XML", xml("<style:name>Osprey</style:name>")),
    ("META-INF/MANIFEST.XML", MANIFEST),
])

write("last_entry.odt", [
    ("mimetype", MIMETYPE),
    ("content.xml", xml("<text:p>Walnut</text:p>")),
    ("Content.xml", xml("<text:p>Chestnut</text:p>")),
    ("meta.xml", xml("<meta:title>Heron</meta:title>")),
    ("META.XML", xml("<meta:title>Heron again</meta:title>")),
], bad_crc={"META.XML"})

write("styles_encrypted.odt", [
    ("mimetype", MIMETYPE),
    ("content.xml", xml("<text:p>Haselnuss</text:p>")),
    ("styles.xml", xml("<style:name>Haselnuss Osprey</style:name>")),
    ("META-INF/manifest.xml", xml(
        "<m:manifest xmlns:m='urn:oasis:names:tc:opendocument:xmlns:manifest:1.0'>\n"
        " <m:file-entry m:media-type='text/xml' m:full-path='content.xml'/>\n"
        " <!-- <m:file-entry m:full-path='content.xml'><m:encryption-data/></m:file-entry> -->\n"
        " <m:file-entry m:media-type='text/xml' m:full-path='st&#121;les.xml' m:size='99'>\n"
        "  <m:encryption-data m:checksum='a&gt;b'><m:algorithm m:algorithm-name='aes'/></m:encryption-data>\n"
        " </m:file-entry>\n"
        "</m:manifest>")),
])

write("long_line.odt", [
    ("mimetype", MIMETYPE),
    ("content.xml", xml("<text:p>Haselnuss</text:p>" + "a" * (4 << 20))),
    ("meta.xml", xml("<meta:title>Heron</meta:title>")),
])
