#!/usr/bin/env python3
"""pennoria-cli publish as a script uses it: a run's options stay with the run, --strict fails a
creative over the ad rules, failures are plain lines, each size's zip carries the size.

    test_cli_publish.py PROGRAM_FOLDER"""

import os
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib

PROGRAM = None


def png(width, height, seed):
    """A PNG whose pixels do not compress: about 3 * width * height bytes."""
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


TWO_SIZES = """<template version="2" demoWidth="300" demoHeight="250" img="{img}">
  <elements><text id="title" x="10" y="10" width="200" height="40" size="14"><label>Sale</label></text>
  </elements>
  <sizes><size width="300" height="250"/><size width="728" height="90"/></sizes>
</template>"""


class Harness(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="cli-publish-")
        self.addCleanup(subprocess.run, ["rm", "-rf", self.root])
        self.config = os.path.join(self.root, "config")
        self.env = dict(os.environ, HOME=self.root, XDG_CONFIG_HOME=self.config,
                        XDG_DATA_HOME=self.root + "/data", PENNORIA_DEBUG_LOG="")
        self.cli = os.path.join(PROGRAM, "pennoria-cli")
        self.web = os.path.join(self.root, "web")

    def write(self, name, data):
        path = os.path.join(self.root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb" if isinstance(data, bytes) else "w") as f:
            f.write(data)
        return path

    def run_cli(self, *arguments):
        return subprocess.run([self.cli, *arguments], capture_output=True, text=True,
                              env=self.env, timeout=600)


class CommandLine(Harness):
    def test_options_stay_with_the_run_and_failures_are_plain(self):
        project = self.write("p.pbf", TWO_SIZES.format(img=""))
        run = self.run_cli("publish", project, "--folder", self.web, "--player", "none",
                           "--html5", "yes", "--strict")
        self.assertEqual(run.returncode, 0, run.stderr)
        # Nothing of the run is stored as the desktop program's settings.
        self.assertFalse(os.path.exists(os.path.join(self.config, "Oskarel")),
                         os.listdir(self.config) if os.path.isdir(self.config) else None)
        banner = os.path.join(self.web, "banner")
        for zip_name in ("banner_html5.zip", "300x250/banner_300x250_html5.zip",
                         "728x90/banner_728x90_html5.zip"):
            self.assertTrue(os.path.isfile(os.path.join(banner, zip_name)), zip_name)
        self.assertFalse(os.path.exists(os.path.join(banner, "728x90", "banner_html5.zip")))
        # Without --player the pages get the bundled player, whatever was chosen before.
        run = self.run_cli("publish", project, "--folder", self.web, "--overwrite", "yes",
                           "--out-mode", "1")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertTrue(os.path.isfile(os.path.join(banner, "ruffle", "ruffle.js")))

        # An existing folder without --overwrite, and a missing picture: one plain line each.
        run = self.run_cli("publish", project, "--folder", self.web)
        self.assertEqual(run.returncode, 1)
        self.assertIn("pennoria-cli publish: " + banner + " exists; --overwrite yes", run.stderr)
        missing = self.write("m.pbf", TWO_SIZES.format(img="gone.png"))
        run = self.run_cli("publish", missing, "--folder", self.web, "--overwrite", "yes")
        self.assertEqual(run.returncode, 1)
        self.assertIn("pennoria-cli publish: Publishing stopped: The image", run.stderr)
        self.assertIn("gone.png", run.stderr)
        for output in (run.stderr, run.stdout):
            self.assertNotIn("dialog:", output)
            self.assertNotIn("answer:", output)

    def test_strict_fails_a_creative_over_the_ad_rules(self):
        self.write("big.png", png(260, 230, 3))  # about 180 KB that no zip makes smaller
        project = self.write("big.pbf", TWO_SIZES.format(img="big.png"))
        run = self.run_cli("publish", project, "--folder", self.web, "--player", "none")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertIn("over the size ad networks accept", run.stderr)
        run = self.run_cli("publish", project, "--folder", self.web, "--player", "none",
                           "--overwrite", "yes", "--strict")
        self.assertEqual(run.returncode, 1, run.stderr)
        self.assertIn("pennoria-cli publish: --strict: banner_html5.zip: ", run.stderr)
        self.assertIn("--strict: 728x90/banner_728x90_html5.zip: ", run.stderr)
        # --help says that the options apply to the run only.
        self.assertIn("neither read", self.run_cli("publish", "--help").stdout)


if __name__ == "__main__":
    PROGRAM = sys.argv.pop(1)
    unittest.main()
