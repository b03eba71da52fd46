#!/usr/bin/env python3
"""The editor's dialogs and lists in the desktop program, driven as a person would, from the first
key after start-up (no click first): the recent
projects (a list the user's configuration folder keeps, with a file that is gone) come up with their
shortcut, Escape closes the dialog (the window hands Escape to the editor as it does Return), Return
opens the newest project, which Ctrl+S then writes back whole; a new text typed into at 16 keys a
second keeps every key, and so does its words field when chosen with the pointer and typed over
(PENNORIA_KEY_DELAY_MS=50 types faster); the project opened is added to the
desktop's recent files and stays first in the list. Every step waits for what the screen shows: a
dialog dims the editor around its box. Runs under its own Xvfb (the test command wraps it in xvfb-run).

usage: editor_keys_test.py --program DIR --examples DIR   (exit 77 when the program, xdotool or a display is missing)
"""
import os
import re
import shutil
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

EXAMPLES = None
TYPED = "Sixteen keys a second, every one kept"
RETYPED = "Typed again into the words field: all here"
KEY_DELAY_MS = 60  # 16 keys a second


def screen_pixel(x, y):
    data = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], check=True,
                          capture_output=True, timeout=30).stdout
    header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
    width = int(header.group(1))
    i = header.end() + (y * width + x) * 3
    return tuple(data[i:i + 3])

class Keys(unittest.TestCase):
    def setUp(self):
        self.scratch = os.path.realpath(tempfile.mkdtemp(prefix="editorkeys"))

    def tearDown(self):
        shutil.rmtree(self.scratch, ignore_errors=True)

    def test_recent_projects_escape_closes_return_opens_and_the_project_is_saved_whole(self):
        project_dir = os.path.join(self.scratch, "work")
        shutil.copytree(os.path.join(EXAMPLES, "autumn-sale"), project_dir)
        project = os.path.join(project_dir, "autumn-sale.pbf")
        gone = os.path.join(self.scratch, "gone.pbf")
        listed = os.path.join(self.scratch, "config", "pennoria", "recent-projects")
        os.makedirs(os.path.dirname(listed))
        with open(listed, "w", encoding="utf-8") as f:
            f.write(gone + "\n" + project + "\n")
        original = ET.parse(project).getroot()

        app = desktop.Desktop(self.scratch)
        try:
            # A bare point of the toolbar, outside any dialog's box: dimmed while a dialog is open.
            # Read once the splash is gone.
            app.wait_log("splashgone")
            spot = (app.x + app.width - 200, app.y + 32)
            clear = screen_pixel(*spot)

            def dimmed():
                return sum(screen_pixel(*spot)) < sum(clear) - 60

            # The keys reach the editor from the start, before any click.
            app.focus()
            app.key("ctrl+shift+o")
            wait_until("the recent projects dialog, opened by the first keys", dimmed)
            app.screenshot("recent-dialog")
            app.key("Escape")
            wait_until("the dialog closed by Escape", lambda: not dimmed())
            self.assertNotIn("OpenRecentProjectVC", app.bridge_log())

            app.key("ctrl+shift+o")
            wait_until("the recent projects dialog again", dimmed)
            mark = len(app.bridge_log())
            app.key("Return")
            app.wait_log("reply <string>" + project + "</string>", after=mark)
            wait_until("the dialog gone", lambda: not dimmed())
            # Saved as it was read: the editor had the whole project.
            mark = len(app.bridge_log())
            os.remove(project)
            app.key("ctrl+s")
            app.wait_log("SaveProjectFileVC", after=mark)
            app.wait_log("reply <string>" + project + "</string>", after=mark)
            saved_first = ET.parse(project).getroot()
            # A new text takes the keyboard with its words selected: typed at 60 ms a key (16 a
            # second), the words replace them, none lost; then saved by its shortcut.
            app.key("ctrl+shift+t")
            mark = len(app.bridge_log())
            app.type(TYPED, delay=KEY_DELAY_MS)
            app.key("ctrl+s")
            app.wait_log("SaveProjectFileVC", after=mark)
            app.wait_log("reply <string>" + project + "</string>", after=mark)
            self.assertEqual(self.added_labels(original, project), [TYPED])
            # Then into the words field the pointer chose, its words selected by Ctrl+A.
            app.click(desktop.LABEL_FIELD(app))
            app.key("ctrl+a")
            mark = len(app.bridge_log())
            app.type(RETYPED, delay=KEY_DELAY_MS)
            app.key("ctrl+s")
            app.wait_log("SaveProjectFileVC", after=mark)
            app.wait_log("reply <string>" + project + "</string>", after=mark)
            recent_files = os.path.join(self.scratch, "data", "recently-used.xbel")
            wait_until("the project in the desktop's recent files",
                       lambda: "autumn-sale.pbf" in read(recent_files), seconds=30)
            # Closed: nothing unsaved, so no question.
            app.click((app.width - 11, 14))
        finally:
            code = app.close()
        self.assertEqual(code, 0)
        self.assertEqual([e.tag for e in saved_first.find("elements")], [e.tag for e in original.find("elements")])
        self.assertEqual([e.get("id") for e in saved_first.find("elements")],
                         [e.get("id") for e in original.find("elements")])
        self.assertEqual(self.added_labels(original, project), [RETYPED])
        self.assertEqual(read(listed).splitlines(), [project, gone])

    @staticmethod
    def added_labels(original, project):
        """The words of the texts the saved project has beyond the original's elements."""
        known = [o.get("id") for o in original.find("elements")]
        saved = ET.parse(project).getroot()
        return [e.findtext("label") for e in saved.find("elements") if e.get("id") not in known and e.tag == "text"]


if __name__ == "__main__":
    KEY_DELAY_MS = int(os.environ.get("PENNORIA_KEY_DELAY_MS", KEY_DELAY_MS))
    EXAMPLES, rest = desktop.start_suite(tools=("import",))
    desktop.run_suite(rest)
