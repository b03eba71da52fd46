#!/usr/bin/env python3
"""Publishes the sample project (examples/summer-sale) in both embedding modes and checks the
result: the files the pages refer to exist, the pages pass `tidy -errors`, and in headless
Chromium with the Ruffle polyfill added they load without script errors and show the banner.

With `pennoria-cli publish` the whole publish runs through the program; without it the folder is
assembled here and the pages are generated with `pennoria-cli page`; without either the test is
skipped.

usage: test_pages.py PROGRAM_DIR PENNORIA_CLI EXAMPLES_DIR
"""

import html.parser
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bannersite  # noqa: E402
import browser  # noqa: E402

WIDTH, HEIGHT = 300, 250  # the sample project's banner
PAGE_TEMPLATES = {0: "embed", 1: "swfObject"}

# Points of the banner (fractions of its size) away from the headline and from colour edges.
SAMPLES = [(0.10, 0.50), (0.90, 0.50), (0.10, 0.70), (0.50, 0.90), (0.72, 0.22)]


class References(html.parser.HTMLParser):
    """Local files a page refers to: src, href, data, and the value of a "movie" param."""

    def __init__(self):
        super().__init__()
        self.files = []

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        for name in ("src", "href", "data"):
            if attrs.get(name):
                self.files.append(attrs[name])
        if tag == "param" and (attrs.get("name") or "").lower() == "movie":
            self.files.append(attrs.get("value") or "")


def local(reference):
    return not (reference.startswith(("http:", "https:", "data:", "#", "mailto:", "/")))


def publish_with_cli(cli, project, image, out, embed_mode):
    custom = os.path.join(out, "custom-template.xml")
    with open(custom, "w") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n<template img="%s"/>\n' % image)
    folder = os.path.join(out, "site")
    # Flash-era pages, without the player beside them: the test adds one as a visitor's
    # browser would have had it (test_web_publish.py covers the pages with their own player).
    extra = ["--player", "none", "--html5", "no"] if bannersite.cli_has_option(
        cli, "publish", "--player") else []
    run = subprocess.run([cli, "publish", project, "--folder", folder, "--out-mode", "1",
                          "--embed-mode", str(embed_mode), "--custom-template", custom,
                          "--overwrite", "yes"] + extra, stdout=subprocess.PIPE,
                         stderr=subprocess.STDOUT, text=True,
                         env=dict(os.environ, XDG_CONFIG_HOME=os.path.join(out, "config")))
    if run.returncode != 0 or "ok" not in run.stdout:
        raise AssertionError("publish failed (%d): %s" % (run.returncode, run.stdout))
    for root, _, files in os.walk(folder):
        if "banner.html" in files:
            return root
    raise AssertionError("publish wrote no banner.html below " + folder)


def publish_by_hand(cli, program, project, image, out, embed_mode):
    """What publishing writes, made here; the pages come from `pennoria-cli page`."""
    editor = os.path.join(program, "editor", "templateEditor")
    folder = os.path.join(out, "banner")
    os.makedirs(os.path.join(folder, "res"))
    with open(project, encoding="utf-8") as f:
        text = f.read()
    text = text.replace('img="%s"' % os.path.basename(image),
                        'img="res/%s"' % os.path.basename(image))
    with open(os.path.join(folder, "template.xml"), "w", encoding="utf-8") as f:
        f.write(text)
    shutil.copyfile(os.path.join(editor, "theme.swf"), os.path.join(folder, "banner.swf"))
    bannersite.resize(cli, os.path.join(folder, "banner.swf"), WIDTH, HEIGHT)
    # The component movie with the face movies beside it, as publishing leaves them.
    for movie in os.listdir(os.path.join(editor, "res")):
        if movie.endswith(".swf"):
            shutil.copyfile(os.path.join(editor, "res", movie), os.path.join(folder, "res", movie))
    shutil.copyfile(image, os.path.join(folder, "res", os.path.basename(image)))
    templates = os.path.join(editor, "common", "normal_screen", PAGE_TEMPLATES[embed_mode])
    for template, page in (("index.htt", "banner.html"), ("fs_aux.htt", "fs_aux.html")):
        subprocess.run([cli, "page", os.path.join(templates, template),
                        os.path.join(folder, page), "--movie", "banner.swf",
                        "--width", str(WIDTH), "--height", str(HEIGHT)], check=True)
    if embed_mode == 1:
        shutil.copyfile(os.path.join(editor, "common", "swfobject.js"),
                        os.path.join(folder, "swfobject.js"))
    return folder


def check_files(folder, embed_mode):
    problems = []
    has_script = os.path.exists(os.path.join(folder, "swfobject.js"))
    if has_script != (embed_mode == 1):
        problems.append("swfobject.js present: %s" % has_script)
    for page in ("banner.html", "fs_aux.html"):
        path = os.path.join(folder, page)
        parser = References()
        with open(path, encoding="utf-8") as f:
            text = f.read()
        parser.feed(text)
        for reference in filter(local, parser.files):
            if not os.path.exists(os.path.join(folder, reference)):
                problems.append("%s refers to missing %s" % (page, reference))
        if "ruffle" in text.lower():
            problems.append("%s loads a player although none was asked for" % page)
        for leftover in ("<ca:", "</ca:", "<%", "$MovieWidth", "$MainSWF", "$EmbedTip",
                         "$BundledPlayer"):
            if leftover in text:
                problems.append("%s still holds template markup %r" % (page, leftover))
        tidy = subprocess.run(["tidy", "-errors", "-quiet", path], stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, text=True)
        if tidy.returncode >= 2 or "Error:" in tidy.stdout:
            problems.append("tidy on %s:\n%s" % (page, tidy.stdout))
    return problems


def expected_pixels(beach, left, top, scale):
    """Screen points inside the banner and the colour of the picture there."""
    expected = {}
    for fx, fy in SAMPLES:
        bx, by = fx * WIDTH, fy * HEIGHT
        colour = beach.pixel(int(bx * beach.width / WIDTH), int(by * beach.height / HEIGHT))
        expected[(int(left + bx * scale), int(top + by * scale))] = colour
    return expected


def real_errors(errors):
    return [e for e in errors if "favicon.ico" not in e]


def check_in_browser(chromium, server, folder_url, beach):
    problems = []
    # The main page: the banner at its own size, where the page puts it.
    chromium.navigate(server.url(folder_url + "/banner.html"))
    box = chromium.evaluate("(() => { const r = document.querySelector('.banner')"
                            ".getBoundingClientRect(); return [r.left, r.top, r.width, r.height]; })()")
    if not box or [round(v) for v in box[2:]] != [WIDTH, HEIGHT]:
        problems.append("banner box on the main page: %s" % box)
    else:
        wrong = chromium.wait_for_pixels(expected_pixels(beach, box[0], box[1], 1.0))
        problems += ["banner.html pixel %s is %s, expected %s" % (p, s, w)
                     for p, (s, w) in sorted(wrong.items())]
    problems += ["banner.html: " + e for e in real_errors(chromium.script_errors())]
    chromium.events.clear()

    # The auxiliary page: the banner scaled to the window, centred.
    chromium.navigate(server.url(folder_url + "/fs_aux.html"))
    scale = min(chromium.width / WIDTH, chromium.height / HEIGHT)
    left = (chromium.width - WIDTH * scale) / 2
    top = (chromium.height - HEIGHT * scale) / 2
    expected = expected_pixels(beach, left, top, scale)
    if left >= 8:
        expected[(int(left / 2), chromium.height // 2)] = bannersite.STAGE_BACKGROUND
        expected[(chromium.width - int(left / 2), chromium.height // 2)] = bannersite.STAGE_BACKGROUND
    wrong = chromium.wait_for_pixels(expected)
    problems += ["fs_aux.html pixel %s is %s, expected %s" % (p, s, w)
                 for p, (s, w) in sorted(wrong.items())]
    problems += ["fs_aux.html: " + e for e in real_errors(chromium.script_errors())]
    chromium.events.clear()
    return problems


def main():
    program, cli, examples = sys.argv[1:4]
    program = os.path.abspath(program)
    project = os.path.abspath(os.path.join(examples, "summer-sale", "summer-sale.pbf"))
    image = os.path.abspath(os.path.join(examples, "summer-sale", "beach.png"))
    if bannersite.cli_has(cli, "publish"):
        how = "pennoria-cli publish"
    elif bannersite.cli_has(cli, "page"):
        how = "pennoria-cli page"
    else:
        print("pennoria-cli has neither publish nor page")
        return browser.SKIP
    if browser.find_chromium() is None or shutil.which("tidy") is None:
        print("chromium or tidy is not installed")
        return browser.SKIP
    print("pages made by", how)
    with open(image, "rb") as f:
        beach = browser.Image.from_png(f.read())

    failures, passes = 0, 0
    with tempfile.TemporaryDirectory(prefix="pennoria-pages-") as root:
        bannersite.link_ruffle(root, program)
        folders = {}
        for mode in PAGE_TEMPLATES:
            out = os.path.join(root, "mode%d" % mode)
            os.makedirs(out)
            if how == "pennoria-cli publish":
                folder = publish_with_cli(cli, project, image, out, mode)
            else:
                folder = publish_by_hand(cli, program, project, image, out, mode)
            problems = check_files(folder, mode)
            for page in ("banner.html", "fs_aux.html"):
                bannersite.add_ruffle(os.path.join(folder, page))
            folders[mode] = (os.path.relpath(folder, root), problems)

        server = browser.Server(root)
        chromium = browser.Browser(720, 540)
        try:
            for mode, (folder_url, problems) in folders.items():
                problems = problems + check_in_browser(chromium, server, folder_url, beach)
                name = PAGE_TEMPLATES[mode] + " pages"
                if problems:
                    failures += 1
                    shot = os.path.join(tempfile.gettempdir(), "pennoria-pages-%d.png" % mode)
                    chromium.save_screenshot(shot)
                    print("FAIL %s (screenshot of the last page: %s)" % (name, shot))
                    for problem in problems:
                        print("  " + problem)
                else:
                    passes += 1
                    print("ok   " + name)
        finally:
            chromium.close()
            server.stop()
    print("%d passed, %d failed" % (passes, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
