#!/usr/bin/env python3
"""The desktop program end to end, driven as a person would: pointer and keyboard through xdotool,
the GTK file dialogs answered by typing. Chooses an image, adds a text (typing its words) and a
button by their shortcuts, drags the button on the canvas, undoes and saves, redoes, keeps a second
size beside the first, saves again, starts a new banner, opens the saved project again, publishes
it with pages, closes the window; then checks the files on disk and plays the published banners of
both sizes in headless Chromium. Runs under its own Xvfb (the test command wraps it in xvfb-run).

usage: editor_desktop_test.py --program DIR   (exit 77 when the program, xdotool or a display is missing)
"""
import argparse
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import editor_browser_test as harness  # noqa: E402
from editor_serve_test import SKY, swf_stage  # noqa: E402

PROGRAM = None

# Places in the editor movie, in its own coordinates (the player sits 4 pixels inside the frame).
# The left column (sizes and layers) is 210 wide, the properties panel the last 300 pixels; the
# body starts 70 pixels down, under the caption strip and the toolbar.
EMPTY_LAYERS = (105, 420)      # free space in the layer list: a click there only focuses the movie
ADD_SIZE = (56, 142)           # "Add size..."
FIRST_SIZE = (56, 112)         # the first size of the project
REMOVE_SIZE = (153, 142)       # "Remove size"
SIZE_DIALOG = (460, 360)       # the size dialog, centred in the movie
SIZE_728X90 = (278, 96)        # its 728 x 90 button, from the dialog's corner
PUBLISH_PANEL = (600, 540)     # the publish panel, centred in the movie
PUBLISH_FOLDER = (200, 90)     # its output folder field, from the panel's corner
PUBLISH_CLOSE = (543, 515)     # its Close button
EXPORT_CLOSE = (553, 515)      # the export panel's Close button (the same size of box)
# A new button is 120 x 36, centred on the 300 x 250 banner: (90, 107). It is dragged by a point
# left of its words to where nothing else snaps.
BUTTON_AT = (100, 125)
DRAG = (-80, 90)
BUTTON_FILL = (0xFF, 0x6A, 0x00)


def LABEL_FIELD(app):  # the selected text's words, on the element's properties
    return from_right(app, 111, 241)


def LINK_FIELD(app):  # the banner's link, on the banner's properties
    return from_right(app, 150, 327)


def from_right(app, x, y):
    """A place in the properties panel, given by its distance from the movie's right edge."""
    return (app.width - x, y)


def wait_until(what, condition, seconds=60):
    """condition's first true value, polled every 0.2 s; fails naming what after seconds."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.2)
    raise AssertionError("not within %d s: %s" % (seconds, what))


def read(path):
    """A text file's words, or nothing when it is not there (yet)."""
    try:
        with open(path, encoding="utf-8") as f:
            return f.read()
    except OSError:
        return ""


def xdotool(*args):
    return subprocess.run(["xdotool"] + [str(a) for a in args], check=True, capture_output=True,
                          text=True).stdout.strip()


def shown_windows():
    """The ids of the windows the X server shows now."""
    try:
        return xdotool("search", "--onlyvisible", "--name", "").split()
    except subprocess.CalledProcessError:
        return []


class Desktop:
    def __init__(self, scratch, args=(), env=None):
        self.log = os.path.join(scratch, "bridge.log")
        # A desktop has a file manager: the program shows the published folder with it, and says
        # so in a message when no program can. A stand-in that opens nothing is the default here.
        apps = os.path.join(scratch, "data", "applications")
        os.makedirs(apps, exist_ok=True)
        with open(os.path.join(apps, "pennoria-test-files.desktop"), "w") as f:
            f.write("[Desktop Entry]\nType=Application\nName=Files\nExec=true %U\n"
                    "MimeType=inode/directory;\nNoDisplay=true\n")
        os.makedirs(os.path.join(scratch, "config"), exist_ok=True)
        with open(os.path.join(scratch, "config", "mimeapps.list"), "w") as f:
            f.write("[Default Applications]\ninode/directory=pennoria-test-files.desktop\n")
        env = dict(os.environ, HOME=scratch, XDG_CONFIG_HOME=scratch + "/config", XDG_DATA_HOME=scratch + "/data",
                   PENNORIA_BRIDGE_LOG=self.log, WEBKIT_DISABLE_COMPOSITING_MODE="1", **(env or {}))
        self.output = open(os.path.join(scratch, "host.log"), "wb")
        self.proc = subprocess.Popen([os.path.join(PROGRAM, "pennoria")] + list(args), env=env, stdout=self.output,
                                     stderr=subprocess.STDOUT)
        try:
            self.wait_log("hostresult", 120)
        except AssertionError:
            self.screenshot("start")
            self.proc.kill()
            self.proc.wait()
            self.output.close()
            with open(os.path.join(scratch, "host.log"), encoding="utf-8", errors="replace") as f:
                raise AssertionError("the editor did not start; the host said:\n" + f.read()[-3000:])
        self.window = self.find_window(lambda w, h: w >= 600 and h >= 400)
        geometry = xdotool("getwindowgeometry", "--shell", self.window)
        values = dict(line.split("=") for line in geometry.splitlines())
        self.x, self.y = int(values["X"]) + 4, int(values["Y"]) + 4
        self.width, self.height = int(values["WIDTH"]) - 8, int(values["HEIGHT"]) - 8

    def bridge_log(self):
        try:
            with open(self.log, encoding="utf-8", errors="replace") as f:
                return f.read()
        except FileNotFoundError:
            return ""

    def wait_log(self, text, seconds=60, after=0):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if text in self.bridge_log()[after:]:
                return
            if self.proc.poll() is not None:
                raise AssertionError("the program ended early")
            time.sleep(0.2)
        raise AssertionError("no %r in the bridge log:\n%s" % (text, self.bridge_log()[-3000:]))

    def find_window(self, accept, seconds=30, exclude=()):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            for wid in reversed(shown_windows()):
                if wid in exclude:
                    continue
                values = dict(line.split("=") for line in xdotool("getwindowgeometry", "--shell", wid).splitlines())
                if accept(int(values["WIDTH"]), int(values["HEIGHT"])):
                    return wid
            time.sleep(0.3)
        raise AssertionError("no such window")

    def click(self, point):
        xdotool("mousemove", "--sync", self.x + point[0], self.y + point[1])
        time.sleep(0.3)
        xdotool("click", "1")
        time.sleep(0.8)

    def on_banner(self, point, banner=(300, 250)):
        """A point of the banner on the canvas, which is scaled (never up) to fit between the
        layers and the properties, under the arranging strip and over the timeline, inside its
        rulers (as the editor lays them out)."""
        area_w = self.width - 210 - 300
        center_h = self.height - 70 - 24 - 32
        area_h = center_h - max(120, min(200, round(center_h * 0.3)))
        view_w, view_h = area_w - 26, area_h - 16
        scale = min(1.0, (view_w - 24) / banner[0], (view_h - 24 - 22) / banner[1])
        left = 26 + round((view_w - banner[0] * scale) / 2)
        top = 16 + round(max(12, (view_h - 22 - banner[1] * scale) / 2))
        self.canvas_scale = scale
        return (210 + left + round(point[0] * scale), 70 + 32 + top + round(point[1] * scale))

    def drag(self, start, end, steps=8):
        """Presses the pointer's button, moves it in steps and lets go, as a hand would."""
        xdotool("mousemove", "--sync", self.x + start[0], self.y + start[1])
        time.sleep(0.3)
        xdotool("mousedown", "1")
        time.sleep(0.3)
        for i in range(1, steps + 1):
            xdotool("mousemove", "--sync", self.x + start[0] + (end[0] - start[0]) * i // steps,
                    self.y + start[1] + (end[1] - start[1]) * i // steps)
            time.sleep(0.1)
        time.sleep(0.3)
        xdotool("mouseup", "1")
        time.sleep(0.8)

    def screenshot(self, name):
        """Keeps a picture of the screen when PENNORIA_TEST_SCREENSHOTS names a folder."""
        folder = os.environ.get("PENNORIA_TEST_SCREENSHOTS")
        if folder and shutil.which("import"):
            os.makedirs(folder, exist_ok=True)
            subprocess.run(["import", "-window", "root", os.path.join(folder, name + ".png")], check=False)

    def focus(self):
        xdotool("windowfocus", "--sync", self.window)
        time.sleep(0.3)

    def key(self, *keys):
        for k in keys:
            xdotool("key", "--delay", "150", k)
            time.sleep(0.5)

    def type(self, text, delay=120):
        # Slowly: the player drops keys typed faster than it draws on a busy machine.
        xdotool("type", "--delay", str(delay), text)
        time.sleep(0.8)

    def answer_file_dialog(self, path, location_entry):
        """Types a path into the GTK file dialog that opened, and confirms it. On a busy machine
        the dialog can miss keys typed while it is still reading its folder; then it stays open,
        and the path is typed once more over what it holds."""
        dialog = self.find_window(lambda w, h: w >= 300 and h >= 200, exclude=(self.window,))
        time.sleep(3.0)  # the dialog reads its folder first
        for attempt in range(3):
            xdotool("windowfocus", "--sync", dialog)
            time.sleep(1.0)
            if location_entry:
                self.key("ctrl+l")
            self.key("ctrl+a")
            self.type(path)
            self.key("Return")
            if self.wait_closed(dialog, seconds=20):
                break
            print("the file dialog is still open; typing the path again", file=sys.stderr)
        self.focus()

    def wait_closed(self, window, seconds):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if window not in shown_windows():
                return True
            time.sleep(0.3)
        return False

    def close(self):
        try:
            self.proc.wait(60)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
        self.output.close()
        return self.proc.returncode


class DesktopSession(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = os.path.realpath(tempfile.mkdtemp(prefix="editordesktop"))
        harness.write_png(os.path.join(cls.scratch, "sky.png"), 64, 48, SKY)
        os.makedirs(os.path.join(cls.scratch, "web"))
        try:
            app = Desktop(cls.scratch)
        except AssertionError as first:
            # Seen once in many runs on a loaded machine: the movie loaded but never sent its first
            # request. Say so in the log and give the program one more start.
            print("first start failed, starting again:", first, file=sys.stderr)
            if os.path.exists(os.path.join(cls.scratch, "bridge.log")):
                os.remove(os.path.join(cls.scratch, "bridge.log"))
            app = Desktop(cls.scratch)
        cls.app = app
        try:
            app.click(EMPTY_LAYERS)
            app.focus()
            # The background image, on the banner's properties.
            app.click(from_right(app, 223, 211))
            app.answer_file_dialog(cls.scratch + "/sky.png", location_entry=True)
            app.wait_log("<string>" + cls.scratch + "/sky.png</string>")
            # A text by its shortcut, its words typed over the ones it starts with; then a button,
            # which lands centred on top of the text.
            app.click(EMPTY_LAYERS)
            app.key("ctrl+shift+t")
            app.click(LABEL_FIELD(app))
            app.key("End", *["BackSpace"] * 12)
            mark = len(app.bridge_log())
            app.type("Spring sale", delay=300)  # each key redraws the text on the canvas
            # On a busy machine the player may still be working through the last keys: the click
            # that follows would take the field's focus before they arrive. They have all arrived
            # once the editor hands the words over as its kept work.
            app.wait_log("Spring sale", seconds=60, after=mark)
            app.click(EMPTY_LAYERS)
            app.key("ctrl+shift+b")
            # The button dragged by the pointer down and to the left, then the move undone.
            app.drag(app.on_banner(BUTTON_AT), app.on_banner((BUTTON_AT[0] + DRAG[0], BUTTON_AT[1] + DRAG[1])))
            app.key("ctrl+z")
            mark = len(app.bridge_log())
            app.key("ctrl+s")
            app.answer_file_dialog(cls.scratch + "/banner.pbf", location_entry=False)
            app.wait_log("reply <string>" + cls.scratch + "/banner.pbf</string>", after=mark)
            cls.undone = ET.parse(os.path.join(cls.scratch, "banner.pbf")).getroot()
            # Redone, and a second size kept beside the first: 728 x 90 from the size dialog.
            app.click(EMPTY_LAYERS)
            app.key("ctrl+y")
            app.click(ADD_SIZE)
            box_x, box_y = (app.width - SIZE_DIALOG[0]) // 2, (app.height - SIZE_DIALOG[1]) // 2
            app.click((box_x + SIZE_728X90[0], box_y + SIZE_728X90[1]))
            app.screenshot("sizes")
            mark = len(app.bridge_log())
            app.click(EMPTY_LAYERS)
            app.key("ctrl+s")
            app.wait_log("reply <string>" + cls.scratch + "/banner.pbf</string>", after=mark)
            mark = len(app.bridge_log())
            # Keys reach the movie once it has the keyboard focus again.
            app.click(EMPTY_LAYERS)
            app.key("ctrl+n")
            app.wait_log("CreateNewProjectVC", after=mark)
            mark = len(app.bridge_log())
            app.click(LINK_FIELD(app))
            app.key("ctrl+o")
            app.answer_file_dialog(cls.scratch + "/banner.pbf", location_entry=True)
            app.wait_log("reply <string>" + cls.scratch + "/banner.pbf</string>", after=mark)
            time.sleep(3)  # the movie reads the file
            # The launcher's StartupWMClass names the window's class; the picture of the
            # reopened banner is the one the software centres show.
            classed = subprocess.run(["xdotool", "search", "--classname", "^pennoria$"],
                                     stdout=subprocess.PIPE, text=True).stdout.split()
            cls.window_classed = str(app.window) in classed
            app.screenshot("editor")
            app.click(LINK_FIELD(app))
            app.key("ctrl+p")
            # The output folder field of the publish panel, which is centred in the movie.
            box_x, box_y = (app.width - PUBLISH_PANEL[0]) // 2, (app.height - PUBLISH_PANEL[1]) // 2
            app.click((box_x + PUBLISH_FOLDER[0], box_y + PUBLISH_FOLDER[1]))
            app.key("ctrl+a")
            app.type(cls.scratch + "/web")
            mark = len(app.bridge_log())
            app.key("Return")
            app.wait_log("reply <string>ok</string>", seconds=120, after=mark)
            time.sleep(1.5)
            app.screenshot("published")
            # The panel's Close button: the window keeps Escape from the movie.
            app.click((box_x + PUBLISH_CLOSE[0], box_y + PUBLISH_CLOSE[1]))
            # The banner as an animated GIF of every size, from the export panel opened by its
            # shortcut: its first button, Export, has the keyboard; its folder is the output folder.
            app.click(LINK_FIELD(app))
            mark = len(app.bridge_log())
            app.key("ctrl+e")
            app.key("Return")
            app.wait_log("ExportBannerVC", after=mark)
            gifs = [os.path.join(cls.scratch, "web", "banner_%dx%d.gif" % size) for size in ((300, 250), (728, 90))]
            wait_until("the GIFs", lambda: all(os.path.exists(g) for g in gifs), 180)
            wait_until("the export's end", lambda: re.search(r"state(&quot;|\W)+done", app.bridge_log()[mark:]), 60)
            app.screenshot("exported")
            app.click((box_x + EXPORT_CLOSE[0], box_y + EXPORT_CLOSE[1]))
            app.click((app.width - 11, 14))
            app.screenshot("closing")
        finally:
            cls.exit_code = app.close()
            with open(os.path.join(cls.scratch, "host.log"), encoding="utf-8", errors="replace") as f:
                cls.host_output = f.read()
        cls.log = app.bridge_log()
        cls.folder = os.path.join(cls.scratch, "web", "Banner")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.scratch, ignore_errors=True)

    def button_box(self, root, size=None):
        """The button's box at the first size, or at the size (w, h) of a project's tree."""
        button = root.find("elements/button")
        box = {k: float(button.get(k)) for k in ("x", "y", "width", "height")}
        for s in root.findall("sizes/size"):
            if size and (int(s.get("width")), int(s.get("height"))) == size and s != root.find("sizes/size"):
                for place in s.findall("place"):
                    if place.get("ref") == button.get("id"):
                        box = {k: float(place.get(k)) for k in ("x", "y", "width", "height")}
        return box

    def test_the_saved_project_holds_both_elements_the_redone_drag_and_both_sizes(self):
        root = ET.parse(os.path.join(self.scratch, "banner.pbf")).getroot()
        self.assertEqual(root.get("version"), "2")
        self.assertEqual((root.get("demoWidth"), root.get("demoHeight")), ("300", "250"))
        self.assertEqual([(s.get("width"), s.get("height")) for s in root.findall("sizes/size")],
                         [("300", "250"), ("728", "90")])
        # The image as chosen, or named relative to the project beside it.
        self.assertEqual(os.path.join(self.scratch, root.get("img")), self.scratch + "/sky.png")
        self.assertEqual(root.find("elements/text/label").text, "Spring sale")
        self.assertIsNotNone(root.find("elements/button/label"))
        # Undone, the button was where it was added; redone, where the pointer left it (the
        # pointer moves in whole screen pixels of a possibly scaled canvas).
        undone, dragged = self.button_box(self.undone), self.button_box(root)
        self.assertEqual((undone["x"], undone["y"]), (90, 107))
        self.assertAlmostEqual(dragged["x"], 90 + DRAG[0], delta=2)
        self.assertAlmostEqual(dragged["y"], 107 + DRAG[1], delta=2)

    def test_the_published_folder_has_every_size(self):
        for folder, size in ((self.folder, (300, 250)), (self.folder + "/300x250", (300, 250)),
                             (self.folder + "/728x90", (728, 90))):
            # A size's folder names its zip after the size as well.
            size_name = "" if folder == self.folder else "_%dx%d" % size
            for name in ("Banner.swf", "Banner.html", "fs_aux.html", "template.xml", "res/template.swf", "res/sky.png",
                         "html5/index.html", "Banner%s_html5.zip" % size_name, "Banner_backup.png"):
                self.assertTrue(os.path.isfile(os.path.join(folder, name)), folder + "/" + name)
            self.assertEqual(swf_stage(os.path.join(folder, "Banner.swf")), size)
            root = ET.parse(os.path.join(folder, "template.xml")).getroot()
            self.assertEqual((int(root.get("demoWidth")), int(root.get("demoHeight"))), size)
            # The project was opened again before publishing: its values came back from the file.
            self.assertEqual(root.find("elements/text/label").text, "Spring sale")
            self.assertEqual(root.get("img"), "res/sky.png")

    def test_the_exported_gifs_have_every_size(self):
        for size in ((300, 250), (728, 90)):
            with open(os.path.join(self.scratch, "web", "banner_%dx%d.gif" % size), "rb") as f:
                head = f.read(10)
            self.assertEqual(head[:6], b"GIF89a")
            self.assertEqual(struct.unpack("<HH", head[6:10]), size)

    def test_the_published_banners_show_the_button_where_it_was_put(self):
        import browser
        import bannersite
        site = tempfile.mkdtemp(prefix="editor-site-")
        try:
            shutil.copytree(self.folder, os.path.join(site, "Banner"))
            bannersite.link_ruffle(site, PROGRAM)
            server = browser.Server(site)
            chromium = browser.Browser(1000, 700)
            try:
                for size in ((300, 250), (728, 90)):
                    folder = os.path.join(site, "Banner", "%dx%d" % size)
                    bannersite.add_ruffle(os.path.join(folder, "Banner.html"))
                    root = ET.parse(os.path.join(folder, "template.xml")).getroot()
                    box = self.button_box(root, size)
                    chromium.navigate(server.url("Banner/%dx%d/Banner.html" % size))
                    seen = self.button_on_page(chromium, size, box)
                    self.assertTrue(seen, "no button of its fill at %r on the %dx%d page" % (box, size[0], size[1]))
            finally:
                chromium.close()
                server.stop()
        finally:
            shutil.rmtree(site, ignore_errors=True)

    @staticmethod
    def button_on_page(chromium, size, box):
        """Waits for the banner (found as the sky image's extent) to show the button's fill over
        most of the button's box (its words take the rest)."""
        import browser
        deadline = time.monotonic() + 60
        image = None
        while time.monotonic() < deadline:
            image = chromium.screenshot(1.0)
            sky = [(x, y) for y in range(0, image.height, 2) for x in range(0, image.width, 2)
                   if browser.near(image.pixel(x, y), SKY)]
            if sky:
                left, top = min(p[0] for p in sky), min(p[1] for p in sky)
                inside = [(left + x, top + y)
                          for y in range(int(box["y"]) + 2, int(box["y"] + box["height"]) - 1)
                          for x in range(int(box["x"]) + 2, int(box["x"] + box["width"]) - 1)]
                filled = sum(1 for x, y in inside if x < image.width and y < image.height
                             and browser.near(image.pixel(x, y), BUTTON_FILL, 40))
                if inside and filled >= len(inside) / 3:
                    return True
            time.sleep(0.5)
        folder = os.environ.get("PENNORIA_TEST_SCREENSHOTS")
        if folder and image is not None:
            os.makedirs(folder, exist_ok=True)
            image.save(os.path.join(folder, "page-%dx%d.png" % size))
        return False

    def test_the_player_draws_with_the_canvas_where_webgl_has_no_gpu(self):
        # The virtual display has no GPU: WebGL there is drawn by the processor, or missing.
        match = re.search(r"renderer (\w+) \((no WebGL|WebGL test drawing ([0-9.]+) ms)\)",
                          self.log)
        self.assertIsNotNone(match, "no renderer chosen in the bridge log")
        self.assertEqual(match.group(1), "canvas", match.group(0))

    def test_the_window_class_is_the_launchers(self):
        self.assertTrue(getattr(self, "window_classed", False),
                        "no window of class pennoria (StartupWMClass of pennoria.desktop)")

    def test_the_close_button_ends_the_program(self):
        self.assertIn("ExitApplicationVC", self.log)
        self.assertEqual(self.exit_code, 0, self.host_output[-4000:])


def start_suite(examples=True, tools=(), modules=()):
    """Reads --program (and --examples) for a desktop test; skips it (status 77) when the program,
    xdotool, another of tools, a module of Debian's Python packages or the display is missing.
    Answers the examples' folder (or None) and the arguments left for unittest."""
    global PROGRAM
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    if examples:
        parser.add_argument("--examples", required=True)
    args, rest = parser.parse_known_args()
    PROGRAM = os.path.realpath(args.program)
    needed = [os.path.join(PROGRAM, "pennoria"), os.path.join(PROGRAM, "ruffle", "ruffle.js"),
              os.path.join(PROGRAM, "editor", "templateEditor", "theme.swf")]
    missing = [n for n in needed if not os.path.exists(n)]
    missing += [t for t in ("xdotool",) + tuple(tools) if not shutil.which(t)]
    missing += ["python3-" + m.lower() for m in modules if not debian_module(m)]
    if not os.environ.get("DISPLAY"):
        missing.append("a display")
    if missing:
        print("missing: %s; skipping" % ", ".join(missing))
        sys.exit(77)
    return (os.path.realpath(args.examples) if examples else None), rest


def run_suite(rest):
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


def debian_module(name):
    """A module of Debian's Python packages, also from another interpreter of the same version."""
    try:
        return __import__(name)
    except ImportError:
        sys.path.append("/usr/lib/python3/dist-packages")
        try:
            return __import__(name)
        except ImportError:
            return None


if __name__ == "__main__":
    _, rest = start_suite(examples=False)
    run_suite(rest)
