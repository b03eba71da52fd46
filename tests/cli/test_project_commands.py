#!/usr/bin/env python3
"""pennoria-cli on whole projects, as a script uses it: `layout` gives a design the sizes of a
campaign (sizes already there kept unless --relayout, pictures still found from the new file,
wrong input refused with nothing written); `publish` names each text that does not fit its box
with its size, and refuses projects one past each limit of the reader with the limit named.

    test_project_commands.py PROGRAM_FOLDER"""

import os
import struct
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET
import zlib

PROGRAM = None
MAX_ELEMENTS, MAX_SIZES, MAX_LABEL = 1000, 20, 5000


def project(elements=3, sizes=1, label=10):
    """A project of `elements` texts (the first `label` characters long) at `sizes` sizes."""
    out = ['<?xml version="1.0" encoding="UTF-8"?>\n'
           '<template version="2" demoWidth="300" demoHeight="250" bgColor="#1E3A5F"><elements>']
    for i in range(elements):
        text = "w" * label if i == 0 else "e%d" % i
        out.append('<text id="t%d" x="%d" y="%d" width="40" height="20" size="12"><label>%s</label></text>'
                   % (i, i % 260, i % 230, text))
    out.append('</elements><sizes><size width="300" height="250"/>')
    out += ['<size width="%d" height="250"/>' % (300 + s) for s in range(1, sizes)]
    out.append('</sizes></template>\n')
    return "".join(out)


DESIGN = """<?xml version="1.0" encoding="UTF-8"?>
<template version="2" demoWidth="300" demoHeight="250" bgColor="#1E3A5F">
  <elements>
    <image id="logo" x="10" y="10" width="80" height="40" src="pictures/logo.png" fit="contain"/>
    <text id="headline" x="10" y="70" width="280" height="64" size="26" bold="true" align="center"><label>Summer sale</label></text>
    <text id="tiny" x="10" y="140" width="30" height="14" size="12"><label>Free delivery on every order this week</label></text>
    <button id="cta" x="90" y="194" width="120" height="36" size="15"><label>Shop now</label></button>
  </elements>
  <sizes>
    <size width="300" height="250"/>
    <size width="728" height="90"><place ref="headline" x="5" y="5" width="300" height="40" size="20"/></size>
  </sizes>
</template>
"""


def png(width, height):
    rows = b"".join(b"\x00" + b"\x80\x20\x20" * width for _ in range(height))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def places(path):
    """{"WxH": {id: (x, y, width, height, hidden)}} of a project file; the first size empty."""
    root = ET.parse(path).getroot()
    out = {}
    for size in root.findall("sizes/size"):
        out["%sx%s" % (size.get("width"), size.get("height"))] = {
            p.get("ref"): (float(p.get("x")), float(p.get("y")), float(p.get("width")),
                           float(p.get("height")), p.get("hidden") == "true")
            for p in size.findall("place")}
    return out


class Commands(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="project-commands-")
        self.addCleanup(subprocess.run, ["rm", "-rf", self.root])
        self.env = dict(os.environ, HOME=self.root, XDG_CONFIG_HOME=self.root + "/config",
                        XDG_DATA_HOME=self.root + "/data", PENNORIA_DEBUG_LOG="")
        self.cli = os.path.join(PROGRAM, "pennoria-cli")

    def write(self, name, text):
        path = os.path.join(self.root, name)
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        return path

    def run_cli(self, *arguments):
        return subprocess.run([self.cli, *arguments], capture_output=True, env=self.env, timeout=300)

    def design(self):
        os.makedirs(os.path.join(self.root, "design", "pictures"))
        with open(os.path.join(self.root, "design", "pictures", "logo.png"), "wb") as f:
            f.write(png(160, 80))
        return self.write("design/sale.pbf", DESIGN)

    def test_layout_adds_the_sizes_keeps_those_there_and_the_pictures_are_still_found(self):
        design = self.design()
        os.makedirs(os.path.join(self.root, "campaign"))
        out = os.path.join(self.root, "campaign", "all.pbf")
        run = self.run_cli("layout", design, "--sizes", "160x600,320x50,88x31, 728x90", "--output",
                           out)
        self.assertEqual(run.returncode, 0, run.stderr)
        laid = places(out)
        self.assertEqual(list(laid), ["300x250", "728x90", "160x600", "320x50", "88x31"])
        for size in ("160x600", "320x50", "88x31"):
            width, height = map(int, size.split("x"))
            self.assertEqual(sorted(laid[size]), ["cta", "headline", "logo", "tiny"], size)
            for ident, (x, y, w, h, hidden) in laid[size].items():
                if not hidden:
                    self.assertTrue(0 <= x and x + w <= width + 0.01 and 0 <= y and y + h <= height + 0.01,
                                    (size, ident, x, y, w, h))
        # The hand-placed 728 x 90 stays as it was; its other elements keep the automatic rule.
        self.assertEqual(laid["728x90"], {"headline": (5, 5, 300, 40, False)})
        # What the layout leaves out or cannot fit is named with its size, one line each.
        said = run.stderr.decode()
        self.assertIn("pennoria-cli layout: 88x31 tiny: left out, no room", said)
        self.assertTrue(laid["88x31"]["tiny"][4])
        self.assertNotIn("160x600", said)
        root = ET.parse(out).getroot()
        logo = root.find("elements/image").get("src")
        self.assertTrue(os.path.isfile(os.path.join(self.root, "campaign", logo)), logo)
        with open(design, encoding="utf-8") as f:
            self.assertEqual(f.read(), DESIGN)

        # --relayout lays the sizes there out again, the design's own size excepted.
        run = self.run_cli("layout", out, "--sizes", "728x90,300x250", "--output", out, "--relayout")
        self.assertEqual(run.returncode, 0, run.stderr)
        again = places(out)
        self.assertEqual(sorted(again["728x90"]), ["cta", "headline", "logo", "tiny"])
        self.assertNotEqual(again["728x90"]["headline"], (5, 5, 300, 40, False))
        self.assertEqual(again["160x600"], laid["160x600"])
        self.assertEqual(ET.parse(out).getroot().find("elements/text").get("x"), "10")

    def test_layout_refuses_wrong_input_and_writes_nothing(self):
        design = self.design()
        out = os.path.join(self.root, "out.pbf")
        big = self.write("big.pbf", project(elements=MAX_ELEMENTS + 1))
        full = self.write("full.pbf", project(sizes=MAX_SIZES))
        cases = [
            ((design, "--sizes", "728by90", "--output", out), "not a size: 728by90"),
            ((design, "--sizes", "0x90", "--output", out), "not a size: 0x90"),
            ((full, "--sizes", "728x90", "--output", out), "too many sizes: 728x90"),
            ((big, "--sizes", "728x90", "--output", out), "1001 elements (at most 1000)"),
            ((self.write("page.html", "<html><body/></html>"), "--sizes", "728x90", "--output", out),
             "not a project"),
            ((os.path.join(self.root, "missing.pbf"), "--sizes", "728x90", "--output", out), "cannot read"),
            ((design, "--sizes", "728x90", "--output", os.path.join(self.root, "no", "out.pbf")),
             "folder does not exist"),
        ]
        for arguments, said in cases:
            with self.subTest(said=said):
                run = self.run_cli("layout", *arguments)
                self.assertEqual(run.returncode, 2, run.stderr)
                self.assertIn(said, run.stderr.decode())
                self.assertFalse(os.path.exists(out))
        run = self.run_cli("layout", design, "--output", out)
        self.assertNotEqual(run.returncode, 0)
        self.assertIn("--sizes", run.stderr.decode())

    def test_publish_names_each_text_that_does_not_fit_with_its_size(self):
        design = self.design()
        web = os.path.join(self.root, "web")
        os.makedirs(web)
        run = self.run_cli("publish", design, "--folder", web, "--html5", "no", "--player", "none")
        self.assertEqual(run.returncode, 0, run.stderr)
        said = run.stderr.decode()
        self.assertIn("pennoria-cli publish: the text of tiny does not fit its box at 300x250", said)
        self.assertNotIn("the text of headline", said)

    def test_publish_refuses_a_project_one_past_each_limit(self):
        web = os.path.join(self.root, "web")
        os.makedirs(web)
        cases = [
            ("elements", project(elements=MAX_ELEMENTS + 1), "1001 elements (at most 1000)"),
            ("sizes", project(sizes=MAX_SIZES + 1), "21 sizes (at most 20)"),
            ("text", project(label=MAX_LABEL + 1), "5001 characters in a text (at most 5000)"),
        ]
        for name, text, said in cases:
            with self.subTest(limit=name):
                path = self.write(name + ".pbf", text)
                run = self.run_cli("publish", path, "--folder", web, "--html5", "yes",
                                   "--overwrite", "yes")
                self.assertEqual(run.returncode, 1, run.stderr)
                self.assertIn(said, run.stderr.decode())
                self.assertIn("cannot be published", run.stderr.decode())
                written = [f for _, _, files in os.walk(web) for f in files]
                self.assertEqual(written, [])
                with open(path, encoding="utf-8") as f:
                    self.assertEqual(f.read(), text)
        # At every limit the whole project is published, each of its sizes.
        path = self.write("full.pbf", project(elements=MAX_ELEMENTS, sizes=3, label=MAX_LABEL))
        run = self.run_cli("publish", path, "--folder", web, "--html5", "no", "--player", "none",
                           "--overwrite", "yes")
        self.assertEqual(run.returncode, 0, run.stderr)
        folder = os.path.join(web, "banner")
        self.assertEqual(sorted(d for d in os.listdir(folder) if "x" in d and d[0].isdigit()),
                         ["300x250", "301x250", "302x250"])
        with open(os.path.join(folder, "template.xml"), encoding="utf-8") as f:
            published = f.read()
        self.assertEqual(published.count("<text "), MAX_ELEMENTS)
        self.assertIn("w" * MAX_LABEL + "<", published)


if __name__ == "__main__":
    PROGRAM = sys.argv.pop(1)
    unittest.main()
