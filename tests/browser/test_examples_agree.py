#!/usr/bin/env python3
"""The renderers agree: every example project in examples/ is published with pennoria-cli, and
for each of its sizes the SWF banner (played by the Ruffle copy beside its pages), the HTML5
creative (Chromium's own drawing of creative.js), the backup image (drawn natively) and the
editor's preview (the editor movie under Ruffle, the project opened and the size selected, its
canvas at 100 %) are compared once the banner has played to its final frame. Elements are placed, coloured and
layered by one set of rules, so only the edges of letters may differ between the font engines.
The first example is also given the standard sizes the examples lack (300 x 600, 970 x 250,
468 x 60, 320 x 100) by `pennoria-cli layout`, and compared at each of them the same way.

Prints each pair's agreement; fails when a pair differs in more than a small share of pixels.

usage: test_examples_agree.py PROGRAM_DIR PENNORIA_CLI EXAMPLES_DIR
"""

import argparse
import base64
import glob
import json
import os
import subprocess
import sys
import tempfile
import re
import shutil
import time
import urllib.parse
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "editor"))
import browser  # noqa: E402
import editor_browser_test as editor_harness  # noqa: E402
from test_export_parity import HELD_CLOCK  # noqa: E402

# The editor's window: wide and tall enough that the canvas shows the largest sizes compared
# (970x250, 160x600) beside the panels and above the timeline without scaling them down.
EDITOR_W, EDITOR_H = 1600, 1000

# Pixels differing by more than 32 in some channel, as a share of the banner: letters drawn by
# three font engines differ at their edges; a misplaced or missing element differs far more.
FAR_LIMIT = 0.08
# The backup image and the creative set text with the same faces, advances, hinting and
# baselines, so only antialiasing at the letters' edges may differ (most on the smallest banners,
# where letters cover the largest share).
BACKUP_LIMIT = 0.02


def publish(cli, project, out, env):
    os.makedirs(out)
    run = subprocess.run([cli, "publish", project, "--folder", out, "--out-mode", "1",
                          "--embed-mode", "0", "--player", "bundled"],
                         stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=env)
    if run.returncode != 0:
        raise AssertionError("publish of %s failed: %s %s" % (project, run.stdout, run.stderr))
    return os.path.join(out, "banner")


def one_loop_copy(project, folder):
    """The project copied with its folder into folder, playing one loop: the last loop ends on
    the same frame as the first, so the pages need play only one. Answers the copy's path."""
    shutil.copytree(os.path.dirname(project), folder)
    played = os.path.join(folder, os.path.basename(project))
    with open(played, encoding="utf-8") as f:
        text = re.sub(r'\bloops="\d+"', 'loops="1"', f.read(), count=1)
    with open(played, "w", encoding="utf-8") as f:
        f.write(text)
    return played


def sizes_of(project):
    root = ET.parse(project).getroot()
    sizes = [(int(s.get("width")), int(s.get("height"))) for s in root.iter("size")]
    if not sizes:
        sizes = [(int(root.get("demoWidth")), int(root.get("demoHeight")))]
    length = int(root.get("length", "5000"))
    loops = int(root.get("loops", "1"))
    return sizes, length * loops / 1000.0


def shot(chromium, width, height, x=0, y=0):
    data = chromium.call("Page.captureScreenshot", session=True, format="png",
                         clip={"x": x, "y": y, "width": width, "height": height, "scale": 1})
    return browser.Image.from_png(base64.b64decode(data["data"]))


def still_shot(chromium, width, height, x=0, y=0):
    """The rectangle once two shots half a second apart are the same."""
    previous = shot(chromium, width, height, x, y)
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        time.sleep(0.5)
        current = shot(chromium, width, height, x, y)
        if current.rows == previous.rows:
            break
        previous = current
    return previous


def wait_until(what, test, seconds=60):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = test()
        if value:
            return value
        time.sleep(0.2)
    raise AssertionError("timed out waiting for " + what)


def editor_shots(chromium, harness, project, sizes):
    """The editor's canvas for each size: the project opened in the editor movie, the actual size
    view chosen (Ctrl+0), each size selected in turn, nothing selected, the final frame shown,
    its rectangle photographed. Returns {size: image} and the problems seen."""
    shots, problems = {}, []
    chromium.events.clear()
    chromium.call("Emulation.setDeviceMetricsOverride", session=True, width=EDITOR_W,
                  height=EDITOR_H, deviceScaleFactor=1, mobile=False)
    chromium.navigate("http://127.0.0.1:%d/harness.html?scenario=preview&w=%d&h=%d&project=%s" % (
        harness.httpd.server_address[1], EDITOR_W, EDITOR_H, urllib.parse.quote(project)))
    wait_until("the editor to open " + project,
               lambda: chromium.evaluate("document.title") == "ready", 180)
    state = lambda: json.loads(chromium.evaluate("drive('state')"))
    pressed = chromium.evaluate("drive('key', 'ctrl+0')")
    if pressed != "ok" or not state()["canvas"]["actualSize"]:
        return shots, ["the editor's actual size: %s" % pressed]
    for index, (width, height) in enumerate(sizes):
        button = "size.%dx%d" % (width, height)
        pressed = chromium.evaluate("drive('click', %s)" % json.dumps(button))
        if pressed != "ok":
            problems.append("the editor's size button %s: %s" % (button, pressed))
            continue
        now = wait_until("the editor's canvas at %dx%d" % (width, height), lambda: (
            lambda s: s if s["sizeIndex"] == index and s["canvas"]["settled"]
            and not s["canvas"]["playing"] else None)(state()))
        canvas = now["canvas"]
        if now["selectedElement"] or canvas["scale"] != 1:
            problems.append("the editor shows %dx%d at %s %% with %r selected" % (
                width, height, 100 * canvas["scale"], now["selectedElement"]))
            continue
        shots[(width, height)] = still_shot(chromium, width, height, canvas["x"], canvas["y"])
    problems += ["editor: %s" % e for e in chromium.script_errors() if "favicon.ico" not in e]
    return shots, problems


def settled_shot(chromium, url, width, height, seconds):
    """The page at the banner's size, once it has played for `seconds` and stopped moving."""
    chromium.events.clear()
    chromium.call("Emulation.setDeviceMetricsOverride", session=True, width=width,
                  height=height, deviceScaleFactor=1, mobile=False)
    chromium.width, chromium.height = width, height
    chromium.navigate(url)
    # A busy machine may take seconds to fetch and compile the player: the banner's time starts
    # once the player has loaded the movie (its readyState Loaded, 2), not at the navigation.
    wait_until("the player to load the banner", lambda: chromium.evaluate(PLAYER_LOADED))
    time.sleep(seconds + 1.0)
    image = still_shot(chromium, width, height)
    errors = [e for e in chromium.script_errors() if "favicon.ico" not in e]
    return image, errors


PLAYER_LOADED = """Array.from(document.querySelectorAll("*")).some(function (e) {
  return e.tagName.indexOf("RUFFLE-") === 0 && e.readyState === 2; })"""


def final_creative_shot(chromium, url, width, height, seconds):
    """The creative at its final frame: its clock held and moved past the end at once, so
    the shot needs no wait for the banner to play."""
    chromium.events.clear()
    chromium.call("Emulation.setDeviceMetricsOverride", session=True, width=width,
                  height=height, deviceScaleFactor=1, mobile=False)
    chromium.width, chromium.height = width, height
    script = chromium.call("Page.addScriptToEvaluateOnNewDocument", session=True,
                           source=HELD_CLOCK)["identifier"]
    try:
        chromium.navigate(url)
        wait_until("the creative to start", lambda: chromium.evaluate(
            "window.pennoriaPlaying === true"))
        chromium.call("Runtime.evaluate", session=True, awaitPromise=True,
                      expression="pennoriaHold(%f)" % ((seconds + 1) * 1000))
    finally:
        chromium.call("Page.removeScriptToEvaluateOnNewDocument", session=True,
                      identifier=script)
    image = still_shot(chromium, width, height)
    errors = [e for e in chromium.script_errors() if "favicon.ico" not in e]
    return image, errors


def difference(a, b, width, height):
    total, far = 0, 0
    for y in range(height):
        for x in range(width):
            d = [abs(u - v) for u, v in zip(a.pixel(x, y), b.pixel(x, y))]
            total += sum(d)
            far += max(d) > 32
    count = float(width * height)
    return total / (3.0 * count), far / count


# Standard sizes no example has; the automatic layout gives them to a copy of the first example.
LAID_OUT_SIZES = "300x600,970x250,468x60,320x100"


def laid_out(cli, project, root, env):
    """A copy of the project at its first size only, given LAID_OUT_SIZES by pennoria-cli layout."""
    name = os.path.splitext(os.path.basename(project))[0] + "-sizes"
    folder = os.path.join(root, "laid", name)
    shutil.copytree(os.path.dirname(project), folder)
    with open(project, encoding="utf-8") as f:
        text = f.read()
    first = re.search(r"<size\b[^>]*?(/>|>.*?</size>)", text, re.S)
    text = re.sub(r"<sizes>.*</sizes>", lambda m: "<sizes>" + first.group(0) + "</sizes>", text,
                  count=1, flags=re.S)
    design = os.path.join(folder, "design.pbf")
    with open(design, "w", encoding="utf-8") as f:
        f.write(text)
    out = os.path.join(folder, name + ".pbf")
    run = subprocess.run([cli, "layout", design, "--sizes", LAID_OUT_SIZES, "--output", out],
                         stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=env)
    if run.returncode != 0:
        raise AssertionError("layout of %s failed: %s %s" % (project, run.stdout, run.stderr))
    return out


def main():
    program, cli, examples = [os.path.abspath(p) for p in sys.argv[1:4]]
    if browser.find_chromium() is None:
        print("chromium is not installed")
        return browser.SKIP
    found = sorted(glob.glob(os.path.join(examples, "*", "*.pbf")))
    projects = [p for p in found if ET.parse(p).getroot().get("version") == "2"]
    # Projects of the first format have no editor view of their sizes; their backup image and
    # creative are still compared.
    legacy = [p for p in found if p not in projects]
    if not projects:
        print("no example in the current project format")
        return 1
    ruffle = os.path.join(program, "ruffle")
    if not os.path.isfile(os.path.join(ruffle, "ruffle.js")):
        print("Ruffle is not beside the program")
        return browser.SKIP
    editor_harness.ARGS = argparse.Namespace(swf=os.path.join(program, "editor", "Pennoria.swf"),
                                             ruffle=ruffle)
    problems, figures = [], []
    with tempfile.TemporaryDirectory(prefix="pennoria-agree-") as root:
        root = os.path.realpath(root)
        env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(root, "config"),
                   XDG_DATA_HOME=os.path.join(root, "data"))
        server = browser.Server(root)
        harness = editor_harness.Server(root)
        chromium = browser.Browser(300, 250)
        try:
            projects.append(laid_out(cli, projects[0], root, env))
            for project in projects + legacy:
                name = os.path.splitext(os.path.basename(project))[0]
                # The last loop ends on the same frame as the first, so the pages play one loop.
                played = one_loop_copy(project, os.path.join(root, "play", name))
                folder = publish(cli, played, os.path.join(root, name), env)
                sizes, seconds = sizes_of(played)
                # The editor opens a copy, so that nothing it might write touches the example.
                copy = os.path.join(root, "edit", name)
                shutil.copytree(os.path.dirname(project), copy)
                editor, seen = ({}, []) if project in legacy else editor_shots(
                    chromium, harness, os.path.join(copy, os.path.basename(project)), sizes)
                problems += ["%s %s" % (name, p) for p in seen]
                for index, (width, height) in enumerate(sizes):
                    where = folder if index == 0 else os.path.join(folder, "%dx%d" % (width, height))
                    label = "%s %dx%d" % (name, width, height)
                    if not os.path.isdir(where):
                        problems.append("%s: no published folder %s" % (label, where))
                        continue
                    url = lambda page: server.url(os.path.relpath(os.path.join(where, page), root))
                    shots = {}
                    if project not in legacy:
                        shots["ruffle"], errors = settled_shot(chromium, url("fs_aux.html"), width,
                                                              height, seconds)
                        problems += ["%s fs_aux.html: %s" % (label, e) for e in errors]
                    shots["html5"], errors = final_creative_shot(
                        chromium, url("html5/index.html"), width, height, seconds)
                    problems += ["%s html5: %s" % (label, e) for e in errors]
                    with open(os.path.join(where, "banner_backup.png"), "rb") as f:
                        shots["backup"] = browser.Image.from_png(f.read())
                    if (shots["backup"].width, shots["backup"].height) != (width, height):
                        problems.append("%s: the backup image is %dx%d" % (
                            label, shots["backup"].width, shots["backup"].height))
                        continue
                    pairs = [("backup", "html5")]
                    if "ruffle" in shots:
                        pairs += [("ruffle", "html5"), ("backup", "ruffle")]
                    if (width, height) in editor:
                        shots["editor"] = editor[(width, height)]
                        pairs.append(("editor", "html5"))
                    for a, b in pairs:
                        mean, far = difference(shots[a], shots[b], width, height)
                        figures.append("%s: %s vs %s: mean difference %.2f per channel, %.2f %% "
                                       "of pixels differ by more than 32" % (
                                           label, a, b, mean, 100 * far))
                        limit = BACKUP_LIMIT if (a, b) == ("backup", "html5") else FAR_LIMIT
                        if far > limit:
                            problems.append("%s: %s and %s differ in %.1f %% of the pixels" % (
                                label, a, b, 100 * far))
                    keep = os.environ.get("PENNORIA_TEST_SCREENSHOTS")
                    if keep:
                        os.makedirs(keep, exist_ok=True)
                        for kind, image in shots.items():
                            image.save(os.path.join(keep, "%s-%dx%d-%s.png" % (
                                name, width, height, kind)))
        finally:
            chromium.close()
            harness.close()
            server.stop()
    return browser.report(figures, problems)


if __name__ == "__main__":
    sys.exit(main())
