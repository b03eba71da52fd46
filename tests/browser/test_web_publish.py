#!/usr/bin/env python3
"""Publishes the sample project examples/spring-launch with pennoria-cli (player bundled, HTML5
creative on) and opens what it wrote in headless Chromium exactly as a visitor would, with
nothing injected: the embed and swfobject pages (played by the Ruffle copy beside them) and the
HTML5 creative. Each must show the banner's image and background colours in the banner's
rectangle, raise no script error, and open the link when clicked. The embed code each page offers
to copy is pasted into a page of the visitor's own beside it and must play there too. The
player's WebAssembly is published gzip-compressed only; the embed page must also play from a
server that sends ".gz" files gzip-coded.

Also prints the figures publishing is judged by: the bytes a visitor of the embed page
transfers, against the same page with the raw player; the folder's size with and without the player,
the zip's size, the time from a Chromium launch to the first banner pixels for the Ruffle page
and for the creative, and how far the two renderings (and the backup image) differ once the
entrance has ended.

usage: test_web_publish.py PROGRAM_DIR PENNORIA_CLI EXAMPLES_DIR
"""

import base64
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import browser  # noqa: E402
import validate_creative  # noqa: E402

WIDTH, HEIGHT = 336, 280
LINK = "https://example.org/spring-launch"
BACKGROUND = (0x26, 0x46, 0x53)
# The sample's picture, 400 x 250, fitted inside the banner: scale 0.84, 35 px bars above and
# below. Points away from the headline (bottom left) and from colour edges.
SCALE, TOP = 0.84, 35


def sky(source_y):
    top, bottom = (0xF6, 0xD3, 0x65), (0xFD, 0xA0, 0x85)
    f = source_y / 249.0
    return tuple(round(a + (b - a) * f) for a, b in zip(top, bottom))


EXPECTED = {
    (168, 12): BACKGROUND,                          # bar above the picture
    (300, 274): BACKGROUND,                         # bar below, under the headline's box
    (int(300 * SCALE), int(TOP + 95 * SCALE)): (0x2A, 0x9D, 0x8F),  # the sun
    (int(110 * SCALE), int(TOP + 160 * SCALE)): (0xE9, 0xC4, 0x6A),  # the hill
    (200, 47): sky(12),                             # the sky
}


def publish(cli, project, image, out, embed_mode, env):
    os.makedirs(out)
    custom = os.path.join(out, "custom.xml")
    with open(custom, "w") as f:
        f.write('<template img="%s"/>' % image)
    run = subprocess.run([cli, "publish", project, "--folder", out, "--out-mode", "1",
                          "--embed-mode", str(embed_mode), "--custom-template", custom],
                         stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=env)
    if run.returncode != 0:
        raise AssertionError("publish failed: %s %s" % (run.stdout, run.stderr))
    return os.path.join(out, "banner")


def folder_bytes(folder, skip=None):
    total = 0
    for root, dirs, files in os.walk(folder):
        if skip and os.path.abspath(root).startswith(os.path.abspath(skip)):
            continue
        total += sum(os.path.getsize(os.path.join(root, f)) for f in files)
    return total


def full_shot(chromium):
    data = chromium.call("Page.captureScreenshot", session=True, format="png",
                         clip={"x": 0, "y": 0, "width": WIDTH, "height": HEIGHT, "scale": 1})
    return browser.Image.from_png(base64.b64decode(data["data"]))


def difference(a, b):
    """Mean absolute difference per channel, and the share of pixels differing by more than 32
    in some channel."""
    total, far, count = 0, 0, WIDTH * HEIGHT
    for y in range(HEIGHT):
        for x in range(WIDTH):
            p, q = a.pixel(x, y), b.pixel(x, y)
            d = [abs(u - v) for u, v in zip(p, q)]
            total += sum(d)
            far += max(d) > 32
    return total / (3.0 * count), far / float(count)


def launch_until_pixels(url):
    """A fresh Chromium of the banner's size opened on url; seconds until the banner shows."""
    started = time.monotonic()
    chromium = browser.Browser(WIDTH, HEIGHT)
    chromium.navigate(url)
    wrong = chromium.wait_for_pixels(EXPECTED, limit=90, pause=0.05, scale=1)
    return chromium, time.monotonic() - started, wrong


def check_click(chromium, problems, name):
    chromium.click(WIDTH // 2, HEIGHT // 2)
    if not chromium.wait_for_new_page(LINK, limit=30):
        problems.append("%s: a click opened no window on %s" % (name, LINK))


# A page of someone's web site with the copied embed code pasted into it, beside the published files.
VISITOR_PAGE = """<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>Our news</title>
<style>body { margin: 0; font: 15px sans-serif; } .slot { margin: 40px 0 0 60px; }</style></head>
<body><h1>Our news</h1><div class="slot">%s</div><p>More news below.</p></body></html>
"""


def check_pasted_code(chromium, server_url, folder, name):
    """Pastes the code of the open page's embed box into a page of its own; the banner must play."""
    problems = []
    code = chromium.evaluate("document.querySelector('textarea.code').value")
    if not code:
        return ["%s banner.html offers no embed code" % name]
    if "ruffle/ruffle.js" not in code or "ruffle/wasm-fetch.js" not in code:
        problems.append("%s embed code does not load the player: %s" % (name, code))
    if "Flash" in code:
        problems.append("%s embed code speaks of Flash: %s" % (name, code))
    with open(os.path.join(folder, "pasted.html"), "w", encoding="utf-8") as f:
        f.write(VISITOR_PAGE % code)
    chromium.events.clear()
    chromium.navigate(server_url)
    # The player takes the place of the pasted element once its script has run.
    deadline = time.monotonic() + 60
    box = None
    while box is None and time.monotonic() < deadline:
        box = chromium.evaluate(
            "(() => { const p = document.querySelector('.slot ruffle-object, .slot ruffle-embed, "
            ".slot ruffle-player'); if (!p) return null; const r = p.getBoundingClientRect();"
            " return r.width > 0 ? [r.left, r.top, r.width, r.height] : null; })()")
        if box is None:
            time.sleep(0.1)
    if box is None:
        return problems + ["%s pasted code: no player took the banner's place" % name]
    if [round(v) for v in box[2:]] != [WIDTH, HEIGHT]:
        problems.append("%s pasted code: the player is %s, not the banner's size" % (name, box[2:]))
    expected = {(int(box[0] + x), int(box[1] + y)): c for (x, y), c in EXPECTED.items()}
    wrong = chromium.wait_for_pixels(expected, limit=90, scale=1)
    problems += ["%s pasted code pixel %s is %s, expected %s" % (name, p, s, w)
                 for p, (s, w) in sorted(wrong.items())]
    return problems + errors(chromium, name + " pasted code")


def player_files(folder):
    """What a publish folder's player must be: its WebAssembly compressed only."""
    names = os.listdir(os.path.join(folder, "ruffle"))
    problems = ["%s: raw %s published" % (folder, n) for n in names if n.endswith(".wasm")]
    if not any(n.endswith(".wasm.gz") for n in names):
        problems.append("%s: no .wasm.gz published" % folder)
    return problems


def page_transfer(chromium, url, name):
    """Opens url with nothing cached; the bytes it took once the banner shows, and problems."""
    chromium.events.clear()
    chromium.navigate(url)
    box = chromium.evaluate("(() => { const r = document.querySelector('.banner')"
                            ".getBoundingClientRect(); return [r.left, r.top]; })()")
    expected = {(int(box[0] + x), int(box[1] + y)): c for (x, y), c in EXPECTED.items()}
    wrong = chromium.wait_for_pixels(expected, limit=90, scale=1)
    problems = ["%s pixel %s is %s, expected %s" % (name, p, s, w)
                for p, (s, w) in sorted(wrong.items())]
    return chromium.transferred(), problems + errors(chromium, name)


def check_transfer(chromium, root, embed, program, figures):
    """The embed page as a visitor loads it: from the compressed player, from a server that
    sends ".gz" files gzip-coded, and (for the figure) from the raw player as published before."""
    raw = os.path.join(root, "raw")
    shutil.copytree(embed, raw, ignore=lambda folder, names: ["ruffle"] if folder == embed else [])
    os.symlink(os.path.join(program, "ruffle"), os.path.join(raw, "ruffle"))
    with open(os.path.join(raw, "banner.html"), encoding="utf-8") as f:
        page = f.read()
    with open(os.path.join(raw, "banner.html"), "w", encoding="utf-8") as f:
        f.write(page.replace('<script src="ruffle/wasm-fetch.js"></script>', ""))
    problems = []
    chromium.call("Network.enable", session=True)
    chromium.call("Network.setCacheDisabled", session=True, cacheDisabled=True)
    plain, coding = browser.Server(root), browser.Server(root, gzip_coding=True)
    try:
        sizes = {}
        for name, server, folder in (("raw player", plain, raw), ("compressed", plain, embed),
                                     ("gzip-coded", coding, embed)):
            sizes[name], found = page_transfer(
                chromium, server.url(os.path.relpath(folder, root) + "/banner.html"), name)
            problems += found
            if name == "gzip-coded":
                coded = [e for e in chromium.events if e.get("method") == "Network.responseReceived"
                         and e["params"]["response"]["url"].endswith(".wasm.gz")]
                if not coded or any(e["params"]["response"]["headers"].get("Content-Encoding")
                                    != "gzip" for e in coded):
                    problems.append("the gzip-coding server did not code the player's .wasm.gz")
    finally:
        plain.stop()
        coding.stop()
        chromium.call("Network.disable", session=True)
    figures.append("a visitor of the SWF page transfers %.2f MB (%.2f MB from the raw player, "
                   "ratio %.2f; %.2f MB from a gzip-coding server)" % (
                       sizes["compressed"] / 1e6, sizes["raw player"] / 1e6,
                       sizes["compressed"] / max(sizes["raw player"], 1),
                       sizes["gzip-coded"] / 1e6))
    if sizes["compressed"] * 2 > sizes["raw player"]:
        problems.append("the SWF page takes more than half the bytes of the raw player's")
    return problems


def errors(chromium, name):
    return ["%s: %s" % (name, e) for e in chromium.script_errors() if "favicon.ico" not in e]


def main():
    program, cli, examples = [os.path.abspath(p) for p in sys.argv[1:4]]
    if browser.find_chromium() is None:
        print("chromium is not installed")
        return browser.SKIP
    project = os.path.join(examples, "spring-launch", "spring-launch.pbf")
    image = os.path.join(examples, "spring-launch", "meadow.jpg")
    problems, figures = [], []
    with tempfile.TemporaryDirectory(prefix="pennoria-webpub-") as root:
        env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(root, "config"),
                   XDG_DATA_HOME=os.path.join(root, "data"))
        embed = publish(cli, project, image, os.path.join(root, "embed"), 0, env)
        script = publish(cli, project, image, os.path.join(root, "script"), 1, env)
        for folder in (embed, script):
            if not os.path.exists(os.path.join(folder, "ruffle", "ruffle.js")):
                problems.append("%s has no ruffle/ruffle.js" % folder)
            else:
                problems += player_files(folder)
        zip_path = os.path.join(embed, "banner_html5.zip")
        problems += ["zip: " + p for p in validate_creative.problems(zip_path, WIDTH, HEIGHT)]
        figures.append("published folder: %.1f MB with the player, %.1f KB without" % (
            folder_bytes(embed) / 1e6, folder_bytes(embed, os.path.join(embed, "ruffle")) / 1024))
        figures.append("zip: %.1f KB of 150 KB" % (os.path.getsize(zip_path) / 1024))

        server = browser.Server(root)
        base = lambda folder, page: server.url(os.path.relpath(folder, root) + "/" + page)
        shots = {}
        try:
            # The Ruffle page filling a banner-sized window, from a cold start.
            chromium, ruffle_seconds, wrong = launch_until_pixels(base(embed, "fs_aux.html"))
            try:
                problems += ["fs_aux.html pixel %s is %s, expected %s" % (p, s, w)
                             for p, (s, w) in sorted(wrong.items())]
                time.sleep(1.5)  # the entrance (700 ms) has ended
                shots["ruffle"] = full_shot(chromium)
                problems += errors(chromium, "fs_aux.html")
                check_click(chromium, problems, "fs_aux.html")
                # The other pages: the banner where the page puts it.
                for folder, name in ((embed, "embed"), (script, "swfobject")):
                    chromium.events.clear()
                    chromium.call("Emulation.setDeviceMetricsOverride", session=True,
                                  width=720, height=540, deviceScaleFactor=1, mobile=False)
                    chromium.width, chromium.height = 720, 540
                    chromium.navigate(base(folder, "banner.html"))
                    box = chromium.evaluate(
                        "(() => { const r = document.querySelector('.banner')"
                        ".getBoundingClientRect(); return [r.left, r.top]; })()")
                    expected = {(int(box[0] + x), int(box[1] + y)): c
                                for (x, y), c in EXPECTED.items()}
                    wrong = chromium.wait_for_pixels(expected, limit=90, scale=1)
                    problems += ["%s banner.html pixel %s is %s, expected %s" % (name, p, s, w)
                                 for p, (s, w) in sorted(wrong.items())]
                    problems += errors(chromium, name + " banner.html")
                    problems += check_pasted_code(chromium, base(folder, "pasted.html"), folder, name)
                problems += check_transfer(chromium, root, embed, program, figures)
            finally:
                chromium.close()

            # The HTML5 creative, from a cold start too.
            chromium, creative_seconds, wrong = launch_until_pixels(
                base(embed, "html5/index.html"))
            try:
                problems += ["html5/index.html pixel %s is %s, expected %s" % (p, s, w)
                             for p, (s, w) in sorted(wrong.items())]
                deadline = time.monotonic() + 30
                while chromium.evaluate(
                        "document.getElementById('banner').dataset.entrance") != "done":
                    if time.monotonic() > deadline:
                        problems.append("html5/index.html: the entrance never ended")
                        break
                    time.sleep(0.1)
                shots["html5"] = full_shot(chromium)
                problems += errors(chromium, "html5/index.html")
                check_click(chromium, problems, "html5/index.html")
            finally:
                chromium.close()
        finally:
            server.stop()

        figures.append("launch to first banner pixels: Ruffle page %.2f s, HTML5 creative "
                       "%.2f s (ratio %.1f)" % (ruffle_seconds, creative_seconds,
                                                ruffle_seconds / max(creative_seconds, 1e-6)))
        with open(os.path.join(embed, "banner_backup.png"), "rb") as f:
            shots["backup"] = browser.Image.from_png(f.read())
        if len(shots) == 3:
            for a, b in (("ruffle", "html5"), ("backup", "html5"), ("backup", "ruffle")):
                mean, far = difference(shots[a], shots[b])
                figures.append("%s vs %s: mean difference %.2f per channel, %.2f %% of pixels "
                               "differ by more than 32" % (a, b, mean, 100 * far))
                # Text may be drawn by another font engine; everything else must agree.
                if far > 0.06:
                    problems.append("%s and %s differ in %.1f %% of the pixels" % (a, b, 100 * far))
            keep = os.environ.get("PENNORIA_TEST_SCREENSHOTS")
            if keep:
                os.makedirs(keep, exist_ok=True)
                for name, shot in shots.items():
                    shot.save(os.path.join(keep, "web-publish-%s.png" % name))

    for line in figures:
        print("figure: " + line)
    for problem in problems:
        print("FAIL " + problem)
    print("%s" % ("failed" if problems else "ok"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
