#!/usr/bin/env python3
"""Kept work survives a kill, in the desktop program driven as a person would: a text element's
words are typed, the kept file in the user's state folder holds them within ten seconds, the
program is killed (SIGKILL), and the next start offers the work back. Recovered, the banner is
unsaved (closing asks to save it) and saving it writes the typed words; a clean close leaves no
kept work behind. Runs under its own Xvfb (the test command wraps it in xvfb-run).

usage: editor_recovery_test.py --program DIR   (exit 77 when the program, xdotool or a display is missing)
"""
import glob
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import editor_desktop_test as desktop  # noqa: E402
from editor_desktop_test import read, wait_until  # noqa: E402

WORDS = "Kept after a crash"
ADD_TEXT = (33, 199)  # the layer list's Text button


class Recovery(unittest.TestCase):
    def setUp(self):
        self.scratch = os.path.realpath(tempfile.mkdtemp(prefix="editorrecovery"))
        # The default place: ~/.local/state/pennoria with HOME the scratch folder.
        self.kept = os.path.join(self.scratch, ".local", "state", "pennoria")

    def tearDown(self):
        shutil.rmtree(self.scratch, ignore_errors=True)

    def start(self):
        if os.path.exists(os.path.join(self.scratch, "bridge.log")):
            os.remove(os.path.join(self.scratch, "bridge.log"))
        return desktop.Desktop(self.scratch)

    def kept_files(self):
        return sorted(glob.glob(os.path.join(self.kept, "work-*.pbf")))

    def test_typed_words_survive_a_kill_and_come_back_unsaved(self):
        app = self.start()
        try:
            app.focus()
            app.click(desktop.EMPTY_LAYERS)
            app.click(ADD_TEXT)
            app.click(desktop.LABEL_FIELD(app))
            app.key("End", *["BackSpace"] * 12)
            app.type(WORDS)
            typed = time.monotonic()
            own = os.path.join(self.kept, "work-%d.pbf" % app.proc.pid)
            wait_until("the typed words in " + own, lambda: WORDS in read(own), 10)
            print("kept %.1f s after the last key" % (time.monotonic() - typed), file=sys.stderr)
        finally:
            app.proc.send_signal(signal.SIGKILL)
            app.close()
        self.assertEqual(self.kept_files(), [own])

        app = self.start()
        try:
            app.wait_log("reply <string>work-%d.pbf</string>" % app_pid(own))
            # The question's title strip, then Return: its first button, Recover.
            app.click((app.width // 2, app.height // 2 - 20))
            app.key("Return")
            app.wait_log("RecoverWorkVC")
            app.wait_log("reply <string>&lt;")
            new_own = os.path.join(self.kept, "work-%d.pbf" % app.proc.pid)
            # Kept under this run's name before the old file goes.
            self.assertIn(WORDS, read(new_own))
            self.assertEqual(self.kept_files(), [new_own])
            # Recovered work is unsaved: closing asks first; Return saves.
            app.click((app.width - 11, 14))
            app.click((app.width // 2, app.height // 2 - 20))
            app.key("Return")
            try:
                app.answer_file_dialog(self.scratch + "/recovered.pbf", location_entry=False)
            except subprocess.CalledProcessError:
                pass  # saved, the program ends: its window is gone when the helper focuses it again
            app.wait_log("reply <string>" + self.scratch + "/recovered.pbf</string>")
        finally:
            code = app.close()
        self.assertEqual(code, 0)
        self.assertIn("ExitApplicationVC", app.bridge_log())
        root = ET.parse(os.path.join(self.scratch, "recovered.pbf")).getroot()
        self.assertEqual(root.find("elements/text/label").text, WORDS)
        self.assertEqual(self.kept_files(), [])


def app_pid(path):
    return int(os.path.basename(path)[len("work-"):-len(".pbf")])


if __name__ == "__main__":
    _, rest = desktop.start_suite(examples=False)
    desktop.run_suite(rest)
