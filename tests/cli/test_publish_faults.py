#!/usr/bin/env python3
"""pennoria-cli publish under faults, as a person meets them: names that take another output's
place, debris of interrupted publishes, two publishes into one folder at once, a file-size limit
(a real `ulimit -f`), and labels that are not Unicode text.

    test_publish_faults.py PROGRAM_FOLDER"""

import os
import re
import struct
import subprocess
import sys
import tempfile
import threading
import unittest
import zlib

PROGRAM = None
TEMPORARY = re.compile(r"^.+\.pennoria-tmp-[A-Za-z0-9]{6}$")


def png(width, height, seed):
    """A PNG whose pixels do not compress: its size on disk is about 3 * width * height."""
    state = seed
    rows = bytearray()
    for _ in range(height):
        rows.append(0)
        for _ in range(width * 3):
            state = (state * 1103515245 + 12345) & 0x7FFFFFFF
            rows.append(state >> 16 & 0xFF)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(rows), 0)) + chunk(b"IEND", b""))


def stage_size(swf):
    """The stage of a SWF movie, in pixels."""
    body = swf[8:]
    if swf[:3] == b"CWS":
        body = zlib.decompress(body)
    bits = body[0] >> 3
    value = int.from_bytes(body[:1 + (5 + 4 * bits + 7) // 8], "big")
    total = (1 + (5 + 4 * bits + 7) // 8) * 8
    fields = []
    for k in range(4):
        shift = total - 5 - (k + 1) * bits
        fields.append(value >> shift & ((1 << bits) - 1))
    return (fields[1] - fields[0]) // 20, (fields[3] - fields[2]) // 20


def temporaries(folder):
    found = []
    for dirpath, _, files in os.walk(folder):
        found += [os.path.join(dirpath, f) for f in files if TEMPORARY.search(f)]
    return found


class PublishFaults(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="publish-faults-")
        self.addCleanup(subprocess.run, ["rm", "-rf", self.root])
        self.env = dict(os.environ, HOME=self.root, XDG_CONFIG_HOME=self.root + "/config",
                        XDG_DATA_HOME=self.root + "/data", PENNORIA_DEBUG_LOG="")
        self.cli = os.path.join(PROGRAM, "pennoria-cli")
        self.web = os.path.join(self.root, "web")
        os.makedirs(self.web)

    def project(self, name, text):
        path = os.path.join(self.root, name)
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        return path

    def publish(self, project, *options, limit_blocks=None):
        command = [self.cli, "publish", project, "--folder", self.web, "--overwrite", "yes",
                   *options]
        if limit_blocks is not None:
            command = ["bash", "-c", f'ulimit -f {limit_blocks}; exec "$@"', "bash", *command]
        return subprocess.run(command, capture_output=True, env=self.env, timeout=300)

    def test_names_that_take_another_outputs_place_are_refused(self):
        project = self.project("p.pbf", '<template demoWidth="300" demoHeight="250"/>')
        refused = [
            ("--page", "banner_html5.zip"), ("--page", "fs_aux.html"),
            ("--xml", "banner_backup.png"), ("--swf", "banner_html5.zip"),
            ("--page", "template.xml"), ("--xml", "BANNER.SWF"), ("--page", "Res"),
            ("--xml", "html5"), ("--page", "ruffle"), ("--xml", "300x250"),
            ("--xml", "swfobject.js"), ("--page", "x.html.pennoria-tmp-abc123"),
            ("--xml", ".pennoria-published"),
        ]
        for option, name in refused:
            with self.subTest(name=name):
                run = self.publish(project, option, name)
                self.assertEqual(run.returncode, 1, run.stderr)
                message = run.stderr.decode()
                self.assertIn("cannot be published: the same publish writes", message)
                self.assertIn(f'"{name.lower()}"', message.lower())
                self.assertEqual(os.listdir(self.web), [])
        # Names near those are fine, and each output is there once.
        run = self.publish(project, "--page", "banner_html5.html", "--xml", "300x250.xml",
                           "--html5", "yes", "--player", "none")
        self.assertEqual(run.returncode, 0, run.stderr)
        folder = os.path.join(self.web, "banner")
        for name in ("banner.swf", "banner_html5.html", "300x250.xml", "banner_html5.zip",
                     "banner_backup.png", "fs_aux.html"):
            self.assertTrue(os.path.isfile(os.path.join(folder, name)), name)

    def test_every_folder_a_publish_writes_loses_the_debris_of_interrupted_ones(self):
        project = self.project("p.pbf", """<template version="2" demoWidth="300" demoHeight="250">
            <elements><shape id="s" x="0" y="0" width="10" height="10" fill="#FF0000"/></elements>
            <sizes><size width="300" height="250"/><size width="728" height="90"/></sizes>
            </template>""")
        self.assertEqual(self.publish(project, "--html5", "yes").returncode, 0)
        folder = os.path.join(self.web, "banner")
        debris = ["banner.swf.pennoria-tmp-Ab3dE9", "res/template.swf.pennoria-tmp-000000",
                  "html5/index.html.pennoria-tmp-Qw3rTy", "ruffle/ruffle.js.pennoria-tmp-zzzzzz",
                  "728x90/html5/creative.js.pennoria-tmp-abc123",
                  "300x250/res/template.swf.pennoria-tmp-ABCDEF",
                  "728x90/banner.html.pennoria-tmp-a1b2c3"]
        mine = ["html5/notes.pennoria-tmp-toolong1", "728x90/html5/.pennoria-tmp-abcdef",
                "res/mine.pennoria-tmp-abc"]
        for name in debris + mine:
            os.makedirs(os.path.dirname(os.path.join(folder, name)), exist_ok=True)
            with open(os.path.join(folder, name), "w") as f:
                f.write("left behind")
        run = self.publish(project, "--html5", "yes")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(temporaries(folder), [])
        for name in mine:
            self.assertTrue(os.path.isfile(os.path.join(folder, name)), name)

    def test_two_publishes_into_one_folder_never_mix(self):
        # Two projects of different sizes published into one folder at once, again and again:
        # the folder always holds the project, page and movie of one of them, and nothing else.
        sizes = {(300, 250), (728, 90)}
        projects = [self.project(f"{w}.pbf", f'<template demoWidth="{w}" demoHeight="{h}"/>')
                    for w, h in sorted(sizes)]
        folder = os.path.join(self.web, "banner")
        rounds = int(os.environ.get("PENNORIA_RACE_ROUNDS", "60"))
        for round_number in range(rounds):
            results = [None, None]

            def run(i):
                results[i] = self.publish(projects[i], "--html5", "no", "--player", "none")
            threads = [threading.Thread(target=run, args=(i,)) for i in range(2)]
            for thread in threads:
                thread.start()
            for thread in threads:
                thread.join()
            for result in results:
                # Each one published, or was told that the other had the folder.
                if result.returncode != 0:
                    self.assertIn(b"another publish is writing the folder", result.stderr,
                                  (round_number, result.stdout, result.stderr))
            self.assertTrue(any(r.returncode == 0 for r in results), round_number)
            with open(os.path.join(folder, "template.xml"), encoding="utf-8") as f:
                project = f.read()
            width, height = map(int, re.search(r'demoWidth="(\d+)" demoHeight="(\d+)"',
                                               project).groups())
            with open(os.path.join(folder, "banner.swf"), "rb") as f:
                self.assertEqual(stage_size(f.read()), (width, height), round_number)
            with open(os.path.join(folder, "banner.html"), encoding="utf-8") as f:
                page = f.read()
            other = (sizes - {(width, height)}).pop()
            self.assertIn(f'"{width}"', page, round_number)
            self.assertNotIn(f'"{other[0]}"', page, round_number)
            self.assertEqual(temporaries(folder), [], round_number)

    def test_a_file_size_limit_fails_the_publish_cleanly(self):
        # The picture is larger than the limit; the files before it fit.
        with open(os.path.join(self.root, "big.png"), "wb") as f:
            f.write(png(160, 160, 7))  # about 77 KB
        project = self.project("p.pbf", '<template demoWidth="300" demoHeight="250" '
                                        'img="big.png"/>')
        reference = self.publish(project, "--html5", "no", "--player", "none")
        self.assertEqual(reference.returncode, 0, reference.stderr)
        os.rename(os.path.join(self.web, "banner"), os.path.join(self.root, "reference"))
        limit = 40  # blocks of 1024 bytes
        run = self.publish(project, "--html5", "no", "--player", "none", limit_blocks=limit)
        # Reported, not killed by SIGXFSZ.
        self.assertEqual(run.returncode, 1, (run.returncode, run.stderr))
        self.assertIn(b"File too large", run.stderr)
        self.assertIn(b"Publishing stopped", run.stderr)
        folder = os.path.join(self.web, "banner")
        self.assertEqual(temporaries(folder), [])
        # Whatever was written is whole: the same bytes as without the limit (the manifest lists
        # what this publish wrote, so it is shorter).
        written = 0
        for dirpath, _, files in os.walk(folder):
            for name in files:
                if name == ".pennoria-published":
                    continue
                path = os.path.join(dirpath, name)
                same = os.path.join(self.root, "reference", os.path.relpath(path, folder))
                with open(path, "rb") as a, open(same, "rb") as b:
                    self.assertEqual(a.read(), b.read(), path)
                written += 1
        self.assertFalse(os.path.exists(os.path.join(folder, "res", "big.png")))

    def test_labels_that_are_not_unicode_text_are_never_written(self):
        # Lone surrogates, non-characters and control characters, as character references.
        label = "a&#xD800;b&#xDFFF;c&#xFFFE;d&#xFDD0;e&#x1FFFF;f&#x1;g&#xFFFD;h"
        project = self.project("p.pbf", f"""<template version="2" demoWidth="300" demoHeight="250">
            <elements><text id="t" x="0" y="0" width="200" height="40" size="12">
            <label>{label}</label></text></elements></template>""")
        run = self.publish(project, "--html5", "yes", "--player", "none")
        self.assertEqual(run.returncode, 0, run.stderr)
        folder = os.path.join(self.web, "banner")
        bad = re.compile("[\ud800-\udfff\ufdd0-\ufdef\ufffe\uffff\U0001fffe\U0001ffff"
                         "\x00-\x08\x0b\x0c\x0e-\x1f]")
        for name in ("template.xml", "html5/index.html", "banner.html"):
            with open(os.path.join(folder, name), "rb") as f:
                text = f.read().decode("utf-8")  # strict: no encoded surrogates
            self.assertIsNone(bad.search(text), name)
        # Each becomes U+FFFD (a surrogate's three bytes one each); U+FFFD itself stays.
        with open(os.path.join(folder, "template.xml"), encoding="utf-8") as f:
            self.assertRegex(f.read(), "a\ufffd+b\ufffd+c\ufffdd\ufffde\ufffdf\ufffdg\ufffdh")


if __name__ == "__main__":
    PROGRAM = sys.argv.pop(1)
    unittest.main()
