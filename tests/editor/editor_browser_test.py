#!/usr/bin/env python3
"""Plays the editor movie in headless Chromium with Ruffle beside a stand-in host and checks what it
sends: the command sequence, the project XML it saves and publishes, and how it reads projects back.

usage: editor_browser_test.py --swf PATH --ruffle DIR [--ruffle DIR ...]
The first Ruffle folder that exists is used; exit 77 (skipped) when Chromium or Ruffle is missing.
"""
import argparse
import http.server
import json
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import threading
import unittest
import urllib.parse
import xml.etree.ElementTree as ET
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ARGS = None
CONTENT_TYPES = {".js": "text/javascript", ".wasm": "application/wasm", ".html": "text/html",
                 ".swf": "application/x-shockwave-flash", ".png": "image/png", ".pbf": "application/xml"}


def write_png(path, width, height, rgb):
    rows = b"".join(b"\x00" + bytes(rgb) * width for _ in range(height))
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


class Server:
    """Serves the page, Ruffle, the movie and the scratch folder's files at their absolute paths."""

    def __init__(self, scratch, bridge=None):
        self.scratch = scratch
        self.bridge = bridge
        self.done = threading.Event()
        self.result = None
        self.requests = []
        outer = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def log_message(self, *args):
                pass

            def send_file(self, path):
                if not os.path.isfile(path):
                    self.send_response(404)
                    self.end_headers()
                    return
                with open(path, "rb") as f:
                    data = f.read()
                self.send_response(200)
                self.send_header("Content-Type", CONTENT_TYPES.get(os.path.splitext(path)[1], "application/octet-stream"))
                self.send_header("Content-Length", str(len(data)))
                self.end_headers()
                self.wfile.write(data)

            def do_GET(self):
                path = urllib.parse.unquote(urllib.parse.urlsplit(self.path).path)
                outer.requests.append(path)
                if path.startswith("/ruffle/"):
                    self.send_file(os.path.join(ARGS.ruffle, os.path.basename(path)))
                elif path == "/editor/Pennoria.swf":
                    self.send_file(ARGS.swf)
                elif re.fullmatch(r"/editor/templateEditor/res/[A-Za-z]+\.swf", path):
                    # The component and face movies beside the editor, which lend the editor its fonts.
                    self.send_file(os.path.join(os.path.dirname(ARGS.swf), path[len("/editor/"):]))
                elif path in ("/harness.html", "/common.js", "/host.js", "/serve_host.js", "/scenario.js"):
                    self.send_file(os.path.join(HERE, path[1:]))
                elif os.path.realpath(path).startswith(outer.scratch + os.sep):
                    self.send_file(os.path.realpath(path))
                else:
                    self.send_response(404)
                    self.end_headers()

            def do_POST(self):
                url = urllib.parse.urlsplit(self.path)
                body = self.rfile.read(int(self.headers.get("Content-Length", "0")))
                if url.path == "/bridge" and outer.bridge is not None:
                    answer = outer.bridge.exchange(url.query, body.decode("utf-8")).encode("utf-8")
                    self.send_response(200)
                    self.send_header("Content-Type", "text/plain; charset=utf-8")
                    self.send_header("Content-Length", str(len(answer)))
                    self.end_headers()
                    self.wfile.write(answer)
                    return
                if url.path == "/write":
                    target = urllib.parse.parse_qs(url.query)["path"][0]
                    assert os.path.realpath(target).startswith(outer.scratch + os.sep)
                    with open(target, "wb") as f:
                        f.write(body)
                elif url.path == "/done":
                    outer.result = json.loads(body.decode("utf-8"))
                    outer.done.set()
                self.send_response(200)
                self.send_header("Content-Length", "0")
                self.end_headers()

        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()

    def run(self, scenario, host="host"):
        self.done.clear()
        self.result = None
        profile = tempfile.mkdtemp(prefix="editor-chromium-")
        url = "http://127.0.0.1:%d/harness.html?scenario=%s&host=%s&dir=%s" % (
            self.httpd.server_address[1], scenario, host, urllib.parse.quote(self.scratch))
        browser = subprocess.Popen(
            ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--user-data-dir=" + profile, "--window-size=1000,640", "--remote-debugging-port=0", url],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            finished = self.done.wait(240)
        finally:
            browser.terminate()
            try:
                browser.wait(10)
            except subprocess.TimeoutExpired:
                browser.kill()
            shutil.rmtree(profile, ignore_errors=True)
        if not finished:
            raise AssertionError("the scenario %s did not finish" % scenario)
        if self.result["error"]:
            raise AssertionError("scenario %s failed: %s" % (scenario, self.result["error"]))
        return self.result


# A project as another tool may write it: the image beside the project, named relative to it.
RELATIVE_PROJECT = """<?xml version="1.0" encoding="UTF-8"?>
<template demoWidth="300" demoHeight="250" img="sky.png" bgColor="#1E3A5F" fit="cover">
  <component><info url="res/template.swf"/></component>
  <headline color="#FFFFFF" size="24" bold="true" align="center" valign="top">Summer sale</headline>
  <link url="https://example.org/summer-sale" target="_blank"/>
  <effect type="slide" duration="600"/>
</template>
"""


def snapshots(result):
    return {s["label"]: s for s in result["snapshots"]}


class EditorSession(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = os.path.realpath(tempfile.mkdtemp(prefix="editor-test-"))
        write_png(os.path.join(cls.scratch, "sky.png"), 40, 30, (30, 120, 220))
        with open(os.path.join(cls.scratch, "broken.pbf"), "w") as f:
            f.write("<template demoWidth='1'")
        with open(os.path.join(cls.scratch, "relative.pbf"), "w") as f:
            f.write(RELATIVE_PROJECT)
        cls.server = Server(cls.scratch)
        cls.main = cls.server.run("main")
        cls.snaps = snapshots(cls.main)
        cls.honest = cls.server.run("honest")
        cls.start = cls.server.run("startWithFile")
        shutil.copyfile(ARGS.swf, os.path.join(cls.scratch, "movie.png"))
        cls.rest = cls.server.run("rest")
        snaps = cls.snaps
        print("main scenario: movie ready after %d ms, finished after %d ms" % (
            snaps["start"]["extra"]["loadedAfterMs"], snaps["exit"]["extra"]["totalMs"]), file=sys.stderr)

    @classmethod
    def tearDownClass(cls):
        cls.server.close()
        shutil.rmtree(cls.scratch, ignore_errors=True)

    def calls_between(self, first, last):
        return self.main["calls"][self.snaps[first]["calls"]:self.snaps[last]["calls"]]

    def names_between(self, first, last):
        return [c["name"] for c in self.calls_between(first, last)]

    def test_start_asks_the_host_and_takes_the_output_settings(self):
        self.assertEqual(self.main["calls"][0]["name"], "GetOutputFielsInfoVC")
        start = self.snaps["start"]["state"]
        self.assertEqual(start["outputFolder"], self.scratch + "/out")
        self.assertEqual(start["swfName"], "Banner.swf")
        self.assertFalse(start["dirty"])
        self.assertIn("new project", start["title"])

    def test_background_image_is_chosen_with_an_image_filter(self):
        call = self.calls_between("start", "image")[-1]
        self.assertEqual(call["name"], "GetSelectedFilePathVC")
        self.assertIn("*.png", call["args"][0])
        # The host makes the file its project when the filter mentions xml after its first letter.
        self.assertNotIn("xml", call["args"][0][1:])
        self.assertNotEqual(call["args"][1].lower(), "openprj")
        image = self.snaps["image"]["state"]
        self.assertEqual(image["image"], self.scratch + "/sky.png")
        self.assertEqual((image["imageState"], image["imageSize"]), ("loaded", "40x30"))

    def test_sizes_are_added_removed_and_the_design_follows(self):
        dialog = self.snaps["size-dialog"]["state"]
        self.assertEqual(dialog["dialog"], "addSize")
        # The full standard list is offered; the size the project has is not.
        for size in ("300x250", "336x280", "728x90", "970x90", "970x250", "300x600", "160x600", "120x600", "320x50",
                     "320x100", "300x50", "468x60", "250x250", "200x200", "180x150", "970x66", "300x1050", "1200x628"):
            self.assertIn("addSize." + size, dialog["labels"])
        self.assertIn("addSize.300x250", dialog["disabled"])
        image = self.snaps["image"]["state"]
        self.assertEqual(image["sizes"], ["728x90"])
        self.assertEqual((image["width"], image["height"]), (728, 90))
        self.assertIn("size.728x90", image["selected"])

    def test_elements_are_added_and_out_of_range_values_are_not_applied(self):
        self.assertEqual(self.snaps["label-hidden"]["extra"]["typed"], "missing")  # nothing selected yet
        added = self.snaps["text-added"]["state"]
        self.assertEqual(added["selectedElement"], "text1")
        self.assertIn("tab.element", added["selected"])
        self.assertIn("layer.text1", added["selected"])
        edited = self.snaps["edited"]["state"]
        self.assertEqual([(e["id"], e["kind"]) for e in edited["elements"]], [("text1", "Text"), ("button1", "Button")])
        self.assertIn("between", edited["status"])
        root = ET.fromstring(edited["xml"])
        self.assertEqual(root.get("bgColor"), "#B3261E")  # "#12" was refused
        self.assertEqual(root.find("elements/text/enter").get("duration"), "1200")  # 99999 was refused
        self.assertTrue(edited["dirty"])
        self.assertTrue(edited["title"].endswith("*"))

    def test_undo_and_redo_take_whole_steps_back_and_forth(self):
        edited, undone = self.snaps["edited"]["state"], self.snaps["undone"]["state"]
        button = lambda s: ET.fromstring(s["xml"]).find("elements/button")
        self.assertEqual(button(edited).get("url"), "https://example.org/buy")
        self.assertEqual(button(edited).find("label").text, "Shop now")
        # The typed link is one step, the typed label the one before it.
        self.assertFalse(button(undone).get("url"))
        self.assertEqual(button(undone).find("label").text, "Shop now")
        twice = self.snaps["undone-twice"]["state"]
        self.assertEqual(button(twice).find("label").text, "Click here")
        self.assertTrue(twice["canRedo"])
        redone = self.snaps["redone"]["state"]
        self.assertEqual(redone["xml"], edited["xml"])
        self.assertFalse(redone["canRedo"])
        self.assertIn("toolbar.redo", redone["disabled"])
        # Saved, then undone: unsaved; redone to the saved state: saved again.
        self.assertTrue(self.snaps["undone-after-save"]["state"]["dirty"])
        self.assertFalse(self.snaps["redone-to-saved"]["state"]["dirty"])
        self.assertTrue(self.snaps["redone-to-saved"]["state"]["title"].endswith("first.pbf"))

    def test_the_language_switches_at_once_and_the_host_keeps_it(self):
        german = self.snaps["german"]["state"]
        self.assertEqual(german["language"], "deu")
        self.assertEqual(german["labels"]["toolbar.undo"], "R\u00fcckg\u00e4ngig")
        self.assertEqual(german["labels"]["layers.addButton"], "Schaltfl\u00e4che")
        self.assertEqual(german["xml"], self.snaps["redone"]["state"]["xml"])  # the banner stays as it was
        self.assertEqual(self.calls_between("redone", "german"), [{"name": "SetLanguageVC", "args": ["deu"]}])
        self.assertEqual(self.snaps["cancelled-new"]["state"]["labels"]["toolbar.undo"], "Undo")

    def test_an_image_element_is_added_deleted_with_the_key_and_brought_back(self):
        call = self.calls_between("german", "image-added")[-1]
        self.assertEqual(call["name"], "GetSelectedFilePathVC")
        self.assertIn("*.png", call["args"][0])
        added = self.snaps["image-added"]["state"]
        self.assertEqual(added["selectedElement"], "image1")
        self.assertEqual(ET.fromstring(added["xml"]).find("elements/image").get("src"), self.scratch + "/sky.png")
        self.assertEqual([e["id"] for e in self.snaps["deleted"]["state"]["elements"]], ["text1", "button1"])
        self.assertEqual(self.snaps["delete-undone"]["state"]["xml"], added["xml"])
        self.assertEqual(self.snaps["delete-undone"]["state"]["selectedElement"], "image1")

    def test_unsaved_changes_are_asked_about_and_cancel_keeps_them(self):
        self.assertEqual(self.snaps["ask-on-new"]["state"]["dialog"], "askSave")
        self.assertEqual(self.names_between("delete-undone", "cancelled-new"), [])
        self.assertTrue(self.snaps["cancelled-new"]["state"]["dirty"])
        self.assertEqual(self.snaps["cancelled-new"]["state"]["elements"][0]["label"], self.expected_headline())

    def expected_headline(self):
        return "Spring sale \\n 50% off & <more>\nC:\\new\\temp"

    def saved_tree(self, name):
        with open(os.path.join(self.scratch, name), "rb") as f:
            data = f.read()
        return data, ET.fromstring(data)

    def test_saved_project_is_version_2_with_exact_texts(self):
        self.assertEqual(self.names_between("cancelled-new", "saved"), ["SaveProjectFileVC"])
        self.assertEqual(self.calls_between("cancelled-new", "saved")[0]["args"], [])
        data, root = self.saved_tree("first.pbf")
        # Nothing the host's line-break unwrapping could change: no backslash in the text at all.
        self.assertNotIn(b"\\", data)
        self.assertEqual(root.tag, "template")
        self.assertEqual(root.get("version"), "2")
        self.assertEqual((root.get("demoWidth"), root.get("demoHeight")), ("728", "90"))
        self.assertEqual([(s.get("width"), s.get("height")) for s in root.findall("sizes/size")], [("728", "90")])
        self.assertEqual(root.get("img"), self.scratch + "/sky.png")
        self.assertEqual((root.get("bgColor"), root.get("fit")), ("#B3261E", "contain"))
        self.assertEqual(root.find("component/info").get("url"), "res/template.swf")
        self.assertEqual(root.find("link").get("url"), "https://example.com/?a=1&b=2")
        text = root.find("elements/text")
        self.assertEqual(text.find("label").text, self.expected_headline())
        self.assertEqual({k: text.get(k) for k in ("color", "size", "bold", "align")},
                         {"color": "#F2A900", "size": "20", "bold": "true", "align": "left"})
        self.assertEqual((text.find("enter").get("type"), text.find("enter").get("duration")), ("slide", "1200"))
        button = root.find("elements/button")
        self.assertEqual((button.find("label").text, button.get("url")), ("Shop now", "https://example.org/buy"))
        saved = self.snaps["saved"]["state"]
        self.assertFalse(saved["dirty"])
        self.assertEqual(saved["path"], self.scratch + "/first.pbf")
        self.assertIn("first.pbf", saved["title"])

    def test_new_after_saving_asks_nothing_and_resets(self):
        self.assertEqual(self.names_between("redone-to-saved", "new"), ["CreateNewProjectVC"])
        new = self.snaps["new"]["state"]
        self.assertEqual((new["width"], new["height"], new["image"], new["elements"]), (300, 250, "", []))
        self.assertFalse(new["canUndo"])

    def test_open_reads_the_chosen_file_and_fills_the_editor(self):
        call = self.calls_between("new", "reopened")[0]
        self.assertEqual(call["args"][:2], ["Banner Project File(*.pbf;*.xml)|*.pbf;*.xml||", "openprj"])
        opened = self.snaps["reopened"]["state"]
        self.assertEqual((opened["width"], opened["height"]), (728, 90))
        # Every value read back is written again unchanged.
        with open(os.path.join(self.scratch, "first.pbf"), encoding="utf-8") as f:
            self.assertEqual(opened["xml"], f.read())
        self.assertIn("fit.contain", opened["selected"])
        self.assertIn("bgColor.#B3261E", opened["selected"])
        self.assertEqual(opened["fields"]["link"], "https://example.com/?a=1&b=2")
        self.assertEqual(opened["elements"][0]["label"], self.expected_headline())
        self.assertFalse(opened["dirty"])
        self.assertFalse(opened["canUndo"])

    def test_save_as_sends_the_mode_and_a_cancel_keeps_the_project_unsaved(self):
        calls = self.calls_between("reopened", "saved-as")
        self.assertEqual([c["args"] for c in calls], [["saveas"], ["saveas"]])
        self.assertTrue(self.snaps["save-as-cancelled"]["state"]["dirty"])
        self.assertFalse(self.snaps["saved-as"]["state"]["dirty"])
        _, root = self.saved_tree("second.pbf")
        self.assertEqual(root.find("elements/text/enter").get("type"), "zoom")

    def test_a_broken_project_is_reported_and_the_open_is_taken_back(self):
        broken = self.snaps["broken"]["state"]
        self.assertEqual(broken["dialog"], "message")
        self.assertIn("broken.pbf", broken["dialogText"])
        self.assertEqual(self.names_between("saved-as", "broken"), ["GetSelectedFilePathVC", "ReopenPreviousProjectVC"])
        # The banner on screen, its file and its saved state stay as they were.
        self.assertEqual(broken["path"], self.scratch + "/second.pbf")
        self.assertEqual(ET.fromstring(broken["xml"]).find("elements/text/enter").get("type"), "zoom")
        self.assertFalse(broken["dirty"])

    def test_status_undo_and_hand_overs_follow_the_current_state(self):
        snaps = snapshots(self.honest)
        self.assertIsNone(self.honest["error"])
        status = {label: snaps[label]["state"]["status"] for label in snaps}
        self.assertIn("http:", status["link-refused"])
        self.assertNotIn("http:", status["link-taken"])
        self.assertEqual(snaps["link-taken"]["state"]["link"], "https://example.com/")
        self.assertIn("between", status["size-refused"])
        self.assertNotIn("between", status["size-taken"])
        # Undone while typing: the field shows the words before, the status names the typed step.
        self.assertEqual(snaps["typed"]["state"]["fields"]["label"], "Typed words")
        undone = snaps["typing-undone"]["state"]
        self.assertEqual(undone["focus"], "label")
        self.assertEqual(undone["fields"]["label"], "Your text")
        self.assertEqual(undone["elements"][0]["label"], "Your text")
        self.assertEqual(status["typing-undone"], "Undone: Change Text")
        self.assertEqual(snaps["typing-redone"]["state"]["fields"]["label"], "Typed words")
        self.assertEqual(status["typing-redone"], "Redone: Change Text")
        # Both hand-overs were asked for, in turn, after the one question.
        handed = [c["args"] for c in self.honest["calls"] if c["name"] == "OpenHandedProjectVC"]
        self.assertEqual(handed, [[self.scratch + "/first.pbf"], [self.scratch + "/second.pbf"]])
        self.assertFalse(snaps["both-opened"]["state"]["dirty"])

    def test_recent_projects_open_again_show_missing_files_and_can_be_removed(self):
        snaps = snapshots(self.honest)
        listed = snaps["recent"]["state"]
        self.assertEqual(listed["dialog"], "recent")
        self.assertEqual(listed["labels"]["recent.open.0"], "second.pbf  \u2014  " + self.scratch)
        self.assertEqual(listed["labels"]["recent.open.1"], "gone.pbf  \u2014  %s (missing)" % self.scratch)
        self.assertIn("recent.open.1", listed["disabled"])
        self.assertNotIn("recent.open.0", listed["disabled"])
        self.assertEqual(snaps["recent-missing-pressed"]["extra"]["pressed"], "disabled")
        self.assertEqual(snaps["recent-forgot"]["state"]["labels"]["recent.open.1"], "first.pbf  \u2014  " + self.scratch)
        calls = [(c["name"], c["args"]) for c in self.honest["calls"] if "Recent" in c["name"]]
        self.assertEqual(calls, [("RecentProjectsVC", []), ("ForgetRecentProjectVC", [self.scratch + "/gone.pbf"]),
                                 ("RecentProjectsVC", []), ("OpenRecentProjectVC", [self.scratch + "/first.pbf"]),
                                 ("RecentProjectsVC", [])])
        opened = snaps["recent-opened"]["state"]
        self.assertEqual(opened["dialog"], "")
        self.assertFalse(opened["dirty"])
        self.assertIn("first.pbf", opened["title"])
        self.assertEqual(snaps["recent-none"]["state"]["labels"].get("recent.open.0"), None)
        self.assertEqual(snaps["recent-closed"]["state"]["dialog"], "")

    def test_publish_panel_sends_the_arguments_and_explains_the_reply(self):
        self.assertEqual(self.snaps["publish-panel"]["state"]["dialog"], "publish")
        self.assertEqual(self.names_between("broken", "bad-name"), ["GetOutputFolderPathVC"])
        self.assertEqual(self.calls_between("broken", "bad-name")[0]["args"], [self.scratch + "/out"])
        self.assertIn("../escape.html", self.snaps["bad-name"]["state"]["publishStatus"])
        publish = self.calls_between("bad-name", "published")
        self.assertEqual([c["name"] for c in publish], ["OutPutProjectFilesVC"])
        self.assertEqual(publish[0]["args"],
                         ["1", "1", self.scratch + "/web", "promo.swf", "index.html", "template.xml",
                          "bundled", "yes", "yes"])
        self.assertIn(self.scratch + "/web/promo", self.snaps["published"]["state"]["publishStatus"])
        photo = ET.fromstring(self.main["published"]["photoEditor"])
        self.assertEqual(photo.get("img"), self.scratch + "/sky.png")
        self.assertEqual(photo.get("demoWidth"), "728")
        custom = ET.fromstring(self.main["published"]["customTemplate"])
        self.assertEqual(custom.get("img"), self.scratch + "/sky.png")
        after = self.calls_between("published", "publish-cancelled")
        self.assertEqual(after[0], {"name": "OpenOutputFolderVC", "args": [self.scratch + "/web/promo"]})
        self.assertIn("cancelled", self.snaps["publish-cancelled"]["state"]["publishStatus"])
        failed = self.calls_between("publish-cancelled", "publish-failed")
        self.assertEqual(failed[0]["args"][:2], ["2", "1"])
        self.assertEqual(failed[0]["args"][6:], ["none", "no", "no"])
        self.assertIn("could not be created", self.snaps["publish-failed"]["state"]["publishStatus"])
        self.assertEqual(self.calls_between("publish-failed", "previewed"),
                         [{"name": "PreviewInBrowserVC", "args": []}])
        self.assertIn("browser", self.snaps["previewed"]["state"]["publishStatus"])

    def test_help_window_commands_and_exit(self):
        names = self.names_between("previewed", "exit")
        self.assertEqual(names, ["OpenHelpFileVC", "MaximizeApplicationVC", "RestoreApplicationVC",
                                 "MinimizeApplicationVC", "ExitApplicationVC"])
        self.assertEqual(self.snaps["ask-on-close"]["calls"], self.snaps["exit"]["calls"] - 1)

    def test_started_with_a_version_1_project_converts_it_in_memory(self):
        snaps = snapshots(self.start)
        started = snaps["started"]["state"]
        self.assertEqual(started["path"], self.scratch + "/relative.pbf")
        self.assertEqual((started["width"], started["height"]), (300, 250))
        # The headline became a text element; the effect its entrance.
        self.assertEqual([(e["kind"], e["label"]) for e in started["elements"]], [("Text", "Summer sale")])
        self.assertEqual(ET.fromstring(started["xml"]).find("elements/text/enter").get("type"), "slide")
        self.assertIn("new format", started["status"])
        # The image is named relative to the project; the editor hands the host its full path.
        self.assertEqual(started["image"], self.scratch + "/sky.png")
        self.assertEqual(started["imageState"], "loaded")
        self.assertFalse(started["dirty"])
        # Nothing changed, so closing asks nothing; the file was only read.
        self.assertEqual([c["name"] for c in self.start["calls"]], ["GetOutputFielsInfoVC", "ExitApplicationVC"])
        with open(os.path.join(self.scratch, "relative.pbf")) as f:
            self.assertEqual(f.read(), RELATIVE_PROJECT)

    def test_the_still_editor_rests_and_playing_wakes_it(self):
        snaps = snapshots(self.rest)
        self.assertLessEqual(snaps["rested"]["state"]["frameRate"], 1)
        self.assertLessEqual(snaps["pointer-at-rest"]["state"]["frameRate"], 1)
        self.assertEqual(snaps["playing"]["state"]["frameRate"], 30)
        self.assertLessEqual(snaps["rested-again"]["state"]["frameRate"], 1)
        # The page heard of every change, in order: rest, motion, rest (then the new image's effect).
        paces = self.rest["paces"]
        self.assertLessEqual(paces[0], 1)
        self.assertEqual(paces[1], 30)
        self.assertLessEqual(paces[2], 1)

    def test_a_movie_named_like_an_image_is_refused_and_a_real_image_still_shows(self):
        snaps = snapshots(self.rest)
        self.assertEqual(snaps["movie-as-image"]["state"]["imageState"], "failed")
        self.assertEqual(snaps["movie-as-image"]["state"]["imageSize"], "")
        self.assertEqual(snaps["real-image"]["state"]["imageState"], "loaded")
        self.assertEqual(snaps["real-image"]["state"]["imageSize"], "40x30")

    def test_the_canvas_picks_drags_with_snapping_in_one_step_nudges_and_the_timeline_moves_delays_and_scrubs(self):
        snaps = snapshots(self.rest)
        added = snaps["rect-added"]["state"]
        box = added["canvas"]["box"]
        self.assertEqual((box["x"], box["y"], box["width"], box["height"]), (100, 95, 100, 60))
        # Moved by (62, 3): x follows the pointer, the middle (128) snaps to the centre line 125.
        dragged = snaps["rect-dragged"]["state"]
        moved = dragged["canvas"]["box"]
        self.assertEqual((moved["x"], moved["y"], moved["width"], moved["height"]), (162, 95, 100, 60))
        self.assertEqual(dragged["selectedElement"], added["selectedElement"])
        self.assertEqual(dragged["undoDepth"], added["undoDepth"] + 1)
        self.assertGreaterEqual(dragged["canvas"]["updateMs"], 0)
        undone = snaps["drag-undone"]["state"]
        self.assertEqual((undone["canvas"]["box"]["x"], undone["canvas"]["box"]["y"]), (100, 95))
        self.assertEqual(undone["undoDepth"], added["undoDepth"])
        nudged = snaps["nudged"]["state"]
        self.assertEqual((nudged["canvas"]["box"]["x"], nudged["canvas"]["box"]["y"]), (110, 96))
        self.assertEqual(nudged["undoDepth"], added["undoDepth"] + 2)
        # 60 pixels of the ruler later, in steps of 10 ms.
        fading, moved = snaps["fading"]["state"], snaps["delay-moved"]["state"]
        def delay(s):
            element = ET.fromstring(s["xml"]).find("elements/*[@id='%s']" % added["selectedElement"])
            return int(element.find("enter").get("delay"))
        ms_per_pixel = int(ET.fromstring(moved["xml"]).get("length")) / (moved["ruler"]["x1"] - moved["ruler"]["x0"])
        self.assertAlmostEqual(delay(moved) - delay(fading), 60 * ms_per_pixel, delta=10)
        self.assertEqual(moved["undoDepth"], fading["undoDepth"] + 1)
        self.assertEqual(snaps["background-picked"]["state"]["selectedElement"], "")
        # A press a quarter along the ruler shows that moment, paused.
        scrubbed = snaps["scrubbed"]["state"]
        length = int(ET.fromstring(scrubbed["xml"]).get("length"))
        self.assertAlmostEqual(scrubbed["canvas"]["time"], length / 4, delta=length / 100)
        self.assertFalse(scrubbed["canvas"]["playing"])

    def test_the_keyboard_alone_reaches_and_presses_everything(self):
        snaps = snapshots(self.rest)
        pressed = snaps["space-pressed"]
        self.assertEqual(pressed["extra"]["focus"][:7], ["caption.minimize", "caption.maximize", "caption.close",
                                                         "toolbar.new", "caption.close", "toolbar.new", "toolbar.open"])
        # Space on Open: the unsaved-changes question comes first, its first button focused.
        self.assertEqual(pressed["state"]["dialog"], "askSave")
        self.assertEqual(pressed["state"]["focus"], "askSave.save")
        answered = snaps["dialog-answered"]
        self.assertEqual(answered["extra"]["focus"][8:10], ["askSave.discard", "askSave.cancel"])
        self.assertEqual(answered["state"]["dialog"], "")  # Return pressed Cancel, the focused button
        self.assertEqual(answered["calls"], pressed["calls"])  # and nothing was asked of the host
        self.assertTrue(answered["state"]["dirty"])
        before = [e["id"] for e in answered["state"]["elements"]]
        after = [e["id"] for e in snaps["delete-pressed"]["state"]["elements"]]
        self.assertEqual(len(after), len(before) - 1)
        self.assertEqual(snaps["escaped"]["state"]["dialog"], "")

    def test_a_custom_size_is_checked_and_added(self):
        snaps = snapshots(self.rest)
        refused = snaps["custom-refused"]["state"]
        self.assertEqual(refused["dialog"], "addSize")
        self.assertEqual(refused["sizes"], ["300x250"])
        added = snaps["custom-size"]["state"]
        self.assertEqual(added["dialog"], "")
        self.assertEqual(added["sizes"], ["300x250", "640x360"])
        self.assertEqual(added["sizeIndex"], 1)
        self.assertIn("size.640x360", added["selected"])
        # Every element has its place at the new size.
        places = ET.fromstring(added["xml"]).findall("sizes/size")[1].findall("place")
        self.assertGreaterEqual(len(added["elements"]), 1)
        self.assertEqual(len(places), len(added["elements"]))


class ManyAtOnce(unittest.TestCase):
    """Selecting many, arranging, layers, zoom, the grid, copy and paste and the shortcuts list,
    as one scenario; every change is one undo step."""

    @classmethod
    def setUpClass(cls):
        cls.scratch = os.path.realpath(tempfile.mkdtemp(prefix="editor-arrange-"))
        server = Server(cls.scratch)
        try:
            cls.snaps = snapshots(server.run("arrange"))
        finally:
            server.close()

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.scratch, ignore_errors=True)

    def state(self, label):
        return self.snaps[label]["state"]

    def places(self, label):
        """Every element's (x, y) at the size being edited, from the project text."""
        state = self.state(label)
        root = ET.fromstring(state["xml"])
        out = {}
        index = state["sizeIndex"]
        for e in root.find("elements"):
            out[e.get("id")] = (float(e.get("x")), float(e.get("y")))
        if index > 0:
            for p in root.findall("sizes/size")[index].findall("place"):
                out[p.get("ref")] = (float(p.get("x")), float(p.get("y")))
        return out

    def test_a_frame_and_shift_click_select_and_the_selection_moves_as_one_step(self):
        self.assertEqual(self.state("framed")["selection"], ["shape1", "shape2"])
        self.assertEqual(self.state("shift-clicked")["selection"], ["shape1", "shape2", "shape3"])
        start = self.places("three")
        self.assertEqual(start, {"shape1": (20, 30), "shape2": (150, 110), "shape3": (60, 170)})
        moved = self.places("group-dragged")
        self.assertEqual(moved, {k: (x + 30, y + 8) for k, (x, y) in start.items()})
        self.assertEqual(self.state("group-dragged")["undoDepth"], self.state("shift-clicked")["undoDepth"] + 1)
        self.assertEqual(self.places("group-undone"), start)
        self.assertEqual(self.places("group-nudged"), {k: (x + 1, y) for k, (x, y) in start.items()})
        self.assertEqual(self.state("group-nudged")["selection"], ["shape1", "shape2", "shape3"])

    def test_align_and_distribute_to_the_selection_and_to_the_banner_one_step_each(self):
        depth = lambda label: self.state(label)["undoDepth"]
        # Spread over 30..230 with equal gaps of 10 pixels.
        self.assertEqual({k: y for k, (x, y) in self.places("distributed").items()}, {"shape1": 30, "shape2": 100, "shape3": 170})
        self.assertEqual(depth("distributed"), depth("group-nudged") + 1)
        self.assertEqual({x for x, y in self.places("aligned-left").values()}, {21})
        self.assertEqual(depth("aligned-left"), depth("distributed") + 1)
        self.assertIn("arrange.alignToBanner", self.state("aligned-bottom")["selected"])
        self.assertEqual({y for x, y in self.places("aligned-bottom").values()}, {190})
        self.assertEqual({x for x, y in self.places("centred").values()}, {100})
        self.assertEqual(self.places("centre-undone"), self.places("aligned-bottom"))
        self.assertEqual(self.state("centre-undone")["status"], "Undone: Align centres")
        self.assertEqual(self.places("arranging-undone"), self.places("group-nudged"))

    def test_layers_hide_in_the_editor_only_lock_rename_and_reorder(self):
        hidden = self.state("hidden-locked")
        shape = lambda state, id: ET.fromstring(state["xml"]).find("elements/shape[@id='%s']" % id)
        self.assertEqual(shape(hidden, "shape2").get("editorHidden"), "true")
        self.assertEqual(shape(hidden, "shape1").get("locked"), "true")
        self.assertIn("layerHide.shape2", hidden["selected"])
        # The hidden one is not picked, the locked one neither picked nor moved.
        self.assertEqual(self.state("hidden-passed-over")["selection"], [])
        self.assertEqual(self.places("locked-stays")["shape1"], self.places("hidden-locked")["shape1"])
        self.assertEqual(self.state("locked-stays")["selection"], [])
        self.assertEqual(self.snaps["renaming"]["extra"]["typed"], "ok")
        renamed = self.state("renamed")
        self.assertEqual(shape(renamed, "shape3").get("name"), "Badge")
        self.assertEqual(renamed["labels"]["layer.shape3"], "Badge")
        reordered = self.state("reordered")
        self.assertEqual([e["id"] for e in reordered["elements"]], ["shape3", "shape1", "shape2"])
        self.assertEqual(reordered["undoDepth"], renamed["undoDepth"] + 1)

    def test_zoom_by_steps_and_about_the_pointer_within_its_limits(self):
        canvas = lambda label: self.state(label)["canvas"]
        self.assertEqual(canvas("fitted")["scale"], 1)
        self.assertEqual(canvas("zoomed-in")["scale"], 1.5)
        before, after = canvas("zoomed-in"), canvas("wheel-zoomed")
        self.assertAlmostEqual(after["scale"], 1.875)
        # The banner point under the pointer stays under it.
        point = self.snaps["wheel-zoomed"]["extra"]["point"]
        for axis, i in (("x", 0), ("y", 1)):
            self.assertAlmostEqual((point[i] - before[axis]) / before["scale"], (point[i] - after[axis]) / after["scale"], delta=1)
        self.assertEqual(canvas("zoom-most")["scale"], 8)
        self.assertEqual(canvas("zoom-least")["scale"], 0.25)
        self.assertIn("100", canvas("fitted")["rulerMarks"])
        self.assertIn("0", canvas("fitted")["rulerMarks"])

    def test_the_grid_snaps_a_move(self):
        self.assertEqual(self.places("grid-dragged")["shape2"], (170, 120))

    def test_copied_elements_paste_at_the_same_relative_place_in_another_size_and_project(self):
        copied = self.places("copied")
        self.assertEqual(self.state("copied")["selection"], ["shape3", "shape1", "shape2"])
        wide = self.state("pasted-wide")
        self.assertEqual(wide["sizes"], ["300x250", "728x90"])
        self.assertEqual(len(wide["elements"]), 6)
        pasted = wide["selection"]
        self.assertEqual(len(pasted), 3)
        places = self.places("pasted-wide")
        root = ET.fromstring(wide["xml"])
        boxes = {p.get("ref"): p for p in root.findall("sizes/size")[1].findall("place")}
        for new, old in zip(pasted, ["shape3", "shape1", "shape2"]):
            box = boxes[new]
            cx = (float(box.get("x")) + float(box.get("width")) / 2) / 728
            cy = (float(box.get("y")) + float(box.get("height")) / 2) / 90
            self.assertAlmostEqual(cx, (copied[old][0] + 50) / 300, delta=0.01)
            self.assertAlmostEqual(cy, (copied[old][1] + 30) / 250, delta=0.01)
        self.assertEqual(wide["undoDepth"], self.state("copied")["undoDepth"] + 2)  # the size, the paste
        self.assertEqual(len(self.state("paste-undone")["elements"]), 3)
        fresh = self.state("pasted-new")
        self.assertEqual(fresh["sizes"], ["300x250"])
        self.assertEqual(self.places("pasted-new"), copied)
        self.assertEqual(fresh["undoDepth"], 1)

    def test_a_group_is_selected_moved_and_ungrouped_as_one_step_each(self):
        depth = lambda label: self.state(label)["undoDepth"]
        element = lambda label, id: ET.fromstring(self.state(label)["xml"]).find("elements/*[@id='%s']" % id)
        grouped = self.state("grouped")
        name = element("grouped", "shape1").get("group")
        self.assertTrue(name)
        self.assertEqual(element("grouped", "shape2").get("group"), name)
        self.assertIsNone(element("grouped", "shape3").get("group"))
        self.assertEqual(grouped["undoDepth"], depth("pasted-new") + 1)
        # One member clicked brings the other; the drag moves both; each is one step.
        self.assertEqual(sorted(self.state("member-clicked")["selection"]), ["shape1", "shape2"])
        before, after = self.places("member-clicked"), self.places("group-moved")
        moved = {k: (round(x - before[k][0]), round(y - before[k][1])) for k, (x, y) in after.items()}
        # Dragged by 25, 15 from a corner: the group may snap on the way, but moves as one.
        self.assertEqual(moved["shape1"], moved["shape2"])
        self.assertGreater(moved["shape1"][0], 10)
        self.assertGreater(moved["shape1"][1], 5)
        self.assertEqual(moved["shape3"], (0, 0))
        self.assertEqual(depth("group-moved"), depth("member-clicked") + 1)
        self.assertIsNone(element("ungrouped", "shape1").get("group"))
        self.assertEqual(depth("ungrouped"), depth("group-moved") + 1)
        self.assertEqual(element("ungroup-undone", "shape2").get("group"), name)
        # A double click on a member selects it alone; it moves alone; Escape selects the group again.
        self.assertEqual(self.state("member-alone")["selection"], ["shape2"])
        before, after = self.places("member-alone"), self.places("member-moved")
        self.assertNotEqual(after["shape2"], before["shape2"])
        self.assertEqual(after["shape1"], before["shape1"])
        self.assertEqual(element("member-moved", "shape2").get("group"), name)
        self.assertEqual(depth("member-moved"), depth("member-alone") + 1)
        self.assertEqual(sorted(self.state("member-left")["selection"]), ["shape1", "shape2"])

    def test_the_colour_picker_offers_the_banners_colours_and_a_chosen_colour_is_one_step(self):
        picker = self.state("picker")
        self.assertEqual(picker["dialog"], "colour")
        # The banner's colours: the white background and fills, among them.
        self.assertIn("colour.used.#FFFFFF", picker["labels"])
        fill = lambda label: ET.fromstring(self.state(label)["xml"]).find("elements/*[@id='shape3']").get("fill")
        self.assertEqual(fill("picker-cancelled"), fill("picker"))
        self.assertEqual(self.state("picker-cancelled")["undoDepth"], self.state("picker")["undoDepth"])
        # Typing a value changes nothing until it is chosen.
        self.assertEqual(fill("picker-typed"), fill("picker"))
        self.assertEqual(fill("picked"), "#12AB34")
        self.assertEqual(self.state("picked")["undoDepth"], self.state("picker")["undoDepth"] + 1)
        self.assertEqual(self.state("picked")["dialog"], "")
        # The eyedropper reads the banner as drawn on the canvas; the background is set in one step.
        self.assertEqual(self.state("eyedropper")["dialog"], "colour")
        eyedropped = ET.fromstring(self.state("eyedropped")["xml"])
        self.assertEqual(eyedropped.get("bgColor"), "#12AB34")
        self.assertEqual(self.state("eyedropped")["undoDepth"], self.state("picked")["undoDepth"] + 1)

    def test_the_shortcuts_list_names_the_keys_and_closes_with_escape(self):
        self.assertEqual(self.state("shortcuts")["dialog"], "shortcuts")
        self.assertIn("Distribute vertically: Ctrl+Shift+V", self.state("shortcuts")["dialogText"])
        self.assertIn("Zoom in: Ctrl++, Ctrl+Num +", self.state("shortcuts")["dialogText"])
        self.assertIn("Ungroup: Ctrl+Shift+G", self.state("shortcuts")["dialogText"])
        self.assertIn("One member of a group alone (Esc: the group): Ctrl+click, double-click", self.state("shortcuts")["dialogText"])
        self.assertEqual(self.state("shortcuts-closed")["dialog"], "")


class FeedPanel(unittest.TestCase):
    """The feed panel with the stand-in host: rows loaded, previewed at every size with the same
    binding publishing uses, what does not fit named, and a publish followed and stopped."""

    @classmethod
    def setUpClass(cls):
        cls.scratch = os.path.realpath(tempfile.mkdtemp(prefix="editor-feed-"))
        cls.server = Server(cls.scratch)
        cls.result = cls.server.run("feed")
        cls.snaps = snapshots(cls.result)

    @classmethod
    def tearDownClass(cls):
        cls.server.close()
        shutil.rmtree(cls.scratch, ignore_errors=True)

    def feed(self, label):
        return self.snaps[label]["state"]["feed"]

    def test_a_row_is_shown_at_every_size_with_what_does_not_fit(self):
        title = self.snaps["empty"]["extra"]["title"]
        self.assertEqual(self.snaps["empty"]["state"]["dialog"], "feed")
        self.assertEqual(self.feed("empty")["rows"], [])
        # The file is chosen through the host with a CSV filter that does not make it the project.
        chooser = [c for c in self.result["calls"] if c["name"] == "GetSelectedFilePathVC"][-1]
        self.assertIn("*.csv", chooser["args"][0])
        self.assertNotIn("xml", chooser["args"][0][1:])
        read = [c for c in self.result["calls"] if c["name"] == "ReadFeedVC"]
        self.assertEqual([c["args"] for c in read], [[self.scratch + "/products.csv"]])

        first = self.feed("row1")
        self.assertEqual(first["rows"], ["Red shoe", "Sneaker", "latin"])
        self.assertEqual([p["size"] for p in first["preview"]], ["300x250", "728x90"])
        self.assertEqual(first["notes"], [])
        self.assertIn("price", first["notesText"])  # a column naming nothing is said once
        # The design itself is untouched by previewing a row.
        self.assertIn("Spring sale", self.snaps["row3"]["state"]["xml"])
        self.assertNotIn("Red shoe", self.snaps["row3"]["state"]["xml"])

        second = self.feed("row2")
        self.assertEqual(second["selected"], 2)
        self.assertEqual(sorted(second["notes"]), sorted(
            [title + " overflow 300 \u00d7 250", title + " overflow 728 \u00d7 90"]))
        self.assertIn(title + " does not fit its box at 300 \u00d7 250", second["notesText"])

        # A row the host refuses is said to be, by number, and not drawn.
        third = self.feed("row3")
        self.assertEqual(third["preview"], [])
        self.assertIn("Row 3 cannot be published", third["notesText"])
        self.assertIn("not UTF-8", third["notesText"])

    def test_the_whole_feed_is_published_with_progress_and_stopped(self):
        publish = [c for c in self.result["calls"] if c["name"] == "PublishFeedVC"]
        self.assertEqual(len(publish), 1)
        self.assertEqual(publish[0]["args"][:2], [self.scratch + "/products.csv", "1"])
        self.assertEqual(publish[0]["args"][3], self.scratch + "/out/products")
        self.assertIn("Spring sale", self.result["published"]["feed"])
        running = self.feed("running")
        self.assertTrue(running["running"])
        self.assertIn("of 3 rows done", running["status"])
        self.assertEqual(self.snaps["running"]["extra"]["close"], "disabled")
        stopped = self.feed("stopped")
        self.assertEqual((stopped["outcome"], stopped["running"], stopped["published"]), ("cancelled", False, 2))
        self.assertIn("Stopped: 2 of 3 variants published", stopped["status"])
        names = [c["name"] for c in self.result["calls"]]
        self.assertIn("CancelFeedVC", names)
        # Once stopped, the host is no longer asked.
        self.assertEqual(names[-1], "FeedProgressVC")


class ExportPanel(unittest.TestCase):
    """The export panel with the stand-in host: the choices each format takes sent as the host
    reads them, a refusal said in the host's words, an animation followed and stopped, and the
    files written and the sizes that could not be listed at the end."""

    @classmethod
    def setUpClass(cls):
        cls.scratch = os.path.realpath(tempfile.mkdtemp(prefix="editor-export-"))
        cls.server = Server(cls.scratch)
        cls.result = cls.server.run("exportPanel")
        cls.snaps = snapshots(cls.result)

    @classmethod
    def tearDownClass(cls):
        cls.server.close()
        shutil.rmtree(cls.scratch, ignore_errors=True)

    def export(self, label):
        return self.snaps[label]["state"]["export"]

    def test_choices_go_to_the_host_as_each_format_takes_them(self):
        self.assertIn("Export...: Ctrl+E", self.snaps["shortcuts"]["state"]["dialogText"])
        opened = self.snaps["opened"]["state"]
        self.assertEqual(opened["dialog"], "export")
        self.assertEqual((opened["export"]["format"], opened["export"]["sizes"]), ("gif", []))
        self.assertEqual(opened["export"]["fields"], ["export.fps", "export.maxKb"])
        self.assertEqual([opened["fields"][f] for f in ("export.fps", "export.maxKb", "export.folder")],
                         ["5", "150", self.scratch + "/out"])
        self.assertIn("export.allSizes", opened["selected"])
        still = self.export("still")
        self.assertEqual((still["format"], still["sizes"], still["fields"]), ("png", ["728x90"], ["export.at"]))

        calls = [c["args"] for c in self.result["calls"] if c["name"] == "ExportBannerVC"]
        out = self.scratch + "/out"
        self.assertEqual(calls, [["png", out, "9", "", "", "728x90"], ["gif", out, "", "5", "150", "728x90"],
                                 ["gif", out, "", "5", "10"]])
        self.assertEqual(self.export("refused")["status"], "the moment 9 s is outside the timeline (0 to 5 s)")
        self.assertEqual(self.export("refused")["outcome"], "")
        # The design as it is now went with the start.
        self.assertIn("Spring sale", self.result["published"]["exported"])

    def test_an_animation_is_followed_stopped_and_its_outcome_listed(self):
        running = self.snaps["running"]
        self.assertTrue(running["state"]["export"]["running"])
        self.assertIn("Exporting... 25 %", running["state"]["export"]["status"])
        self.assertEqual(running["extra"], {"close": "disabled", "format": "disabled"})
        stopped = self.export("stopped")
        self.assertEqual((stopped["outcome"], stopped["running"]), ("cancelled", False))
        self.assertTrue(stopped["status"].startswith("Stopped: 0 files written"), stopped["status"])
        names = [c["name"] for c in self.result["calls"]]
        self.assertIn("CancelExportVC", names)

        ended = self.export("ended")
        self.assertEqual(ended["outcome"], "failed")
        lines = ended["status"].split("\n")
        self.assertEqual(lines[0], "Not every size could be written: 1 files written in " + self.scratch + "/out")
        self.assertTrue(lines[1].startswith("banner_300x250.gif: 41.3 KB"), lines)
        self.assertTrue(lines[2].startswith("728x90: the GIF cannot fit 10 KB"), lines)
        # The choices are kept for the next opening.
        reopened = self.snaps["reopened"]["state"]
        self.assertEqual((reopened["export"]["format"], reopened["fields"]["export.maxKb"]), ("gif", "10"))


def big_project(elements, text=""):
    out = ['<?xml version="1.0" encoding="UTF-8"?>\n<template version="2" demoWidth="300" demoHeight="250" '
           'bgColor="#1E3A5F"><elements>']
    out += ['<shape id="s%d" x="%d" y="%d" width="8" height="8" fill="#FF6A00"/>' % (i, i % 290, i % 240)
            for i in range(elements)]
    out.append(text)
    out.append('</elements><sizes><size width="300" height="250"/></sizes></template>\n')
    return "".join(out)


class PastALimit(unittest.TestCase):
    """A project one past the reader's element limit opens read-only with the count and the limit
    named; no edit is taken, nothing is saved, and publishing gets the file's whole text."""

    def test_shown_read_only_never_saved_and_published_whole(self):
        scratch = os.path.realpath(tempfile.mkdtemp(prefix="editor-limit-"))
        try:
            big = big_project(1001)
            with open(os.path.join(scratch, "big.pbf"), "w") as f:
                f.write(big)
            with open(os.path.join(scratch, "small.pbf"), "w") as f:
                f.write(big_project(3, '<text id="tiny" x="10" y="10" width="30" height="14" size="12">'
                                       '<label>Free delivery on every order this week</label></text>'))
            server = Server(scratch)
            try:
                result = server.run("pastALimit")
            finally:
                server.close()
            snaps = snapshots(result)
            opened = snaps["opened"]["state"]
            self.assertIn("1001 elements (at most 1000)", opened["dialogText"])
            self.assertIn("big.pbf", opened["dialogText"])
            self.assertIn("read-only", opened["title"])
            self.assertEqual(len(opened["elements"]), 1000)
            tried = snaps["tried"]
            self.assertEqual(tried["extra"]["addText"], "disabled")
            self.assertEqual(len(tried["state"]["elements"]), 1000)
            self.assertFalse(tried["state"]["dirty"])
            for label in ("save-refused", "save-as-refused"):
                self.assertEqual(snaps[label]["state"]["dialog"], "message")
                self.assertIn("1001 elements (at most 1000)", snaps[label]["state"]["dialogText"])
            names = [c["name"] for c in result["calls"][:snaps["publish-asked"]["calls"]]]
            self.assertNotIn("SaveProjectFileVC", names)
            self.assertFalse(os.path.exists(os.path.join(scratch, "copy.pbf")))
            with open(os.path.join(scratch, "big.pbf")) as f:
                self.assertEqual(f.read(), big)
            # Publishing is the host's to refuse: it is handed the whole file.
            self.assertIn("OutPutProjectFilesVC", names)
            first = result["served"][0]
            self.assertEqual((first["kind"], first["xml"]), ("photoEditor", big))
            # Another project opens for editing as usual.
            small = snaps["small-edited"]["state"]
            self.assertNotIn("read-only", small["title"])
            self.assertEqual(len(small["elements"]), 5)
            # Its publish goes through, and the result names the text that does not fit.
            published = snaps["small-published"]["state"]["publishStatus"]
            self.assertIn("do not fit their boxes: tiny at 300 \u00d7 250.", published)
            self.assertNotIn("text1", published)
        finally:
            shutil.rmtree(scratch, ignore_errors=True)


PICTURES = os.path.join(HERE, "..", "data", "pictures")

# A project as a stranger may send it: a background that decodes to 400 megapixels, an image
# element at a web address that would learn the project was opened, and a GIF bomb.
BOMB_PROJECT = """<?xml version="1.0" encoding="UTF-8"?>
<template version="2" demoWidth="300" demoHeight="250" img="bomb-20000x20000.png" bgColor="#1E3A5F" fit="cover">
  <component><info url="res/template.swf"/></component>
  <elements>
    <image id="spy" x="10" y="10" width="50" height="50" src="%s" fit="contain"/>
    <image id="gif" x="70" y="10" width="50" height="50" src="bomb-65535x65535.gif" fit="contain"/>
  </elements>
  <sizes><size width="300" height="250"/></sizes>
</template>
"""

HANDED_PROJECT = """<?xml version="1.0" encoding="UTF-8"?>
<template version="2" demoWidth="300" demoHeight="250" img="bomb-60000x60000.jpg" bgColor="#1E3A5F">
  <component><info url="res/template.swf"/></component>
  <sizes><size width="300" height="250"/></sizes>
</template>
"""


class RefusedPictures(unittest.TestCase):
    """Pictures beyond the pixel budget are refused by name before the player decodes them, opened at
    start or handed over by a second start; a picture at a web address is never fetched."""

    def test_bombs_and_addresses_are_refused_by_name_and_the_editor_goes_on(self):
        scratch = os.path.realpath(tempfile.mkdtemp(prefix="editor-bombs-"))
        try:
            for name in os.listdir(PICTURES):
                shutil.copyfile(os.path.join(PICTURES, name), os.path.join(scratch, name))
            server = Server(scratch)
            spy = "http://127.0.0.1:%d/phone-home.png" % server.httpd.server_address[1]
            with open(os.path.join(scratch, "bombs.pbf"), "w") as f:
                f.write(BOMB_PROJECT % spy)
            with open(os.path.join(scratch, "handed.pbf"), "w") as f:
                f.write(HANDED_PROJECT)
            try:
                result = server.run("refusedPictures")
            finally:
                server.close()
            snaps = snapshots(result)
            self.assertNotIn("/phone-home.png", server.requests)
            self.assertEqual(snaps["opened"]["state"]["imageState"], "failed")
            refusals = snaps["handed"]["state"]["refusals"]
            for name, size in (("bomb-20000x20000.png", "20000 \u00d7 20000"),
                               ("bomb-65535x65535.gif", "65535 \u00d7 65535"),
                               ("bomb-60000x60000.jpg", "60000 \u00d7 60000")):
                self.assertTrue(any(name in r and size in r for r in refusals), (name, refusals))
            self.assertTrue(any(spy in r for r in refusals), refusals)
            # The second project replaced the first and the editor still takes edits.
            self.assertEqual(snaps["handed"]["state"]["path"], scratch + "/handed.pbf")
            self.assertEqual(len(snaps["still-editing"]["state"]["elements"]), 1)
        finally:
            shutil.rmtree(scratch, ignore_errors=True)


class Soak(unittest.TestCase):
    """The editor played, scrubbed and edited for about a minute, on its own page."""

    def setUp(self):
        self.scratch = os.path.realpath(tempfile.mkdtemp(prefix="editor-soak-"))
        self.server = Server(self.scratch)

    def tearDown(self):
        self.server.close()
        shutil.rmtree(self.scratch, ignore_errors=True)

    def test_playing_scrubbing_and_editing_hundreds_of_times_never_freezes(self):
        result = self.server.run("soak")
        soaked = snapshots(result)["soaked"]
        extra = soaked["extra"]
        print("soak: %d rounds in %.1f s, slowest wait for the banner to move %d ms" % (
            extra["rounds"], extra["seconds"], extra["slowestMoveMs"]), file=sys.stderr)
        self.assertGreaterEqual(extra["rounds"], 100)
        self.assertEqual(soaked["state"]["dialog"], "")
        self.assertEqual(len(soaked["state"]["elements"]), 5)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--swf", required=True)
    parser.add_argument("--ruffle", action="append", required=True)
    ARGS, rest = parser.parse_known_args()
    if os.environ.get("PENNORIA_RUFFLE_DIR"):
        ARGS.ruffle.insert(0, os.environ["PENNORIA_RUFFLE_DIR"])
    ARGS.ruffle = next((d for d in ARGS.ruffle if os.path.isfile(os.path.join(d, "ruffle.js"))), None)
    if shutil.which("chromium") is None or ARGS.ruffle is None:
        print("chromium or Ruffle is not installed; skipping")
        sys.exit(77)
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
