#!/usr/bin/env python3
"""Ruffle's two renderers agree: the desktop program picks the canvas renderer where WebGL would
be drawn by the processor and WebGL where a GPU draws it, so what the editor and the banners
draw (text with shadows, rounded and outlined shapes, pictures, fades) must look the same under
both. Every example is published and its banner movie played to its final frame under each
renderer, and the editor shows the first example at its first size under each; the renderer
Ruffle really used is read from its canvas.

usage: test_renderers_agree.py PROGRAM_DIR PENNORIA_CLI EXAMPLES_DIR
"""

import argparse
import glob
import json
import os
import shutil
import sys
import tempfile
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "editor"))
import browser  # noqa: E402
import editor_browser_test as editor_harness  # noqa: E402
from test_examples_agree import (difference, editor_shots, one_loop_copy, publish,  # noqa: E402
                                 settled_shot, sizes_of)

RENDERERS = ("webgl", "canvas")
# Pixels differing by more than 32 in a channel: the two renderers antialias edges alike, so a
# missing shadow, outline or picture shows far above this.
LIMIT = 0.02

# Every configuration the page gives Ruffle gets the renderer asked for.
FORCE_RENDERER = """(function () {
  var renderer = %s, holder = {};
  Object.defineProperty(holder, "config", { configurable: true, enumerable: true,
    get: function () { return this._config; },
    set: function (value) { value = Object.assign({}, value || {});
                            value.preferredRenderer = renderer; this._config = value; } });
  holder.config = {};
  window.RufflePlayer = holder;
})();"""

# The renderer Ruffle draws with: its canvas has a 2D context only under the canvas renderer.
USED_RENDERER = """(function () {
  var player = document.querySelector("ruffle-player, ruffle-embed, ruffle-object, #stage > *");
  var canvas = player && player.shadowRoot && player.shadowRoot.querySelector("canvas");
  if (!canvas) return "none";
  return canvas.getContext("2d") ? "canvas" : "webgl";
})()"""


def chromium_with(renderer, width, height):
    chromium = browser.Browser(width, height)
    chromium.call("Page.addScriptToEvaluateOnNewDocument", session=True,
                  source=FORCE_RENDERER % json.dumps(renderer))
    return chromium


def main():
    program, cli, examples = [os.path.abspath(p) for p in sys.argv[1:4]]
    if browser.find_chromium() is None:
        print("chromium is not installed")
        return browser.SKIP
    projects = sorted(p for p in glob.glob(os.path.join(examples, "*", "*.pbf"))
                      if ET.parse(p).getroot().get("version") == "2")
    ruffle = os.path.join(program, "ruffle")
    if not projects or not os.path.isfile(os.path.join(ruffle, "ruffle.js")):
        print("no example or no Ruffle beside the program")
        return browser.SKIP
    editor_harness.ARGS = argparse.Namespace(swf=os.path.join(program, "editor", "Pennoria.swf"),
                                             ruffle=ruffle)
    problems, figures = [], []
    with tempfile.TemporaryDirectory(prefix="pennoria-renderers-") as root:
        root = os.path.realpath(root)
        env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(root, "config"),
                   XDG_DATA_HOME=os.path.join(root, "data"))
        server = browser.Server(root)
        harness = editor_harness.Server(root)
        try:
            for number, project in enumerate(projects):
                name = os.path.splitext(os.path.basename(project))[0]
                played = one_loop_copy(project, os.path.join(root, "play", name))
                folder = publish(cli, played, os.path.join(root, name), env)
                sizes, seconds = sizes_of(played)
                width, height = sizes[0]
                url = server.url(os.path.relpath(os.path.join(folder, "fs_aux.html"), root))
                banners, editors = {}, {}
                for renderer in RENDERERS:
                    chromium = chromium_with(renderer, width, height)
                    try:
                        banners[renderer], errors = settled_shot(chromium, url, width, height,
                                                                 seconds)
                        problems += ["%s %s: %s" % (name, renderer, e) for e in errors]
                        used = chromium.evaluate(USED_RENDERER)
                        if used != renderer:
                            problems.append("%s: asked for %s, Ruffle drew with %s" % (
                                name, renderer, used))
                        if number == 0:
                            copy = os.path.join(root, "edit", renderer, name)
                            shutil.copytree(os.path.dirname(project), copy)
                            shots, seen = editor_shots(
                                chromium, harness, os.path.join(copy, os.path.basename(project)),
                                sizes[:1])
                            problems += ["%s editor %s: %s" % (name, renderer, p) for p in seen]
                            editors[renderer] = shots.get((width, height))
                            used = chromium.evaluate(USED_RENDERER)
                            if used != renderer:
                                problems.append("%s editor: asked for %s, Ruffle drew with %s" % (
                                    name, renderer, used))
                    finally:
                        chromium.close()
                pairs = [("banner", banners)]
                if editors and all(editors.values()):
                    pairs.append(("editor", editors))
                for what, shots in pairs:
                    mean, far = difference(shots["webgl"], shots["canvas"], width, height)
                    figures.append("%s %dx%d %s: webgl vs canvas: mean difference %.2f per "
                                   "channel, %.2f %% of pixels differ by more than 32" % (
                                       name, width, height, what, mean, 100 * far))
                    if far > LIMIT:
                        problems.append("%s %s: the renderers differ in %.1f %% of the pixels" % (
                            name, what, 100 * far))
        finally:
            harness.close()
            server.stop()
    return browser.report(figures, problems)


if __name__ == "__main__":
    sys.exit(main())
