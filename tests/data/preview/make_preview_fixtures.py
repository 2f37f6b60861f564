#!/usr/bin/env python3
"""Writes the preview's fixtures: Island.odt, a minimal Writer document whose
one paragraph holds the Windows-1252 letters Þ and ð, which the Turkish code
page shows as Ş and ğ; Chart.odt and Reiher.odt (below)."""
import os
import zipfile

here = os.path.dirname(os.path.abspath(__file__))
content = (
    '<?xml version="1.0" encoding="UTF-8"?>\n'
    '<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"'
    ' xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.2">'
    '<office:body><office:text><text:p>\u00deingvellir, Gar\u00f0ab\u00e6r</text:p></office:text>'
    '</office:body></office:document-content>'
)
manifest = (
    '<?xml version="1.0" encoding="UTF-8"?>\n'
    '<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0">'
    '<manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.text"/>'
    '<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>'
    '</manifest:manifest>'
)
with zipfile.ZipFile(os.path.join(here, "Island.odt"), "w") as z:
    z.writestr(zipfile.ZipInfo("mimetype", (2024, 1, 1, 0, 0, 0)), "application/vnd.oasis.opendocument.text")
    for name, text in (("content.xml", content), ("META-INF/manifest.xml", manifest)):
        info = zipfile.ZipInfo(name, (2024, 1, 1, 0, 0, 0))
        info.compress_type = zipfile.ZIP_DEFLATED
        z.writestr(info, text.encode("utf-8"))

# Chart.odt: the document's content.xml, then an embedded object's, which
# would land on the same name in the scratch folder.
chart = (
    '<?xml version="1.0" encoding="UTF-8"?>\n'
    '<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"'
    ' xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.2">'
    '<office:body><office:chart><text:p>Chart title</text:p></office:chart></office:body>'
    '</office:document-content>'
)
with zipfile.ZipFile(os.path.join(here, "Chart.odt"), "w") as z:
    z.writestr(zipfile.ZipInfo("mimetype", (2024, 1, 1, 0, 0, 0)), "application/vnd.oasis.opendocument.text")
    for name, text in (("content.xml", content.replace("\u00deingvellir, Gar\u00f0ab\u00e6r", "Report text")),
                       ("Object 1/content.xml", chart), ("META-INF/manifest.xml", manifest)):
        info = zipfile.ZipInfo(name, (2024, 1, 1, 0, 0, 0))
        info.compress_type = zipfile.ZIP_DEFLATED
        z.writestr(info, text.encode("utf-8"))

# Reiher.odt: the hits of "Reiher" far below the first screen, after letters
# that take two bytes in UTF-8 and one in Windows-1252; one occurrence split
# by a span, which the preview shows on two lines; and one in upper case.
filler = "".join("<text:p>F\u00fcllzeile %d mit \u00e4hnlichem Text</text:p>" % n for n in range(1, 121))
birds = (
    "<text:p>Am Ufer st\u00e4ht ein Reiher, ein grauer Reiher.</text:p>"
    '<text:p>Der Rei<text:span text:style-name="T1">her</text:span> fliegt.</text:p>'
    "<text:p>Noch ein REIHER.</text:p>"
)
with zipfile.ZipFile(os.path.join(here, "Reiher.odt"), "w") as z:
    z.writestr(zipfile.ZipInfo("mimetype", (2024, 1, 1, 0, 0, 0)), "application/vnd.oasis.opendocument.text")
    for name, text in (("content.xml", content.replace("<text:p>\u00deingvellir, Gar\u00f0ab\u00e6r</text:p>",
                                                       filler + birds)),
                       ("META-INF/manifest.xml", manifest)):
        info = zipfile.ZipInfo(name, (2024, 1, 1, 0, 0, 0))
        info.compress_type = zipfile.ZIP_DEFLATED
        z.writestr(info, text.encode("utf-8"))
