#!/usr/bin/env python3
"""Pictures whose file names hold URL characters ("a#b.png", "c?d.png", "e%41.png", blanks,
non-ASCII) published with pennoria-cli and shown in headless Chromium: the HTML5 creative and the
Ruffle page must show every one of them in its place, with no failed request.

usage: test_picture_names.py PROGRAM_DIR PENNORIA_CLI
"""

import os
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import browser  # noqa: E402

WIDTH, HEIGHT = 300, 250
BACKGROUND_FILE = "bg #1.png"
BACKGROUND = (40, 200, 200)
# Each name with the colour it is filled with; placed in a row of 40 x 40 boxes.
PICTURES = [
    ("a#b.png", (220, 30, 30)),
    ("c?d.png", (30, 200, 30)),
    ("e%41.png", (30, 30, 220)),
    ("my photo.png", (230, 210, 20)),
    ("caf\u00e9 \u00fcber.png", (200, 30, 200)),
    ("x&y'z.png", (250, 250, 250)),
]


def box(i):
    return 10 + 48 * i, 60


def project_xml():
    elements = "".join(
        '    <image id="p%d" x="%d" y="%d" width="40" height="40" src="%s" fit="stretch"/>\n'
        % (i, box(i)[0], box(i)[1], name.replace("&", "&amp;").replace("'", "&apos;"))
        for i, (name, _) in enumerate(PICTURES))
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<template version="2" demoWidth="%d" demoHeight="%d" img="%s" bgColor="#000000" '
            'fit="stretch">\n  <component><info url="res/template.swf"/></component>\n'
            '  <elements>\n%s  </elements>\n  <sizes><size width="%d" height="%d"/></sizes>\n'
            '</template>\n' % (WIDTH, HEIGHT, BACKGROUND_FILE, elements, WIDTH, HEIGHT))


def expected_pixels(left=0, top=0):
    expected = {(left + 150, top + 200): BACKGROUND, (left + 20, top + 20): BACKGROUND}
    for i, (_, colour) in enumerate(PICTURES):
        x, y = box(i)
        expected[(left + x + 20, top + y + 20)] = colour
    return expected


def main():
    program, cli = [os.path.abspath(p) for p in sys.argv[1:3]]
    if browser.find_chromium() is None:
        print("chromium is not installed")
        return browser.SKIP
    problems = []
    with tempfile.TemporaryDirectory(prefix="pennoria-names-") as root:
        work = os.path.join(root, "work")
        out = os.path.join(root, "out")
        os.makedirs(work)
        os.makedirs(out)
        browser.write_png(os.path.join(work, BACKGROUND_FILE), 30, 25, lambda x, y: BACKGROUND)
        for name, colour in PICTURES:
            browser.write_png(os.path.join(work, name), 8, 8, lambda x, y, c=colour: c)
        project = os.path.join(work, "names.pbf")
        with open(project, "w", encoding="utf-8") as f:
            f.write(project_xml())
        custom = os.path.join(work, "custom.xml")
        with open(custom, "w", encoding="utf-8") as f:
            f.write('<template img="%s"/>' % BACKGROUND_FILE)
        env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(root, "config"),
                   XDG_DATA_HOME=os.path.join(root, "data"))
        run = subprocess.run([cli, "publish", project, "--folder", out, "--out-mode", "1",
                              "--embed-mode", "0", "--custom-template", custom],
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=env)
        if run.returncode != 0:
            print("FAIL publish: %s %s" % (run.stdout, run.stderr))
            return 1
        banner = os.path.join(out, "banner")
        for folder in ("res", "html5"):
            for name in os.listdir(os.path.join(banner, folder)):
                if not re.fullmatch(r"[A-Za-z0-9_.-]+", name):
                    problems.append("%s/%s is not a URL-safe name" % (folder, name))

        server = browser.Server(out)
        base = server.url(os.path.relpath(banner, out))
        try:
            for page, size, offset in (("html5/index.html", (WIDTH, HEIGHT), None),
                                       ("banner.html", (720, 540), ".banner")):
                chromium = browser.Browser(*size)
                try:
                    chromium.navigate(base + "/" + page)
                    left, top = 0, 0
                    if offset:
                        left, top = chromium.evaluate(
                            "(() => { const r = document.querySelector('%s')"
                            ".getBoundingClientRect(); return [r.left, r.top]; })()" % offset)
                    wrong = chromium.wait_for_pixels(expected_pixels(int(left), int(top)),
                                                     limit=120, scale=1)
                    problems += ["%s pixel %s is %s, expected %s" % (page, p, s, w)
                                 for p, (s, w) in sorted(wrong.items())]
                    # Every picture was found: no request failed (the page's icon aside).
                    problems += ["%s: %s" % (page, e) for e in chromium.script_errors()
                                 if "favicon.ico" not in e]
                    keep = os.environ.get("PENNORIA_TEST_SCREENSHOTS")
                    if keep:
                        os.makedirs(keep, exist_ok=True)
                        chromium.save_screenshot(
                            os.path.join(keep, "names-%s.png" % page.replace("/", "-")))
                finally:
                    chromium.close()
        finally:
            server.stop()

    for problem in problems:
        print("FAIL " + problem)
    print("failed" if problems else "ok")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
