#!/usr/bin/env python3
"""Elements copied in one project and pasted into another through the desktop's clipboard, as a
person would: the first run opens a project, selects every element and copies them; the X clipboard
then holds the fragment under the program's own type and a picture for other programs. A text of the
first project is drawn in a face of the user's (a file in the project's fonts folder). After that
run has ended, the fragment is offered on the clipboard by another program (xclip), and a second run
with another project pastes it: the pasted picture, named by its whole path, is shown, the face's
file is copied into the second project's fonts folder, and the saved project holds every pasted
element at the same place relative to its own size, the text still in that face.
Runs under its own Xvfb (the test command wraps it in xvfb-run).

usage: editor_clipboard_test.py --program DIR --examples DIR   (exit 77 when the program, xdotool, xclip or a display is missing)
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import editor_desktop_test as desktop  # noqa: E402
from editor_desktop_test import wait_until  # noqa: E402

EXAMPLES = None
FRAGMENT_TYPE = "application/x-pennoria-fragment+xml"
# A face that is no shipped one, given to a text of the first project.
FACE_FILE = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"
FACE = "DejaVu Sans Mono"


def clipboard(target):
    result = subprocess.run(["xclip", "-selection", "clipboard", "-t", target, "-o"], capture_output=True, timeout=30)
    return result.stdout if result.returncode == 0 else b""


def served(app, path):
    return any(line.split(" ", 2)[-1].strip() == path for line in app.bridge_log().splitlines() if " serve " in " " + line)


class Clipboard(unittest.TestCase):
    def setUp(self):
        self.scratch = os.path.realpath(tempfile.mkdtemp(prefix="editorclip"))
        self.relay = None

    def tearDown(self):
        if self.relay:
            self.relay.kill()
            self.relay.wait()
        shutil.rmtree(self.scratch, ignore_errors=True)

    def project(self, name):
        folder = os.path.join(self.scratch, name)
        shutil.copytree(os.path.join(EXAMPLES, name), folder)
        return os.path.join(folder, name + ".pbf")

    def with_face(self, project, element):
        """Adds the face's file to the project's fonts folder and gives it to one of its texts."""
        os.makedirs(os.path.join(os.path.dirname(project), "fonts"))
        shutil.copyfile(FACE_FILE, os.path.join(os.path.dirname(project), "fonts", "my mono.ttf"))
        tree = ET.parse(project)
        root = tree.getroot()
        fonts = ET.Element("fonts")
        ET.SubElement(fonts, "font", family=FACE, src="fonts/my mono.ttf")
        root.insert(list(root).index(root.find("elements")), fonts)
        root.find("elements/text[@id='%s']" % element).set("font", FACE)
        tree.write(project, encoding="UTF-8", xml_declaration=True)

    def test_elements_copied_in_one_project_are_pasted_into_another_with_their_picture_and_face(self):
        source = self.project("autumn-sale")
        leaf = os.path.join(os.path.dirname(source), "leaf.png")
        self.with_face(source, "headline")
        copied = ET.parse(source).getroot()

        first = desktop.Desktop(os.path.join(self.scratch, "first"), [source])
        try:
            wait_until("the first project drawn", lambda: served(first, leaf), seconds=180)
            first.wait_log("splashgone")
            first.focus()
            first.key("ctrl+a", "ctrl+c")
            wait_until("the fragment on the clipboard", lambda: FRAGMENT_TYPE.encode() in clipboard("TARGETS"))
            self.assertIn(b"image/png", clipboard("TARGETS"))
            fragment = clipboard(FRAGMENT_TYPE)
            picture = clipboard("image/png")
            first.click((first.width - 11, 14))
        finally:
            self.assertEqual(first.close(), 0)

        # The fragment: every element at the size copied from, the picture by its whole path.
        part = ET.fromstring(fragment)
        self.assertEqual([e.get("id") for e in part.find("elements")], [e.get("id") for e in copied.find("elements")])
        self.assertEqual([(s.get("width"), s.get("height")) for s in part.find("sizes")], [("300", "250")])
        self.assertEqual(part.find("elements/image").get("src"), leaf)
        self.assertEqual([(f.get("family"), f.get("src")) for f in part.find("fonts")],
                         [(FACE, os.path.join(os.path.dirname(source), "fonts", "my mono.ttf"))])
        # The picture: a PNG of the elements' box, cut to the banner (the sun goes past its corner).
        self.assertEqual(picture[:8], b"\x89PNG\r\n\x1a\n")
        self.assertEqual(struct.unpack(">II", picture[16:24]), (300, 250))

        # Offered by another program once the first has ended.
        with open(os.path.join(self.scratch, "fragment.xml"), "wb") as f:
            f.write(fragment)
        # The relay is started again if it does not hold the clipboard: on a busy display it
        # can lose the selection to the first program's late going.
        for attempt in range(3):
            self.relay = subprocess.Popen(["xclip", "-quiet", "-selection", "clipboard", "-t", FRAGMENT_TYPE,
                                           "-i", os.path.join(self.scratch, "fragment.xml")],
                                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                wait_until("the fragment offered", lambda: clipboard(FRAGMENT_TYPE) == fragment, seconds=40)
                break
            except AssertionError:
                self.relay.kill()
                self.relay.wait()
                if attempt == 2:
                    raise

        target = self.project("coffee-launch")
        cup = os.path.join(os.path.dirname(target), "cup.png")
        before = ET.parse(target).getroot()
        second = desktop.Desktop(os.path.join(self.scratch, "second"), [target])
        try:
            wait_until("the second project drawn", lambda: served(second, cup), seconds=180)
            second.wait_log("splashgone")
            second.focus()
            second.key("ctrl+v")
            # The pasted picture comes from the other project's folder and is shown.
            wait_until("the pasted picture shown", lambda: served(second, leaf))
            mark = len(second.bridge_log())
            os.remove(target)
            second.key("ctrl+s")
            second.wait_log("SaveProjectFileVC", after=mark)
            second.wait_log("reply <string>" + target + "</string>", after=mark)
            second.click((second.width - 11, 14))
        finally:
            self.assertEqual(second.close(), 0)

        saved = ET.parse(target).getroot()
        elements = list(saved.find("elements"))
        self.assertEqual(len(elements), len(before.find("elements")) + len(copied.find("elements")))
        pasted = elements[len(before.find("elements")):]
        self.assertEqual([e.findtext("label") for e in pasted], [e.findtext("label") for e in copied.find("elements")])
        self.assertEqual([e.get("src") for e in pasted if e.tag == "image"], [leaf])
        # The face came along: its file beside the second project, named there, and the text in it.
        self.assertEqual([(f.get("family"), f.get("src")) for f in saved.find("fonts")], [(FACE, "fonts/my_mono.ttf")])
        with open(FACE_FILE, "rb") as face, open(os.path.join(os.path.dirname(target), "fonts", "my_mono.ttf"), "rb") as brought:
            self.assertEqual(brought.read(), face.read())
        self.assertEqual([e.get("font") for e in pasted if e.get("id", "").startswith("headline")], [FACE])
        # The band under the banner, copied at 300 x 250, is pasted at 336 x 280 where it was.
        band = pasted[1]
        self.assertEqual(band.get("kind"), "rect")
        self.assertEqual([round(float(band.get(a)), 1) for a in ("x", "y", "width", "height")], [0.0, 197.1, 336.0, 82.9])


if __name__ == "__main__":
    EXAMPLES, rest = desktop.start_suite(tools=("xclip",))
    desktop.run_suite(rest)
