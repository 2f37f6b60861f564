#!/usr/bin/env python3
"""Writes seven ordinary Writer documents whose content.xml is built to make an
XML scanner slow, each also holding a paragraph with the word "Findmich".

  same_attrs.odt       one tag with 200,000 attributes of the same name
  descending_attrs.odt one tag with 100,000 attributes, names in descending order
  huge_default.odt     an attribute default of 500 KB, then 20,000 empty tags
  many_defaults.odt    4,000 attribute defaults, then 40,000 empty tags
  descending_decls.odt 100,000 notation and element declarations in descending order
  stray_percents.odt   160,000 entity declarations, each followed by a stray "%"
  open_regions.odt     1,000 drawing objects left open, then 110,000 end tags of another

SCALE (default 1) divides every count and size, for quick runs. The same
shapes, built in memory at small sizes, serve the scanner's tests.

usage: make_hostile_xml.py OUT [SCALE]
"""
import os
import sys
import zipfile

HEAD = ('<?xml version="1.0" encoding="UTF-8"?>\n'
        '<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"'
        ' xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.2">'
        '<office:body><office:text>')
TAIL = '<text:p>Findmich</text:p></office:text></office:body></office:document-content>'
DOCTYPE = '<!DOCTYPE office:document-content [%s]>'
MANIFEST = ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0">'
            '<manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.text"/>'
            '<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>'
            '</manifest:manifest>')


def with_prolog(doctype, body):
    """content.xml: the declaration, a document type with the internal subset
    doctype (none when empty), then the body before the Findmich paragraph."""
    head = HEAD.replace('\n', '\n' + DOCTYPE % doctype, 1) if doctype else HEAD
    return head + body + TAIL


def shapes(scale):
    n = lambda count: max(1, count // scale)
    yield 'same_attrs', with_prolog('', '<x' + ' a=""' * n(200000) + '/>')
    yield 'descending_attrs', with_prolog('', '<x' + ''.join(' a%06d="v"' % i for i in range(n(100000), 0, -1)) + '/>')
    yield 'huge_default', with_prolog('<!ATTLIST e a CDATA "%s">' % ('x' * n(500000)), '<e/>' * n(20000))
    yield 'many_defaults', with_prolog('<!ATTLIST e' + ''.join(' a%d CDATA "v"' % i for i in range(n(4000))) + '>',
                                       '<e/>' * n(40000))
    yield 'descending_decls', with_prolog(''.join('<!NOTATION n%06d SYSTEM "s"><!ELEMENT e%06d ANY>' % (i, i)
                                                  for i in range(n(50000), 0, -1)), '')
    yield 'stray_percents', with_prolog('<!ENTITY e "x">%' * n(160000), '')
    yield 'open_regions', with_prolog('', '<draw:a>' * n(1000) + '</draw:b>' * n(110000))


def write_document(path, content):
    with zipfile.ZipFile(path, 'w') as zout:
        zout.writestr('mimetype', 'application/vnd.oasis.opendocument.text', compress_type=zipfile.ZIP_STORED)
        zout.writestr('content.xml', content, compress_type=zipfile.ZIP_DEFLATED)
        zout.writestr('META-INF/manifest.xml', MANIFEST, compress_type=zipfile.ZIP_DEFLATED)


def main():
    out = sys.argv[1]
    scale = int(sys.argv[2]) if len(sys.argv) > 2 else 1
    os.makedirs(out, exist_ok=True)
    for name, content in shapes(scale):
        write_document(os.path.join(out, name + '.odt'), content)


if __name__ == '__main__':
    main()
