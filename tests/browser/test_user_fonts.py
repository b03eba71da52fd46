#!/usr/bin/env python3
"""A face of the user's own in a project, published: a monospaced face renamed to a family no
system font has is named by the project beside it (fonts/), and a text is set in it. The same
project with the face's file missing is published beside it. Checked:

- the HTML5 creative carries the face as an @font-face rule, cut to the characters used (a few
  glyphs of the face's thousands), and the one without the file carries none;
- Chromium draws the creative with it: the face is loaded, and the text looks different from the
  creative without it;
- the SWF banner under the player draws with it (a face movie written from the file): its text
  differs from the banner without the file;
- the backup image is drawn with it: it differs from the backup without the file in the text.

usage: test_user_fonts.py PENNORIA_CLI
"""

import base64
import json
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import browser  # noqa: E402

FAMILY = "Pennoria Test Mono"
SOURCE_FACE = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"
WORDS = "Hello fonts 42"

PROJECT = """<?xml version="1.0" encoding="UTF-8"?>
<template version="2" demoWidth="300" demoHeight="250" img="" bgColor="#FFFFFF" fit="cover" length="1000" loops="1">
  <component><info url="res/template.swf"/></component>
  <link url="https://example.org/" target="_blank"/>
  <fonts>
    <font family="{family}" src="{src}"/>
  </fonts>
  <elements>
    <text id="t1" x="10" y="90" width="280" height="60" opacity="1" font="{family}" size="30" bold="false" italic="false" color="#000000" align="left" lineHeight="1.2">
      <label>{words}</label>
    </text>
  </elements>
  <sizes>
    <size width="300" height="250"/>
  </sizes>
</template>
"""


def renamed_face(source, target, family):
    """The face at source with every family name (ids 1, 4, 16) set to family, by ttx."""
    with tempfile.TemporaryDirectory() as work:
        names = os.path.join(work, "names.ttx")
        subprocess.run(["ttx", "-q", "-t", "name", "-o", names, source], check=True)
        with open(names, encoding="utf-8") as f:
            text = f.read()
        text = re.sub(r'(<namerecord nameID="(1|4|16)"[^>]*>)\s*[^<]*?\s*(</namerecord>)',
                      lambda m: m.group(1) + family + m.group(3), text)
        with open(names, "w", encoding="utf-8") as f:
            f.write(text)
        subprocess.run(["ttx", "-q", "-m", source, "-o", target, names], check=True)


def glyph_count(face):
    """numGlyphs from the face's maxp table."""
    tables = struct.unpack(">H", face[4:6])[0]
    for i in range(tables):
        tag, _, offset, _ = struct.unpack(">4sLLL", face[12 + 16 * i:28 + 16 * i])
        if tag == b"maxp":
            return struct.unpack(">H", face[offset + 4:offset + 6])[0]
    raise AssertionError("no maxp table")


def publish(cli, folder, src, env):
    project = os.path.join(folder, "banner.pbf")
    with open(project, "w", encoding="utf-8") as f:
        f.write(PROJECT.format(family=FAMILY, src=src, words=WORDS))
    out = os.path.join(folder, "out")
    os.makedirs(out)
    run = subprocess.run([cli, "publish", project, "--folder", out, "--out-mode", "1",
                          "--embed-mode", "0", "--html5", "yes"], stdout=subprocess.PIPE,
                         stderr=subprocess.PIPE, text=True, env=env)
    if run.returncode != 0:
        raise AssertionError("publish failed: %s %s" % (run.stdout, run.stderr))
    return os.path.join(out, "banner")


def backup_image(published):
    found = [n for n in os.listdir(published) if n.endswith(".png") or n.endswith(".jpg")]
    if len(found) != 1:
        raise AssertionError("one backup image expected in %s, found %s" % (published, found))
    with open(os.path.join(published, found[0]), "rb") as f:
        return browser.Image.from_png(f.read())


def differing(a, b, box):
    x0, y0, x1, y1 = box
    return sum(1 for y in range(y0, y1) for x in range(x0, x1)
               if not browser.near(a.pixel(x, y), b.pixel(x, y), 60))


def main():
    cli = os.path.abspath(sys.argv[1])
    if browser.find_chromium() is None:
        print("chromium is not installed")
        return browser.SKIP
    if shutil.which("ttx") is None or not os.path.isfile(SOURCE_FACE):
        print("ttx or the source face is missing")
        return browser.SKIP
    problems, figures = [], []
    with tempfile.TemporaryDirectory(prefix="pennoria-userfonts-") as root:
        root = os.path.realpath(root)
        env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(root, "config"),
                   XDG_DATA_HOME=os.path.join(root, "data"))
        own, missing = os.path.join(root, "own"), os.path.join(root, "missing")
        os.makedirs(os.path.join(own, "fonts"))
        os.makedirs(missing)
        face_file = os.path.join(own, "fonts", "TestMono.ttf")
        renamed_face(SOURCE_FACE, face_file, FAMILY)
        with open(face_file, "rb") as f:
            whole = glyph_count(f.read())
        published = {"own": publish(cli, own, "fonts/TestMono.ttf", env),
                     "missing": publish(cli, missing, "fonts/TestMono.ttf", env)}

        # The creative carries the face cut to the text, and only when its file is there.
        def style_sheet(name):
            with zipfile.ZipFile(os.path.join(published[name], "banner_html5.zip")) as z:
                return z.read("fonts.css").decode() if "fonts.css" in z.namelist() else ""
        rules = re.findall(r'@font-face \{\s*font-family: "([^"]+)";\s*src: url\(data:font/ttf;base64,([A-Za-z0-9+/=]+)\)',
                           style_sheet("own"))
        if [family for family, _ in rules] != [FAMILY]:
            problems.append("the creative's faces are %s, not the user's alone" % [f for f, _ in rules])
        else:
            cut = glyph_count(base64.b64decode(rules[0][1]))
            figures.append("the face: %d glyphs, %d in the creative" % (whole, cut))
            if not 0 < cut <= len(set(WORDS)) + 4 or whole < 500:
                problems.append("the face was not cut to the text: %d of %d glyphs" % (cut, whole))
        if FAMILY in style_sheet("missing"):
            problems.append("a face whose file is missing is in the creative")

        # Chromium draws the creative with the face.
        server = browser.Server(root)
        chromium = browser.Browser(640, 480)
        shots = {}
        try:
            for name in ("own", "missing"):
                page = os.path.join(published[name], "html5", "index.html")
                chromium.navigate(server.url(os.path.relpath(page, root)))
                loaded, deadline = None, time.monotonic() + 30
                while time.monotonic() < deadline:
                    loaded = chromium.evaluate(
                        "document.fonts.status === 'loaded' && document.body.innerText.indexOf(%r) >= 0 ? "
                        "String(document.fonts.check('30px \"%s\"') && [...document.fonts].some("
                        "f => f.family.replace(/\"/g, '') === '%s' && f.status === 'loaded')) : null"
                        % (WORDS, FAMILY, FAMILY))
                    if loaded is not None:
                        break
                    time.sleep(0.2)
                if name == "own" and loaded != "true":
                    problems.append("the creative did not load the face (%s)" % loaded)
                shots[name] = chromium.screenshot(scale=1)
                problems += ["%s: %s" % (name, e) for e in chromium.script_errors() if "favicon.ico" not in e]
                # The SWF banner under the player: shot once its text is drawn.
                chromium.navigate(server.url(os.path.relpath(os.path.join(published[name], "banner.html"), root)))
                swf, deadline = None, time.monotonic() + 90
                while time.monotonic() < deadline:
                    at = chromium.evaluate(
                        "(() => { const p = document.querySelector('ruffle-player, ruffle-embed, ruffle-object');"
                        " if (!p) return null; const r = p.getBoundingClientRect();"
                        " return JSON.stringify([Math.round(r.left), Math.round(r.top)]); })()")
                    if at is not None:
                        left, top = json.loads(at)
                        shot = chromium.screenshot(scale=1)
                        # The banner's own pixels, once its text is drawn on its background
                        if shot.width >= left + 300 and shot.height >= top + 250:
                            swf = browser.Image(300, 250, 3, [bytes(c for x in range(300) for c in shot.pixel(left + x, top + y))
                                                              for y in range(250)])
                            # (the banner's white, not the dark stage before the banner is in)
                            if browser.near(swf.pixel(5, 5), (255, 255, 255), 30) and sum(
                                    1 for y in range(90, 150) for x in range(10, 290)
                                    if browser.near(swf.pixel(x, y), (0, 0, 0), 60)) > 100:
                                break
                    swf = None
                    time.sleep(0.3)
                if swf is None:
                    problems.append("%s: the SWF banner never drew its text" % name)
                shots["swf " + name] = swf
        finally:
            chromium.close()
            server.stop()
        text_box = (10, 90, 290, 150)
        drawn = differing(shots["own"], shots["missing"], text_box)
        figures.append("creative: %d pixels of the text differ from the one without the face" % drawn)
        if drawn < 200:
            problems.append("the creative looks the same with the face and without it")

        if shots["swf own"] is not None and shots["swf missing"] is not None:
            movie = differing(shots["swf own"], shots["swf missing"], text_box)
            figures.append("SWF banner: %d pixels of the text differ from the one without the face" % movie)
            if movie < 200:
                problems.append("the SWF banner looks the same with the face and without it")

        # The backup image is drawn with it too.
        painted = differing(backup_image(published["own"]), backup_image(published["missing"]), text_box)
        figures.append("backup image: %d pixels of the text differ from the one without the face" % painted)
        if painted < 200:
            problems.append("the backup image looks the same with the face and without it")
    return browser.report(figures, problems)


if __name__ == "__main__":
    sys.exit(main())
