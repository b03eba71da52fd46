#!/usr/bin/env python3
"""Writes FontMetrics.hx: the advance widths of the shipped faces, read from the faces themselves
by fonttools' ttx at build time, so that the banner model measures text with the widths every
renderer draws with (no kerning: the renderers draw the model's lines with kerning off).

usage: FontMetrics.py TTX OUTPUT.hx UNICODES KEY=FONT.ttf...
UNICODES is the subset's range list ("U+0020-007E,U+00A0-017F,..."); KEY names the face in the
model ("Liberation Sans|bold|italic" written as LiberationSans-11).
"""

import os
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET


def ranges(text):
    out = []
    for part in text.split(","):
        part = part.strip().upper()
        if part.startswith("U+"):
            part = part[2:]
        low, _, high = part.partition("-")
        out.append((int(low, 16), int(high or low, 16)))
    return out


def read_face(ttx, font):
    with tempfile.TemporaryDirectory() as folder:
        dump = os.path.join(folder, "face.ttx")
        subprocess.run([ttx, "-q", "-t", "head", "-t", "cmap", "-t", "hmtx", "-o", dump, font],
                       check=True)
        root = ET.parse(dump).getroot()
    units = int(root.find("head/unitsPerEm").get("value"))
    advances = {m.get("name"): int(m.get("width")) for m in root.iter("mtx")}
    glyphs = {}
    # The Unicode subtables (platform 0, or 3 with encoding 1 or 10).
    for table in root.find("cmap"):
        platform, encoding = table.get("platformID"), table.get("platEncID")
        if platform == "0" or (platform == "3" and encoding in ("1", "10")):
            for m in table.iter("map"):
                glyphs.setdefault(int(m.get("code"), 16), m.get("name"))
    return units, {code: advances[name] for code, name in glyphs.items() if name in advances}


def main():
    ttx, output, unicodes = sys.argv[1:4]
    spans = ranges(unicodes)
    faces = []
    for arg in sys.argv[4:]:
        key, _, font = arg.partition("=")
        units, widths = read_face(ttx, font)
        table = [widths.get(c, -1) for low, high in spans for c in range(low, high + 1)]
        faces.append((key, units, table))
    lines = [
        "// Generated at build time by data/cmake/FontMetrics.py from the shipped faces; do not edit.",
        "// Advance widths in font units of each face for the characters the faces are subset to;",
        "// -1 where a face has no glyph.",
        "class FontMetrics {",
        "\tpublic static var RANGES:Array<Int> = [%s];" % ", ".join(
            "%d, %d" % span for span in spans),
        "\tpublic static var KEYS:Array<String> = [%s];" % ", ".join('"%s"' % k for k, _, _ in faces),
        "\tpublic static var UNITS:Array<Int> = [%s];" % ", ".join(str(u) for _, u, _ in faces),
        "\tpublic static var WIDTHS:Array<Array<Int>> = [",
    ]
    for _, _, table in faces:
        lines.append("\t\t[%s]," % ",".join(str(w) for w in table))
    lines += ["\t];", "}", ""]
    temporary = output + ".tmp"
    with open(temporary, "w", encoding="utf-8") as f:
        f.write("\n".join(lines))
    os.replace(temporary, output)


if __name__ == "__main__":
    main()
