#!/usr/bin/env python3
"""Lays out every panel of the editor movie in a 960 x 600 window in English, German and French
(headless Chromium with Ruffle, the stand-in host) and has the movie measure each text on screen
against its box: nothing may be cut off by its field, button, panel or window, and no text may run
into another text or widget.

usage: editor_layout_test.py --swf PATH --ruffle DIR [--ruffle DIR ...] [--shots DIR] [--size WxH]
--shots saves a screenshot of every panel in every language there (to look at, not compared).
Exit 77 (skipped) when Chromium or Ruffle is missing.
"""
import argparse
import json
import os
import shutil
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "browser"))
import browser  # noqa: E402
import editor_browser_test  # noqa: E402

LANGUAGES = ("eng", "deu", "fra")
# Long names, as a user's folders have them: the paths shown in the panels must wrap, not spill.
PICTURES = "/home/user/Pictures/Campaigns/Spring sale 2026/backgrounds"
HEADLINE = "Spring sale: 50% off everything in the shop"


def js(body):
    """An expression that runs body (which may await) in the page and answers its result."""
    return "(async function () { %s })()" % body


class Editor:
    """The editor movie in one page, driven through its test entry point."""

    def __init__(self, chromium, server, scratch, lang, size):
        self.chromium = chromium
        url = "http://127.0.0.1:%d/harness.html?scenario=layout&host=host&lang=%s&w=%d&h=%d&dir=%s" % (
            server.httpd.server_address[1], lang, size[0], size[1], scratch)
        chromium.navigate(url)
        self.wait("the editor to start", "window.layoutReady === true", 180)

    def run(self, body):
        result = self.chromium.call("Runtime.evaluate", session=True, expression=js(body),
                                    awaitPromise=True, returnByValue=True, timeout=120)
        if "exceptionDetails" in result:
            raise AssertionError("in the page: %s" % result["exceptionDetails"].get("exception", {}).get(
                "description", result["exceptionDetails"]))
        return result.get("result", {}).get("value")

    def wait(self, what, condition, seconds=30):
        self.run("await waitFor(%s, function () { return %s; }, %d); return true;" % (
            json.dumps(what), condition, seconds))

    def drive(self, *steps):
        """Runs drive() steps; each must be carried out."""
        for step in steps:
            answer = self.run("return drive(%s);" % ", ".join(json.dumps(a) for a in step))
            if answer != "ok":
                raise AssertionError("%s answered %s" % (step, answer))

    def state(self):
        return self.run("return state();")

    def layout(self):
        return json.loads(self.run('return drive("layout");'))

    def shot(self, path):
        # The layout check woke the editor up to its full frame rate; Ruffle draws on its next
        # frames. A screenshot is only for looking at.
        self.run("await sleep(1500); return true;")
        self.chromium.save_screenshot(path)


def element_ids(editor):
    return {e["kind"] + (":" + e["label"] if e["kind"] == "Shape" else ""): e["id"]
            for e in editor.state()["elements"]}


def panels(editor, scratch):
    """Brings every panel on screen in turn and yields its name; the editor starts blank."""
    editor.run('answers.file.push(%s); return true;' % json.dumps(PICTURES + "/beach at sunset.png"))
    editor.drive(("click", "chooseImage"))
    yield "banner"

    editor.drive(("click", "sizes.add"))
    yield "add-size"
    editor.drive(("key", "esc"))
    for size in ("728x90", "160x600", "320x50", "970x250"):
        editor.drive(("click", "sizes.add"), ("click", "addSize." + size))

    editor.drive(("click", "layers.addRect"), ("click", "layers.addEllipse"))
    editor.run('answers.file.push(%s); return true;' % json.dumps(PICTURES + "/logo with a long name.png"))
    editor.drive(("click", "layers.addImage"))
    yield "image"
    editor.drive(("click", "layers.addButton"))
    yield "button"
    editor.drive(("click", "layers.addText"), ("type", "label", HEADLINE))
    yield "text"
    editor.drive(("click", "tab.animation"), ("click", "enter.type.slide"), ("click", "exit.type.slide"))
    yield "animation"
    editor.drive(("click", "exit.type.fade"))
    yield "animation-fade"
    elements = editor.state()["elements"]
    shapes = [e["id"] for e in elements if e["kind"] == "Shape"]
    for shape, name in zip(shapes, ("rectangle", "ellipse")):
        editor.drive(("click", "layer." + shape), ("click", "tab.element"))
        yield name
    editor.drive(("click", "fill.pick"))
    yield "colour-picker"
    editor.drive(("key", "esc"))
    editor.drive(("click", "tab.banner"), ("type", "length", "0"))
    yield "banner-refused-value"

    recent = [{"path": PICTURES + "/../projects/Spring sale %d with a long name.pbf" % i, "missing": i == 1}
              for i in range(10)]
    editor.run("answers.recent = %s; return true;" % json.dumps(recent))
    editor.drive(("click", "toolbar.recent"))
    yield "recent"
    editor.drive(("key", "esc"))

    # Several selected (of different kinds), one hidden in the editor, one being renamed, zoomed in.
    editor.drive(("click", "layer." + shapes[0]), ("key", "ctrl+a"))
    yield "many-selected"
    editor.drive(("click", "layerHide." + shapes[0]), ("click", "layer." + shapes[1]), ("key", "f2"))
    yield "hidden-and-renaming"
    editor.drive(("click", "arrange.zoomIn"), ("click", "arrange.zoomIn"), ("click", "arrange.grid"))
    yield "zoomed"
    editor.drive(("click", "arrange.zoomFit"), ("key", "shift+f1"))
    yield "shortcuts"
    editor.drive(("key", "esc"))
    editor.drive(("click", "toolbar.publish"))
    yield "publish"
    editor.run('drive("type", "publish.folder", ""); return true;')
    editor.drive(("click", "publish.go"))
    yield "publish-refused"
    editor.drive(("key", "esc"))

    # The host's output folder again (the refused publish above left the panel's empty).
    editor.run('player.SettingOutputFilesVC(%s, "Banner.swf", "Banner.html"); return true;' % json.dumps(scratch + "/out"))
    editor.drive(("click", "toolbar.publish"), ("click", "publish.feed"))
    yield "feed-empty"
    title = editor.state()["elements"][-1]["id"]
    feed = {"columns": ["name", title, "price"], "total": 1200, "refused": {},
            "rows": [["Product %d with a long name" % n, HEADLINE + " " + str(n) * 30, "9.99"] for n in range(1, 13)]}
    editor.run("answers.file.push(%s); answers.feed = %s; answers.progress = [%s]; return true;" % (
        json.dumps(PICTURES + "/products of the spring campaign.csv"), json.dumps(feed),
        json.dumps({"state": "running", "done": 400, "published": 0, "failed": 0, "lines": []})))
    editor.drive(("click", "feed.load"), ("click", "feed.row.2"))
    yield "feed"
    editor.drive(("click", "feed.publish"))
    editor.wait("the publish to be followed", "state().feed.done === 400")
    yield "feed-publishing"
    editor.drive(("click", "feed.cancel"))
    editor.wait("the publish to stop", 'state().feed.outcome === "cancelled"')
    yield "feed-stopped"
    editor.drive(("click", "feed.close"))

    editor.drive(("click", "toolbar.publish"), ("click", "publish.export"))
    yield "export"
    editor.drive(("click", "export.png"))
    yield "export-still"
    folder = scratch + "/out"
    written = [folder + "/Spring sale with a long name_%s.gif" % s for s in ("300x250", "728x90")]
    editor.run("answers.exportProgress = %s; return true;" % json.dumps(
        [{"state": "running", "fraction": 0.4, "written": [], "notes": [], "errors": []}]))
    editor.drive(("click", "export.gif"), ("click", "export.go"))
    editor.wait("the export to be followed", 'state().export.fraction === 0.4')
    yield "export-running"
    editor.run("answers.exportProgress = %s; return true;" % json.dumps([
        {"state": "failed", "fraction": 1, "written": written[:1],
         "notes": [written[0] + ": 148.2 KB, 64 colours, dithered, 5 frames a second, plays 3 times (15 s)"],
         "errors": ["728x90: the GIF cannot fit 150 KB (at 16 colours and 1 frame a second it is 171.0 KB)"]}]))
    editor.wait("the export to end", 'state().export.outcome === "failed"')
    yield "export-done"
    editor.drive(("click", "export.close"))

    editor.drive(("click", "toolbar.new"))
    editor.wait("the question before new", 'state().dialog === "askSave"')
    yield "ask-save"
    editor.drive(("key", "esc"))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--swf", required=True)
    parser.add_argument("--ruffle", action="append", required=True)
    parser.add_argument("--shots", default=os.environ.get("PENNORIA_LAYOUT_SHOTS"))
    parser.add_argument("--size", default="960x600")
    parser.add_argument("--languages", default=",".join(LANGUAGES))
    args = parser.parse_args()
    ruffle = next((d for d in args.ruffle if os.path.isfile(os.path.join(d, "ruffle.js"))), None)
    if ruffle is None or browser.find_chromium() is None or not os.path.isfile(args.swf):
        print("chromium, ruffle or the editor movie is missing")
        return browser.SKIP
    editor_browser_test.ARGS = argparse.Namespace(swf=args.swf, ruffle=ruffle)
    size = tuple(int(v) for v in args.size.split("x"))
    if args.shots:
        os.makedirs(args.shots, exist_ok=True)

    scratch = os.path.realpath(tempfile.mkdtemp(prefix="editor-layout-"))
    server = editor_browser_test.Server(scratch)
    chromium = browser.Browser(*size)
    failures = []
    try:
        for lang in args.languages.split(","):
            started = time.monotonic()
            editor = Editor(chromium, server, scratch, lang, size)
            assert editor.state()["language"] == lang, editor.state()["language"]
            seen = 0
            for panel in panels(editor, scratch):
                result = editor.layout()
                seen += 1
                if result["texts"] < 3:
                    failures.append("%s %s: only %d texts measured" % (lang, panel, result["texts"]))
                for problem in result["problems"]:
                    failures.append("%s %s: %s" % (lang, panel, problem))
                if args.shots:
                    editor.shot(os.path.join(args.shots, "%s-%s.png" % (lang, panel)))
            print("%s: %d panels laid out in %.1f s" % (lang, seen, time.monotonic() - started))
    finally:
        chromium.close()
        server.close()
        shutil.rmtree(scratch, ignore_errors=True)
    for failure in failures:
        print("FAIL " + failure)
    print("%d problems" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
