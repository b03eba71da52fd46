#!/usr/bin/env python3
"""Checks an HTML5 creative's zip against the rules ad networks publish for HTML5 ads.

As a module: problems(zip_path, width, height) lists what breaks a rule (empty: it passes).
As a test: publishes the sample project with pennoria-cli, checks its zip, and checks that
zips breaking each rule are caught; publishes a project with elements and two sizes and checks
each size's zip (its fonts.css when the program ships fonts).

usage: validate_creative.py PENNORIA_CLI EXAMPLES_DIR
"""

import base64
import html.parser
import io
import os
import re
import struct
import subprocess
import sys
import tempfile
import zipfile
import zlib

SIZE_LIMIT = 150 * 1024
MAX_FILES = 40
ALLOWED = (".html", ".css", ".js", ".gif", ".png", ".jpg", ".jpeg", ".svg")
TEXT = (".html", ".css", ".js", ".svg")
MAX_ANIMATION_MS = 30000


class _Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.doctype = None
        self.tags = []
        self.in_head = False
        self.head_scripts = []
        self.meta = {}
        self.references = []
        self._script = None

    def handle_decl(self, decl):
        self.doctype = decl

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        self.tags.append(tag)
        if tag == "head":
            self.in_head = True
        if tag == "meta" and attrs.get("name"):
            self.meta[attrs["name"]] = attrs.get("content", "")
        for name in ("src", "href", "data", "poster"):
            if attrs.get(name):
                self.references.append(attrs[name])
        if tag == "script":
            self._script = []

    def handle_endtag(self, tag):
        if tag == "head":
            self.in_head = False
        if tag == "script" and self._script is not None:
            if self.in_head:
                self.head_scripts.append("".join(self._script))
            self._script = None

    def handle_data(self, data):
        if self._script is not None:
            self._script.append(data)


def _leaves(reference):
    """Whether a reference would fetch something from outside the creative."""
    return bool(re.match(r"^([a-z][a-z0-9+.-]*:|//|/)", reference.strip(), re.I))


def problems(zip_path, width, height):
    found = []
    size = os.path.getsize(zip_path)
    if size > SIZE_LIMIT:
        found.append("zip is %d bytes, over %d" % (size, SIZE_LIMIT))
    try:
        archive = zipfile.ZipFile(zip_path)
    except zipfile.BadZipFile as error:
        return found + ["not a zip: %s" % error]
    with archive:
        names = [i.filename for i in archive.infolist() if not i.is_dir()]
        if len(names) > MAX_FILES:
            found.append("%d files, more than %d" % (len(names), MAX_FILES))
        contents = {}
        for name in names:
            if name.startswith("/") or ".." in name.split("/") or "\\" in name:
                found.append("%s: not a plain relative path" % name)
            if not name.lower().endswith(ALLOWED):
                found.append("%s: file type not allowed" % name)
            data = archive.read(name)
            if name.lower().endswith(TEXT):
                try:
                    contents[name] = data.decode("utf-8")
                except UnicodeDecodeError:
                    found.append("%s: not UTF-8" % name)
        if "index.html" not in names:
            return found + ["no index.html at the top of the zip"]
        page = contents.get("index.html", "")
        parser = _Page()
        parser.feed(page)
        if (parser.doctype or "").lower() != "doctype html":
            found.append("index.html: no <!DOCTYPE html>")
        for tag in ("html", "head", "body"):
            if tag not in parser.tags:
                found.append("index.html: no <%s>" % tag)
        expected = "width=%d,height=%d" % (width, height)
        if parser.meta.get("ad.size", "").replace(" ", "") != expected:
            found.append("index.html: ad.size is %r, expected %r"
                         % (parser.meta.get("ad.size"), expected))
        if not any(re.search(r"\bvar\s+clickTag\s*=", s) for s in parser.head_scripts):
            found.append("index.html: no clickTag variable in the head")
        for reference in parser.references:
            if _leaves(reference):
                found.append("index.html: %s leaves the creative" % reference)
            elif reference.split("?")[0].split("#")[0] not in names:
                found.append("index.html: %s is not in the zip" % reference)
        for name, text in contents.items():
            for match in re.finditer(r"url\(\s*['\"]?([^'\")]+)", text):
                if _leaves(match.group(1)) and not match.group(1).startswith("data:"):
                    found.append("%s: url(%s) leaves the creative" % (name, match.group(1)[:60]))
            # Faces travel inside the style sheet: a font file is not allowed in the zip.
            for face in re.findall(r"@font-face\s*{([^}]*)}", text):
                source = re.search(r"url\(\s*data:font/(?:ttf|otf);base64,([A-Za-z0-9+/=]+)\)",
                                   face)
                try:
                    data = base64.b64decode(source.group(1), validate=True) if source else b""
                except ValueError:
                    data = b""
                if data[:4] not in (b"\x00\x01\x00\x00", b"OTTO", b"true"):
                    found.append("%s: an @font-face without a TrueType data URL" % name)
            if name.endswith(".js") and re.search(
                    r"(fetch|XMLHttpRequest|importScripts|WebSocket)\s*\(", text):
                found.append("%s: makes requests of its own" % name)
        # The entrance: its duration as the project inside the page gives it.
        duration = re.search(r"\\u003Ceffect[^\\]*?duration=\\\"(\d+)", page)
        if duration and int(duration.group(1)) > MAX_ANIMATION_MS:
            found.append("the animation lasts %s ms" % duration.group(1))
        # A banner with elements plays length ms, loops times.
        length = re.search(r"\\u003Ctemplate[^\\]*?length=\\\"(\d+)", page)
        loops = re.search(r"\\u003Ctemplate[^\\]*?loops=\\\"(\d+)", page)
        if length and int(length.group(1)) * int(loops.group(1) if loops else 1) > MAX_ANIMATION_MS:
            found.append("the animation lasts %s ms, %s times"
                         % (length.group(1), loops.group(1) if loops else 1))
    return found


def _zip(files):
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as archive:
        for name, data in files.items():
            archive.writestr(name, data)
    return buffer.getvalue()


def _png(width, height, rgb):
    """A PNG of one colour."""
    row = b"\x00" + bytes(rgb) * width
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(row * height)) + chunk(b"IEND", b""))


SIZED_PROJECT = """<?xml version="1.0" encoding="UTF-8"?>
<template version="2" demoWidth="300" demoHeight="250" bgColor="#1E3A5F" length="6000" loops="2">
  <link url="https://example.org/sale"/>
  <elements>
    <shape id="bar" x="0" y="190" width="300" height="60" fill="#000000" opacity="0.8"/>
    <image id="logo" src="logo.png" x="10" y="10" width="80" height="40"/>
    <text id="t1" x="10" y="60" width="280" height="60" font="Liberation Serif" size="22">
      <label>Summer sale: 30% off</label><enter type="fade" duration="500"/></text>
    <button id="b1" x="200" y="205" width="90" height="32"><label>Shop now</label></button>
  </elements>
  <sizes>
    <size width="300" height="250"/>
    <size width="728" height="90"><place ref="b1" x="620" y="29" width="96" height="32"/></size>
  </sizes>
</template>
"""


def check_sized_project(cli, root, env):
    """Publishes a project with elements in two sizes; each size's zip must pass."""
    work = os.path.join(root, "sized")
    os.makedirs(work)
    with open(os.path.join(work, "logo.png"), "wb") as f:
        f.write(_png(40, 20, (192, 0, 192)))
    project = os.path.join(work, "sized.pbf")
    with open(project, "w") as f:
        f.write(SIZED_PROJECT)
    run = subprocess.run([cli, "publish", project, "--folder", work, "--out-mode", "1",
                          "--player", "none"],
                         stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=env)
    if run.returncode != 0:
        print("FAIL publish of the sized project: %s %s" % (run.stdout, run.stderr))
        return 1
    ships_fonts = os.path.isdir(os.path.join(os.path.dirname(os.path.abspath(cli)), "fonts"))
    failures = 0
    for folder, width, height in (("", 300, 250), ("300x250", 300, 250), ("728x90", 728, 90)):
        zip_name = "banner_%s_html5.zip" % folder if folder else "banner_html5.zip"
        zip_path = os.path.join(work, "banner", folder, zip_name)
        found = problems(zip_path, width, height) if os.path.exists(zip_path) else ["no zip"]
        if not found:
            with zipfile.ZipFile(zip_path) as archive:
                names = archive.namelist()
                page = archive.read("index.html").decode()
            if "logo.png" not in names:
                found.append("the element's picture is not in the zip")
            if ships_fonts and ("fonts.css" not in names or 'href="fonts.css"' not in page):
                found.append("no fonts.css linked from index.html")
        print(("FAIL" if found else "ok  ") + " the %dx%d creative of the sized project"
              % (width, height) + (" in %s/" % folder if folder else ""))
        for problem in found:
            print("  " + problem)
        failures += bool(found)
    return failures


def main():
    cli, examples = sys.argv[1:3]
    project = os.path.join(os.path.abspath(examples), "spring-launch", "spring-launch.pbf")
    failures = 0
    with tempfile.TemporaryDirectory(prefix="pennoria-creative-") as root:
        custom = os.path.join(root, "custom.xml")
        with open(custom, "w") as f:
            f.write('<template img="%s"/>' % os.path.join(os.path.dirname(project), "meadow.jpg"))
        # A private settings folder: publishing stores its settings.
        env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(root, "config"),
                   XDG_DATA_HOME=os.path.join(root, "data"))
        run = subprocess.run([cli, "publish", project, "--folder", root, "--out-mode", "2",
                              "--custom-template", custom, "--player", "none"],
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=env)
        zip_path = os.path.join(root, "banner", "banner_html5.zip")
        if run.returncode != 0 or not os.path.exists(zip_path):
            print("FAIL publish: %s %s" % (run.stdout, run.stderr))
            return 1
        if "banner_html5.zip: " not in run.stderr or " of 150 KB" not in run.stderr:
            failures += 1
            print("FAIL no size report on stderr: %r" % run.stderr)
        found = problems(zip_path, 336, 280)
        print(("FAIL" if found else "ok  ") + " the sample's creative")
        for problem in found:
            print("  " + problem)
        failures += bool(found)

        # Each rule, broken once, is caught.
        with zipfile.ZipFile(zip_path) as archive:
            good = {i.filename: archive.read(i.filename) for i in archive.infolist()}
        page = good["index.html"].decode()
        broken = {
            "file type": dict(good, **{"run.exe": b"MZ"}),
            "outside script": dict(good, **{"index.html": page.replace(
                'src="creative.js"', 'src="https://cdn.example/creative.js"').encode()}),
            "ad.size": dict(good, **{"index.html": page.replace("width=336", "width=300").encode()}),
            "clickTag": dict(good, **{"index.html": page.replace("var clickTag", "var click").encode()}),
            "file count": dict(good, **{"f%d.js" % i: b"" for i in range(40)}),
            "size": dict(good, **{"big.png": os.urandom(SIZE_LIMIT)}),
            "face": dict(good, **{"fonts.css": b"@font-face { font-family: A; src: url(a.woff); }"}),
        }
        for rule, files in broken.items():
            path = os.path.join(root, "broken.zip")
            with open(path, "wb") as f:
                f.write(_zip(files))
            caught = problems(path, 336, 280)
            print(("ok  " if caught else "FAIL") + " a zip breaking the %s rule is caught" % rule)
            failures += not caught
        failures += check_sized_project(cli, root, env)
        failures += check_examples(cli, os.path.abspath(examples), root, env)
    return 1 if failures else 0


def check_examples(cli, examples, root, env):
    """Every example in the current format publishes from its own file (pictures beside it, no
    custom template) into creatives that keep the rules, one per size."""
    failures = 0
    for name in sorted(os.listdir(examples)):
        project = os.path.join(examples, name, name + ".pbf")
        if not os.path.exists(project) or 'version="2"' not in open(project, encoding="utf-8").read(400):
            continue
        out = os.path.join(root, "example-" + name)
        os.makedirs(out)
        run = subprocess.run([cli, "publish", project, "--folder", out, "--out-mode", "2",
                              "--player", "none"],
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=env)
        if run.returncode != 0:
            print("FAIL publish of the example %s: %s %s" % (name, run.stdout, run.stderr))
            failures += 1
            continue
        folder = os.path.join(out, "banner")
        for entry in sorted(os.listdir(folder)):
            size = entry.split("x")
            if len(size) != 2 or not all(part.isdigit() for part in size):
                continue
            found = problems(os.path.join(folder, entry, "banner_%s_html5.zip" % entry),
                             int(size[0]), int(size[1]))
            print(("FAIL" if found else "ok  ") + " the example %s at %s" % (name, entry))
            for problem in found:
                print("  " + problem)
            failures += bool(found)
    return failures


if __name__ == "__main__":
    sys.exit(main())
