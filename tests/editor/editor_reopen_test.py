#!/usr/bin/env python3
"""The desktop program reopening every example project: started with the project as a person
opens it from the file manager, the editor reads it and asks for every picture it draws (the
background and each element picture, in either format version); the player grants and serves
each of them, and refuses no file. Runs under its own Xvfb (the test command wraps it in
xvfb-run).

usage: editor_reopen_test.py --program DIR --examples DIR   (exit 77 when the program or a
display is missing)
"""
import argparse
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import xml.etree.ElementTree as ET

ARGS = None


def pictures_of(project):
    """The pictures a project draws, as files beside it: the background, and in version 2 each
    element picture."""
    root = ET.parse(project).getroot()
    names = [root.get("img", "")]
    if root.get("version") == "2":
        names += [image.get("src", "") for image in root.iter("image")]
    folder = os.path.dirname(project)
    return sorted({os.path.realpath(os.path.join(folder, n)) for n in names if n.strip()})


class Reopen(unittest.TestCase):
    def test_every_example_shows_every_picture(self):
        examples = sorted(glob.glob(os.path.join(ARGS.examples, "*", "*.pbf")))
        self.assertTrue(examples)
        for example in examples:
            with self.subTest(example=os.path.basename(example)):
                scratch = os.path.realpath(tempfile.mkdtemp(prefix="editorreopen"))
                try:
                    copy = os.path.join(scratch, "work")
                    shutil.copytree(os.path.dirname(example), copy)
                    project = os.path.join(copy, os.path.basename(example))
                    self.open_and_check(scratch, project, pictures_of(project))
                finally:
                    shutil.rmtree(scratch, ignore_errors=True)

    def open_and_check(self, scratch, project, pictures):
        self.assertTrue(pictures, "the example draws a picture")
        log = os.path.join(scratch, "bridge.log")
        env = dict(os.environ, HOME=scratch, XDG_CONFIG_HOME=scratch + "/config",
                   XDG_DATA_HOME=scratch + "/data", PENNORIA_BRIDGE_LOG=log,
                   WEBKIT_DISABLE_COMPOSITING_MODE="1")
        with open(os.path.join(scratch, "host.log"), "wb") as output:
            proc = subprocess.Popen([os.path.join(ARGS.program, "pennoria"), project], env=env,
                                    stdout=output, stderr=subprocess.STDOUT)
            try:
                served = lambda: [line.split(" ", 2)[-1] for line in read(log).splitlines()
                                  if " serve " in " " + line]
                deadline = time.monotonic() + 180
                while time.monotonic() < deadline:
                    if all(any(p == s.strip() for s in served()) for p in pictures):
                        break
                    if proc.poll() is not None:
                        break
                    time.sleep(0.3)
                # The editor has asked for the pictures it draws: none may be refused, none missing.
                time.sleep(2)
                text = read(log)
                refused = [line for line in text.splitlines() if "refused" in line]
                self.assertEqual(refused, [], text[-3000:])
                for picture in pictures:
                    self.assertTrue(any(picture == s.strip() for s in served()),
                                    "%s not served:\n%s" % (picture, text[-3000:]))
            finally:
                proc.terminate()
                try:
                    proc.wait(30)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait()


def read(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read()
    except FileNotFoundError:
        return ""


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--examples", required=True)
    ARGS, rest = parser.parse_known_args()
    if not os.path.isfile(os.path.join(ARGS.program, "pennoria")) or not os.environ.get("DISPLAY"):
        print("the desktop program or a display is missing")
        return 77
    result = unittest.main(argv=[sys.argv[0]] + rest, exit=False).result
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
