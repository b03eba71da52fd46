#!/usr/bin/env python3
"""Typing in any script, as a person would: the desktop program opens an example project, a text
on the banner is clicked, and Ctrl+Shift+K opens the host's own box with the desktop's input
method. Ctrl and Shift of that chord are held until the box is up, so the box takes their release, as it
does from a quick hand. Chinese and Arabic letters are committed into it through GTK's input
method (Ctrl+Shift+U and the code point, which an X server without an input method still has),
Ctrl+Return gives them to the movie, Ctrl+S saves them (not Save As: the player let go of Ctrl
and Shift), and they are one undo step: Ctrl+Z brings the old words back. The box closed with
Escape hands nothing back. The player cannot set such letters: the canvas shows the host's picture
of a Chinese note instead (made magenta, a colour the banner's photograph lacks, to find its ink
on the screen).
Runs under its own Xvfb (the test command wraps it in xvfb-run).

usage: editor_scripts_test.py --program DIR --examples DIR   (exit 77 when the program, xdotool or a display is missing)
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import editor_desktop_test as desktop  # noqa: E402
from editor_desktop_test import wait_until, xdotool  # noqa: E402

EXAMPLES = None
# Typed through the input method: two ideographs, a space and an Arabic word.
TYPED = "\u4e2d\u6587 \u0633\u0644\u0627\u0645"


BANNER = (336, 280)
NOTE = "\u6668\u95f4\u70d8\u7119\u65b0\u54c1\u4e0a\u5e02"  # Chinese, in magenta


def magenta_on_banner(app):
    """How many pixels of the banner on the canvas are about the note's magenta."""
    shot = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"],
                          stdout=subprocess.PIPE, check=True).stdout
    header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", shot)
    width, pixels = int(header.group(1)), shot[header.end():]
    (left, top), (right, bottom) = app.on_banner((0, 0), BANNER), app.on_banner(BANNER, BANNER)
    count = 0
    for y in range(app.y + top, app.y + bottom):
        row = pixels[3 * (y * width + app.x + left):3 * (y * width + app.x + right)]
        for i in range(0, len(row), 3):
            r, g, b = row[i], row[i + 1], row[i + 2]
            count += r > 180 and b > 180 and g < 110
    return count


def label(path, ident):
    for e in ET.parse(path).getroot().find("elements"):
        if e.get("id") == ident:
            return e.findtext("label")
    return None


class Scripts(unittest.TestCase):
    def setUp(self):
        self.scratch = os.path.realpath(tempfile.mkdtemp(prefix="editorscripts"))
        folder = os.path.join(self.scratch, "coffee-launch")
        shutil.copytree(os.path.join(EXAMPLES, "coffee-launch"), folder)
        self.project = os.path.join(folder, "coffee-launch.pbf")
        self.before = label(self.project, "title")
        with open(self.project, encoding="utf-8") as f:
            text = f.read()
        text = re.sub(r'(<text id="note"[^>]*color=")#[0-9A-Fa-f]{6}([^>]*>\s*<label>)[^<]*',
                      r"\g<1>#FF00FF\g<2>" + NOTE, text)
        with open(self.project, "w", encoding="utf-8") as f:
            f.write(text)

    def tearDown(self):
        shutil.rmtree(self.scratch, ignore_errors=True)

    def open_box(self, app, held=False):
        """Selects the title on the banner and opens the host's box for its words; held: Ctrl and
        Shift are let go only once the box has the keyboard."""
        app.wait_log("splashgone", seconds=180)
        # The note drawn by the host: hundreds of pixels of letters (the frame and corner flag
        # marking it are red).
        app.wait_log("TextPictureVC")
        wait_until("the host's picture of the note on the canvas",
                   lambda: magenta_on_banner(app) >= 150, 60)
        app.focus()
        app.click(app.on_banner((200, 150), banner=BANNER))
        mark = len(app.bridge_log())
        if held:
            xdotool("keydown", "ctrl+shift+k")
        else:
            app.key("ctrl+shift+k")
        app.wait_log("EditTextVC", after=mark)
        box = app.find_window(lambda w, h: w >= 200 and h >= 100, exclude=(app.window,))
        xdotool("windowfocus", "--sync", box)
        if held:
            xdotool("keyup", "k", "shift", "ctrl")
        return mark

    def save(self, app):
        mark = len(app.bridge_log())
        app.focus()
        app.key("ctrl+s")
        app.wait_log("reply <string>" + self.project + "</string>", after=mark)

    def test_letters_committed_by_the_input_method_reach_the_project_as_one_step(self):
        app = desktop.Desktop(os.path.join(self.scratch, "run"), [self.project])
        try:
            mark = self.open_box(app, held=True)
            app.key("ctrl+a", "BackSpace")
            for character in TYPED:
                if character == " ":
                    app.key("space")
                    continue
                # GTK's own input method: Ctrl+Shift+U, the code point, and a space to commit.
                app.key("ctrl+shift+u")
                app.type("%x" % ord(character), delay=150)
                app.key("space")
            app.key("ctrl+Return")
            app.wait_log("=" + TYPED, after=mark)
            app.screenshot("scripts-typed")
            self.save(app)
            self.assertEqual(label(self.project, "title"), TYPED)
            # One step: undo puts the old words back.
            app.click(app.on_banner((10, 10), banner=(336, 280)))
            app.key("ctrl+z")
            self.save(app)
            self.assertEqual(label(self.project, "title"), self.before)

            # Escape closes the box and hands nothing back.
            mark = self.open_box(app)
            app.key("ctrl+a", "x", "Escape")
            app.wait_log("reply <string>false</string>", after=mark)
            app.focus()
            app.click((app.width - 11, 14))
        finally:
            self.assertEqual(app.close(), 0)


if __name__ == "__main__":
    EXAMPLES, rest = desktop.start_suite(tools=("import",))
    desktop.run_suite(rest)
