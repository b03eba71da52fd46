#!/usr/bin/env python3
"""The desktop program's start and rest, as a user starts it (run under dbus-run-session and
xvfb-run): the splash is painted first and taken away once the editor's first frame is on screen,
the editor lowers its frame rate when nothing happens, and a second start with a project hands the
project to the running program, which opens it, and ends."""
import argparse
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import zlib

PROJECT = """<?xml version="1.0" encoding="UTF-8"?>
<template demoWidth="300" demoHeight="250" img="sky.png" bgColor="#1E3A5F" fit="cover">
  <component><info url="res/template.swf"/></component>
  <headline color="#FFFFFF" size="24" bold="true" align="center" valign="top">Handed over</headline>
  <effect type="slide" duration="600"/>
</template>
"""


def write_png(path, width, height):
    rows = b"".join(b"\0" + bytes((30, 120, 220)) * width for _ in range(height))
    chunk = lambda kind, data: (struct.pack(">I", len(data)) + kind + data +
                                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
                chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


class DesktopStart(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = os.path.realpath(tempfile.mkdtemp(prefix="desktop-start-"))
        cls.log = os.path.join(cls.scratch, "bridge.log")
        cls.env = dict(os.environ, PENNORIA_BRIDGE_LOG=cls.log, WEBKIT_DISABLE_COMPOSITING_MODE="1",
                       HOME=os.path.join(cls.scratch, "home"),
                       XDG_CONFIG_HOME=os.path.join(cls.scratch, "config"),
                       XDG_DATA_HOME=os.path.join(cls.scratch, "data"),
                       PENNORIA_APPLICATION_ID="org.oskarel.PennoriaTest%d" % os.getpid(),
                       NO_AT_BRIDGE="1", GSETTINGS_BACKEND="memory")
        os.makedirs(cls.env["HOME"])
        cls.project = os.path.join(cls.scratch, "projects", "handed.pbf")
        os.makedirs(os.path.dirname(cls.project))
        with open(cls.project, "w") as f:
            f.write(PROJECT)
        write_png(os.path.join(cls.scratch, "projects", "sky.png"), 40, 30)
        cls.first = subprocess.Popen([ARGS.program], env=cls.env)
        try:
            cls.wait_for(" shown", 240)
            cls.shown = cls.lines()
            cls.wait_for(" pace ", 60)
            cls.rested = cls.lines()
            began = time.monotonic()
            cls.second = subprocess.run([ARGS.program, cls.project], env=cls.env, timeout=60)
            cls.second_seconds = time.monotonic() - began
            cls.wait_for(" reply <string>" + cls.project, 60)
            time.sleep(2)  # the project's text and image are read, the effect plays
            cls.handed = cls.lines()
        finally:
            cls.first.send_signal(signal.SIGTERM)
            try:
                cls.first_code = cls.first.wait(60)
            except subprocess.TimeoutExpired:
                cls.first.kill()
                cls.first_code = None

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.scratch, ignore_errors=True)

    @classmethod
    def lines(cls):
        try:
            with open(cls.log) as f:
                return [line.rstrip("\n").split(" ", 2)[1:] for line in f]
        except FileNotFoundError:
            return []

    @classmethod
    def wait_for(cls, text, seconds):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            if cls.first.poll() is not None:
                raise AssertionError("the program ended early: %s" % cls.first.returncode)
            try:
                with open(cls.log) as f:
                    if text in f.read():
                        return
            except FileNotFoundError:
                pass
            time.sleep(0.1)
        raise AssertionError("never logged %r; the log:\n%s" % (text, open(cls.log).read() if os.path.exists(cls.log) else ""))

    @staticmethod
    def kinds(lines):
        return [line[0] for line in lines]

    def test_the_splash_comes_first_and_goes_with_the_editors_first_frame(self):
        kinds = self.kinds(self.shown)
        # Painted before WebKit is set up, so before the page and anything of the movie.
        self.assertIn("request", kinds)
        self.assertLess(kinds.index("splash"), kinds.index("webview"))
        self.assertLess(kinds.index("splash"), kinds.index("serve"))
        self.assertLess(kinds.index("splash"), kinds.index("ready"))
        kinds = self.kinds(self.rested)
        self.assertEqual(kinds.count("splashgone"), 1)
        self.assertGreater(kinds.index("splashgone"), kinds.index("shown"))

    def test_the_still_editor_lowers_its_frame_rate_and_the_opened_project_raises_it(self):
        paces = [float(line[1]) for line in self.handed if line[0] == "pace"]
        self.assertLessEqual(paces[0], 1)
        self.assertTrue(any(p >= 24 for p in paces[1:]), paces)

    def test_a_second_start_hands_its_project_to_the_first_and_ends(self):
        self.assertEqual(self.second.returncode, 0)
        kinds = self.kinds(self.handed)
        texts = [" ".join(line) for line in self.handed]
        self.assertIn("handover " + self.project, texts)
        told = [t for t in texts if t.startswith("hostcall") and "HandOverProjectVC" in t]
        self.assertEqual(len(told), 1)
        self.assertIn(self.project, told[0])
        asked = kinds.index("request", texts.index(told[0]))
        self.assertIn("OpenHandedProjectVC", texts[asked])
        self.assertEqual(texts[asked + 1], "reply <string>%s</string>" % self.project)
        # The project and the image beside it were served to the movie; nothing was refused.
        self.assertNotIn("refused", kinds)
        # Only one program ran: the first one ends when asked to.
        self.assertEqual(self.first_code, 0)
        print("second start handed over and ended after %.2f s" % self.second_seconds, file=sys.stderr)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
