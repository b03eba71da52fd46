#!/usr/bin/env python3
"""How soon a visitor sees the HTML5 creative, against a banner written by hand in HTML and CSS
with the same picture, texts, colours and web fonts (its final frame, no script): both pages
loaded in turn, round after round, in one headless Chromium with its cache off, so both see the
same machine. Prints each page's median first contentful paint and load event, the bytes each
transfers, and the ratios creative / hand-written.

The hand-written page is the floor: the least a page that shows this banner must do. What the
creative adds is its script (the model and renderer) and its drawing of the first frame.

usage: creative_first_pixels.py PENNORIA_CLI [--rounds N] [--example PATH]
"""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "browser"))
import browser  # noqa: E402

# The autumn-sale example's final frame, written by hand: the shapes as boxes, the picture, the
# texts with the faces the creative loads (its own fonts.css), the button as a link.
HAND_WRITTEN = """<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="ad.size" content="width=300,height=250">
<title>banner</title>
<link rel="stylesheet" href="fonts.css">
<style>
  html, body { margin: 0; padding: 0; overflow: hidden; }
  #banner { position: relative; width: 300px; height: 250px; overflow: hidden;
            background: #2B2D42; }
  #banner > * { position: absolute; margin: 0; }
  .sun { left: 190px; top: -50px; width: 160px; height: 160px; border-radius: 50%;
         background: #F8C630; opacity: 0.9; }
  .band { left: 0; top: 176px; width: 300px; height: 74px; background: #D90429; }
  .logo { left: 14px; top: 14px; width: 48px; height: 48px; object-fit: contain; }
  .headline { left: 14px; top: 72px; width: 272px; font: bold 32px/1.1 "Liberation Sans";
              color: #FFFFFF; text-shadow: 2px 2px 3px #000000; }
  .languages { left: 14px; top: 122px; width: 272px; font: italic 16px/1.3 "Liberation Serif";
               color: #EDF2F4; }
  .shop { left: 176px; top: 196px; width: 110px; height: 36px; border-radius: 18px;
          background: #FFFFFF; color: #D90429; font: bold 15px/36px "Liberation Sans";
          text-align: center; text-decoration: none; }
</style>
</head>
<body>
<div id="banner">
  <div class="sun"></div>
  <div class="band"></div>
  <img class="logo" src="leaf.png" alt="">
  <p class="headline">Autumn sale</p>
  <p class="languages">Up to 40 % off · Εκπτώσεις · Скидки</p>
  <a class="shop" href="https://example.org/autumn-sale/shop" target="_blank">Shop now</a>
</div>
</body>
</html>
"""

TIMES = """JSON.stringify({
  paint: (performance.getEntriesByName('first-contentful-paint')[0] || {}).startTime || null,
  load: performance.timing.loadEventEnd - performance.timing.navigationStart,
  bytes: performance.getEntriesByType('resource').reduce((n, r) => n + r.encodedBodySize, 0)
       + performance.getEntriesByType('navigation')[0].encodedBodySize
})"""


def measure(chromium, url):
    import json
    import time
    chromium.navigate(url)
    deadline = time.monotonic() + 30
    while True:
        figures = json.loads(chromium.evaluate(TIMES))
        if figures["paint"] is not None and figures["load"] > 0:
            return figures
        if time.monotonic() > deadline:
            raise RuntimeError("no first paint on " + url)
        time.sleep(0.05)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli")
    parser.add_argument("--rounds", type=int, default=15)
    parser.add_argument("--example", default=os.path.join(
        HERE, "..", "examples", "autumn-sale", "autumn-sale.pbf"))
    args = parser.parse_args()
    if browser.find_chromium() is None:
        sys.exit("chromium is not installed")
    with tempfile.TemporaryDirectory(prefix="pennoria-first-pixels-") as root:
        env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(root, "config"),
                   XDG_DATA_HOME=os.path.join(root, "data"))
        subprocess.run([args.cli, "publish", args.example, "--folder", os.path.join(root, "out"),
                        "--player", "none"], check=True, env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        html5 = os.path.join(root, "out", "banner", "html5")
        with open(os.path.join(html5, "hand.html"), "w", encoding="utf-8") as f:
            f.write(HAND_WRITTEN)
        server = browser.Server(root)
        chromium = browser.Browser(300, 250)
        try:
            chromium.call("Network.enable", session=True)
            chromium.call("Network.setCacheDisabled", session=True, cacheDisabled=True)
            pages = {"creative": "out/banner/html5/index.html",
                     "hand-written": "out/banner/html5/hand.html"}
            seen = {name: [] for name in pages}
            for round_number in range(args.rounds + 1):
                order = list(pages) if round_number % 2 == 0 else list(reversed(list(pages)))
                for name in order:
                    figures = measure(chromium, server.url(pages[name]))
                    if round_number > 0:  # the first round warms the browser's own code
                        seen[name].append(figures)
        finally:
            chromium.close()
            server.stop()
    median = {name: {key: statistics.median(f[key] for f in seen[name])
                     for key in ("paint", "load", "bytes")} for name in seen}
    for name in ("creative", "hand-written"):
        m = median[name]
        print("%-13s first pixels %6.1f ms, load %6.1f ms, %7.0f bytes (medians of %d)" % (
            name, m["paint"], m["load"], m["bytes"], args.rounds))
    c, h = median["creative"], median["hand-written"]
    print("creative / hand-written: first pixels %.2f, load %.2f, bytes %.2f" % (
        c["paint"] / h["paint"], c["load"] / h["load"], c["bytes"] / h["bytes"]))


if __name__ == "__main__":
    main()
