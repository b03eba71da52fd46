#!/usr/bin/env python3
"""End to end with the real host: the editor movie in headless Chromium with Ruffle, its commands
carried to `pennoria-cli serve` (the host's dispatcher, project and publish code, dialogs answered
from a file). A banner is made, saved, opened again and published with pages; the files on disk
are checked, and the published banner is played in Chromium and must show the chosen image.

usage: editor_serve_test.py --program DIR   (exit 77 when Chromium, Ruffle or the host is missing)
"""
import argparse
import os
import queue
import shutil
import struct
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import xml.etree.ElementTree as ET
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "browser"))
import editor_browser_test as harness  # noqa: E402

PROGRAM = None
SKY = (30, 120, 220)


class ServeBridge:
    """Speaks the host's Content-Length framing with one `pennoria-cli serve` process.

    exchange() answers the page: "call\\n<invoke…>" when the host wants a movie function run,
    "reply\\n<text>" when the outstanding request is answered, "none\\n" when nothing is due."""

    def __init__(self, program, answers, env):
        self.proc = subprocess.Popen([os.path.join(program, "pennoria-cli"), "serve", "--answers", answers],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                     env=env)
        self.messages = queue.Queue()
        self.events = []
        self.pending = 0
        self.lock = threading.Lock()
        threading.Thread(target=self._read_messages, daemon=True).start()
        threading.Thread(target=self._read_events, daemon=True).start()

    def _read_messages(self):
        out = self.proc.stdout
        while True:
            header = b""
            while not header.endswith(b"\r\n\r\n"):
                byte = out.read(1)
                if not byte:
                    self.messages.put(None)
                    return
                header += byte
            length = int(header.split(b":", 1)[1].strip().split(b"\r\n")[0])
            self.messages.put(out.read(length).decode("utf-8"))

    def _read_events(self):
        for line in self.proc.stderr:
            self.events.append(line.decode("utf-8", "replace").rstrip("\n"))

    def _send(self, text):
        data = text.encode("utf-8")
        self.proc.stdin.write(b"Content-Length: %d\r\n\r\n" % len(data) + data)
        self.proc.stdin.flush()

    def _next(self):
        message = self.messages.get(timeout=120)
        if message is None:
            return "none\n"
        if message.startswith("<invoke"):
            return "call\n" + message
        self.pending -= 1
        return "reply\n" + message

    def exchange(self, kind, body):
        with self.lock:
            if kind == "request":
                self._send(body)
                self.pending += 1
                return self._next()
            if kind == "result":
                self._send(body)
                return self._next() if self.pending > 0 else "none\n"
            # An idle poll: a call the host made on its own.
            if self.pending == 0:
                try:
                    message = self.messages.get_nowait()
                except queue.Empty:
                    return "none\n"
                if message is not None and message.startswith("<invoke"):
                    return "call\n" + message
            return "none\n"

    def close(self):
        try:
            self.proc.stdin.close()
        except OSError:
            pass
        try:
            code = self.proc.wait(30)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            code = self.proc.wait()
        self.proc.stdout.close()
        self.proc.stderr.close()
        return code


def swf_stage(path):
    """The stage size in pixels from a movie's header, read independently of the host's code."""
    with open(path, "rb") as f:
        data = f.read()
    body = data[8:]
    if data[:3] == b"CWS":
        body = zlib.decompress(body)
    elif data[:3] != b"FWS":
        raise AssertionError("not a movie: %r" % data[:3])
    bits = int.from_bytes(body[:17], "big")
    total = 17 * 8
    nbits = bits >> (total - 5)
    values = []
    for i in range(4):
        shift = total - 5 - nbits * (i + 1)
        v = (bits >> shift) & ((1 << nbits) - 1)
        if v >> (nbits - 1):
            v -= 1 << nbits
        values.append(v)
    xmin, xmax, ymin, ymax = values
    return (xmax - xmin) // 20, (ymax - ymin) // 20


def banner_image_pixels(folder, name, program, width, height):
    """Plays a published banner folder's page in headless Chromium with Ruffle and counts the pixels
    of the sky image; returns (seen, wanted), wanted being half the banner's area as sampled."""
    import browser
    import bannersite
    site = tempfile.mkdtemp(prefix="editor-site-")
    wanted = width * height / 4 / 2 / 2  # half the area, at half scale and every second column
    try:
        shutil.copytree(folder, os.path.join(site, name))
        bannersite.link_ruffle(site, program)
        bannersite.add_ruffle(os.path.join(site, name, name + ".html"))
        server = browser.Server(site)
        chromium = browser.Browser(1000, 700)
        try:
            chromium.navigate(server.url(name + "/" + name + ".html"))
            deadline = time.monotonic() + 120
            seen = 0
            while time.monotonic() < deadline:
                image = chromium.screenshot(0.5)
                seen = sum(1 for y in range(image.height) for x in range(0, image.width, 2)
                           if browser.near(image.pixel(x, y), SKY))
                if seen >= wanted:
                    break
                time.sleep(0.5)
            return seen, wanted
        finally:
            chromium.close()
            server.stop()
    finally:
        shutil.rmtree(site, ignore_errors=True)


class RealHostSession(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = os.path.realpath(tempfile.mkdtemp(prefix="editor-serve-"))
        harness.write_png(os.path.join(cls.scratch, "sky.png"), 64, 48, SKY)
        answers = os.path.join(cls.scratch, "answers.txt")
        with open(answers, "w") as f:
            f.write("\n".join([cls.scratch + "/sky.png", cls.scratch + "/banner.pbf", cls.scratch + "/banner.pbf",
                               cls.scratch + "/web", "yes"]) + "\n")
        env = dict(os.environ, HOME=cls.scratch, XDG_CONFIG_HOME=cls.scratch + "/config",
                   XDG_DATA_HOME=cls.scratch + "/data")
        cls.bridge = ServeBridge(PROGRAM, answers, env)
        server = harness.Server(cls.scratch, cls.bridge)
        try:
            cls.result = server.run("realHost", host="serve_host")
        finally:
            server.close()
            cls.exit_code = cls.bridge.close()
        cls.snaps = harness.snapshots(cls.result)
        cls.folder = os.path.join(cls.scratch, "web", "Banner")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.scratch, ignore_errors=True)

    def test_host_ran_the_dialogs_and_exited(self):
        events = self.bridge.events
        kinds = [e.split(":")[1].strip() for e in events if e.startswith("dialog:")]
        self.assertEqual(kinds, ["open", "save", "open", "folder", "yesno"])
        self.assertIn("answer: yes", events)
        self.assertTrue(any(e.startswith("title:") and e.endswith("-[banner.pbf]") for e in events), events)
        self.assertEqual(self.exit_code, 0)
        self.assertEqual(self.result["calls"][-1]["name"], "ExitApplicationVC")

    def test_output_settings_reach_the_editor(self):
        # No documents folder is named in the scratch home, so the default is ~/Pennoria.
        self.assertEqual(self.snaps["start"]["state"]["outputFolder"], self.scratch + "/Pennoria")
        self.assertEqual(self.result["hostCalls"][0]["name"], "SettingOutputFilesVC")

    def test_the_saved_project_is_what_the_editor_holds(self):
        held = self.snaps["saved"]["state"]["xml"]
        saved = ET.parse(os.path.join(self.scratch, "banner.pbf")).getroot()
        # The host may name the picture relative to the project beside it; read back, it is the same.
        for node, name in [(saved, "img")] + [(e, "src") for e in saved.iter("image")]:
            if node.get(name):
                node.set(name, os.path.join(self.scratch, node.get(name)))
        self.assertEqual(ET.tostring(saved), ET.tostring(ET.fromstring(held)))
        reopened = self.snaps["reopened"]["state"]
        self.assertEqual(reopened["xml"], held)
        self.assertEqual(reopened["path"], self.scratch + "/banner.pbf")
        self.assertEqual([e["label"] for e in reopened["elements"]], ["Spring sale"])
        self.assertFalse(reopened["dirty"])

    def test_publish_writes_the_banner_folder(self):
        self.assertEqual(self.snaps["published"]["state"]["publishReply"], "ok")
        self.assertEqual(self.snaps["republished"]["state"]["publishReply"], "ok")
        for name in ("Banner.swf", "Banner.html", "fs_aux.html", "template.xml",
                     "res/template.swf", "res/sky.png"):
            self.assertTrue(os.path.isfile(os.path.join(self.folder, name)), name)
        # The republish embeds the movie directly: the script the first publish wrote is stale
        # and goes with it.
        self.assertFalse(os.path.exists(os.path.join(self.folder, "swfobject.js")))
        self.assertEqual(swf_stage(os.path.join(self.folder, "Banner.swf")), (728, 90))
        project = ET.parse(os.path.join(self.folder, "template.xml")).getroot()
        self.assertEqual(project.get("img"), "res/sky.png")
        self.assertEqual(project.find("component/info").get("url"), "res/template.swf")
        self.assertEqual(project.get("version"), "2")
        self.assertEqual(project.find("elements/text/label").text, "Spring sale")
        with open(os.path.join(self.folder, "res", "sky.png"), "rb") as a, \
                open(os.path.join(self.scratch, "sky.png"), "rb") as b:
            self.assertEqual(a.read(), b.read())
        with open(os.path.join(self.folder, "Banner.html"), encoding="utf-8") as f:
            page = f.read()
        self.assertIn("Banner.swf", page)

    def test_the_language_chosen_in_the_editor_is_the_hosts_setting(self):
        self.assertEqual(self.snaps["german"]["state"]["language"], "deu")
        stored = []
        for folder, _, files in os.walk(os.path.join(self.scratch, "config")):
            for name in files:
                with open(os.path.join(folder, name), "rb") as f:
                    stored.append(f.read())
        self.assertTrue(any(b"lang_deu.ini" in data for data in stored), "the language setting was not stored")

    def test_the_published_banner_shows_the_image(self):
        seen, wanted = banner_image_pixels(self.folder, "Banner", PROGRAM, 728, 90)
        self.assertGreaterEqual(seen, wanted, "the banner's image is not on the page")

class RealHostFeed(unittest.TestCase):
    """The feed panel with the real host: the whole feed published on the host's worker thread,
    followed by the panel's progress and stopped; what is in the folder then is whole variants."""

    def test_a_stopped_feed_leaves_whole_variants_only(self):
        scratch = os.path.realpath(tempfile.mkdtemp(prefix="editor-serve-feed-"))
        self.addCleanup(shutil.rmtree, scratch, True)
        answers = os.path.join(scratch, "answers.txt")
        with open(answers, "w") as f:
            f.write(scratch + "/products.csv\n")
        env = dict(os.environ, HOME=scratch, XDG_CONFIG_HOME=scratch + "/config", XDG_DATA_HOME=scratch + "/data")
        bridge = ServeBridge(PROGRAM, answers, env)
        server = harness.Server(scratch, bridge)
        try:
            result = server.run("realFeed", host="serve_host")
        finally:
            server.close()
            code = bridge.close()
        self.assertEqual(code, 0)
        snaps = harness.snapshots(result)
        self.assertEqual(snaps["loaded"]["state"]["feed"]["total"], 600)
        running = snaps["running"]["state"]["feed"]
        self.assertTrue(running["running"])
        self.assertIn("of 600 rows done", running["status"])
        stopped = snaps["stopped"]["state"]["feed"]
        self.assertEqual((stopped["outcome"], stopped["failed"]), ("cancelled", 0), stopped)
        self.assertGreaterEqual(stopped["published"], 1)
        self.assertLess(stopped["published"], 600)

        folder = os.path.join(scratch, "Pennoria", "products")
        self.assertEqual(stopped["status"].split("\n")[0].split(" in ")[-1], folder)
        variants = sorted(n for n in os.listdir(folder) if n != "ruffle")
        self.assertEqual(len(variants), stopped["published"], variants)
        for name in variants:
            self.assertRegex(name, r"^item-[0-9]+$")
            here = os.path.join(folder, name)
            files = set()
            for base, _, names in os.walk(here):
                files.update(os.path.relpath(os.path.join(base, n), here) for n in names)
            for wanted in ("template.xml", "banner_backup.png", "banner_html5.zip"):
                self.assertTrue(any(f.lower().endswith(wanted) for f in files), (name, wanted, sorted(files)))
            self.assertFalse([f for f in files if ".pennoria-tmp-" in f], name)
            project = ET.parse(os.path.join(here, "template.xml")).getroot()
            self.assertEqual(project.find("elements/text/label").text, "Product number " + name.split("-")[1])
        self.assertFalse([n for n in os.listdir(folder) if n.startswith(".pennoria-feed-")])


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    args, rest = parser.parse_known_args()
    PROGRAM = os.path.realpath(args.program)
    ruffle = os.path.join(PROGRAM, "ruffle")
    needed = [os.path.join(PROGRAM, "pennoria-cli"), os.path.join(PROGRAM, "editor", "Pennoria.swf"),
              os.path.join(PROGRAM, "editor", "templateEditor", "theme.swf"), os.path.join(ruffle, "ruffle.js"),
              os.path.join(HERE, "..", "browser", "browser.py")]
    missing = [n for n in needed if not os.path.exists(n)]
    if shutil.which("chromium") is None or missing or subprocess.run(
            [needed[0], "serve", "--help"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode != 0:
        print("not available, skipping: %s" % (missing or "chromium or pennoria-cli serve"))
        sys.exit(77)
    harness.ARGS = argparse.Namespace(swf=needed[1], ruffle=ruffle)
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
