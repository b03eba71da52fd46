#!/usr/bin/env python3
"""One design, every size: a 300 x 250 design with a logo, a headline, a sub-line and a call to
action is given the standard sizes by `pennoria-cli layout`, published as HTML5 creatives, and
every size's creative is checked in Chromium from the page's own boxes, once with short texts and
once with a 50-character product name and a 60-character sub-line:

- every element lies inside the banner;
- texts are at least 10 px (8 px on banners lower than 60 px) and their lines stay in their box;
- the call to action is at least 20 px high (16 px on the lowest banners) and its label fits it;
- pictures are no specks (their shorter side at least 16 px);
- texts, pictures and the button never overlap each other;
- the headline and the call to action are always there; what the layout leaves out it names on
  standard error.

usage: test_layout_sizes.py PENNORIA_CLI
"""

import json
import os
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import browser  # noqa: E402

SIZES = [(728, 90), (160, 600), (320, 50), (300, 600), (970, 250), (468, 60), (336, 280), (320, 100)]
SHORT = ("Summer sale", "Everything 30% off")
LONG = ("Northwind Ultra-Light Trail Running Shoes Series 7",
        "Free delivery on every order over 30 euros until end of May!")
assert len(LONG[0]) == 50 and len(LONG[1]) == 60

DESIGN = """<?xml version="1.0" encoding="UTF-8"?>
<template version="2" demoWidth="300" demoHeight="250" img="" bgColor="#1E3A5F" fit="cover" length="1000" loops="1">
  <component><info url="res/template.swf"/></component>
  <link url="https://example.org/" target="_blank"/>
  <elements>
    <image id="logo" x="10" y="10" width="80" height="40" opacity="1" src="logo.png" fit="contain"/>
    <text id="headline" x="10" y="70" width="280" height="64" opacity="1" font="Liberation Sans" size="26" bold="true" italic="false" color="#FFFFFF" align="center" lineHeight="1.2"{fit}>
      <label>{headline}</label>
    </text>
    <text id="subline" x="10" y="138" width="280" height="40" opacity="1" font="Liberation Sans" size="14" bold="false" italic="false" color="#FFFFFF" align="center" lineHeight="1.2"{fit}>
      <label>{subline}</label>
    </text>
    <button id="cta" x="90" y="194" width="120" height="36" opacity="1" url="" target="_blank" fill="#FF6A00" radius="6" font="Liberation Sans" size="15" bold="true" italic="false" color="#FFFFFF">
      <label>Shop now</label>
    </button>
  </elements>
  <sizes>
    <size width="300" height="250"/>
  </sizes>
</template>
"""

# The boxes of the creative's elements, from the page: each layer's box, a text's font size and
# the box of its lines as set, a button's label.
MEASURE = """(() => {
  const banner = document.getElementById('banner');
  if (!banner || banner.getAttribute('data-entrance') !== 'done') return null;
  const b = banner.getBoundingClientRect();
  const box = r => ({x: r.left - b.left, y: r.top - b.top, w: r.width, h: r.height});
  const items = [];
  for (const layer of banner.querySelectorAll('[data-kind]')) {
    if (getComputedStyle(layer).visibility === 'hidden') continue;
    const item = Object.assign({kind: layer.dataset.kind, id: layer.dataset.id || ''},
                               box(layer.getBoundingClientRect()));
    if (layer.dataset.kind === 'text' || layer.dataset.kind === 'button') {
      const inner = layer.dataset.kind === 'text' ? layer.firstElementChild : layer.querySelector('span');
      item.font = parseFloat(getComputedStyle(inner).fontSize);
      const range = document.createRange();
      range.selectNodeContents(inner);
      item.ink = box(range.getBoundingClientRect());
    }
    items.push(item);
  }
  return JSON.stringify({w: b.width, h: b.height, items: items});
})()"""


def overlap(a, b):
    return not (a["x"] + a["w"] <= b["x"] + 0.5 or b["x"] + b["w"] <= a["x"] + 0.5 or
                a["y"] + a["h"] <= b["y"] + 0.5 or b["y"] + b["h"] <= a["y"] + 0.5)


def within(inner, outer, slack):
    return (inner["x"] >= outer["x"] - slack and inner["y"] >= outer["y"] - slack and
            inner["x"] + inner["w"] <= outer["x"] + outer["w"] + slack and
            inner["y"] + inner["h"] <= outer["y"] + outer["h"] + slack)


def check_size(page, width, height, label):
    problems = []
    if (round(page["w"]), round(page["h"])) != (width, height):
        return ["%s: the banner is %sx%s" % (label, page["w"], page["h"])]
    low = height < 60
    banner = {"x": 0, "y": 0, "w": width, "h": height}
    items = page["items"]
    for it in items:
        name = "%s %s %s" % (label, it["kind"], it["id"])
        if not within(it, banner, 0.01):
            problems.append("%s lies outside the banner: %r" % (name, it))
        if it["kind"] == "text":
            if it["font"] < (8 if low else 10):
                problems.append("%s is set at %s px" % (name, it["font"]))
            # The lines as the browser set them stay in the box (a pixel for the font engine).
            if not within(it["ink"], it, 1.5):
                problems.append("%s spills out of its box: %r in %r" % (name, it["ink"], it))
        if it["kind"] == "button":
            if it["h"] < (16 if low else 20):
                problems.append("%s is %s px high" % (name, it["h"]))
            if it["font"] < (8 if low else 10):
                problems.append("%s's label is %s px" % (name, it["font"]))
            if not within(it["ink"], it, 1.5):
                problems.append("%s's label spills out: %r in %r" % (name, it["ink"], it))
        if it["kind"] == "image" and min(it["w"], it["h"]) < 16:
            problems.append("%s is a speck: %r" % (name, it))
    solid = [it for it in items if it["kind"] in ("text", "image", "button")]
    for i, a in enumerate(solid):
        for b in solid[i + 1:]:
            if overlap(a, b):
                problems.append("%s: %s %s overlaps %s %s" % (label, a["kind"], a["id"], b["kind"],
                                                             b["id"]))
    ids = {it["id"] for it in items}
    for needed in ("headline", "cta"):
        if needed not in ids:
            problems.append("%s: no %s shown" % (label, needed))
    return problems


def main():
    cli = os.path.abspath(sys.argv[1])
    if browser.find_chromium() is None:
        print("chromium is not installed")
        return browser.SKIP
    problems, figures = [], []
    with tempfile.TemporaryDirectory(prefix="pennoria-layout-") as root:
        root = os.path.realpath(root)
        env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(root, "config"),
                   XDG_DATA_HOME=os.path.join(root, "data"))
        server = browser.Server(root)
        chromium = browser.Browser(300, 250)
        try:
            for variant, (headline, subline) in (("short", SHORT), ("long", LONG)):
                folder = os.path.join(root, variant)
                os.makedirs(folder)
                # A logo of 160 x 80: a dark mark on white.
                browser.write_png(os.path.join(folder, "logo.png"), 160, 80,
                                  lambda x, y: (20, 40, 90) if 20 < x < 140 and 20 < y < 60 else (255, 255, 255))
                design = os.path.join(folder, "design.pbf")
                # Long texts are set to fit, as a designer sets the boxes a product feed fills.
                fit = ' autoFit="true"' if variant == "long" else ""
                with open(design, "w", encoding="utf-8") as f:
                    f.write(DESIGN.format(headline=headline, subline=subline, fit=fit))
                laid = os.path.join(folder, "campaign.pbf")
                run = subprocess.run([cli, "layout", design, "--sizes",
                                      ",".join("%dx%d" % s for s in SIZES), "--output", laid],
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=env)
                if run.returncode != 0:
                    problems.append("%s: layout failed: %s %s" % (variant, run.stdout, run.stderr))
                    continue
                figures.append("%s: layout said: %s" % (variant, run.stderr.strip() or "nothing"))
                out = os.path.join(folder, "out")
                os.makedirs(out)
                run = subprocess.run([cli, "publish", laid, "--folder", out, "--out-mode", "1",
                                      "--embed-mode", "0", "--html5", "yes"], stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE, text=True, env=env)
                if run.returncode != 0:
                    problems.append("%s: publish failed: %s %s" % (variant, run.stdout, run.stderr))
                    continue
                published = os.path.join(out, "banner")
                for index, (width, height) in enumerate([(300, 250)] + SIZES):
                    label = "%s %dx%d" % (variant, width, height)
                    where = published if index == 0 else os.path.join(published, "%dx%d" % (width, height))
                    page = os.path.join(where, "html5", "index.html")
                    if not os.path.isfile(page):
                        problems.append("%s: no creative at %s" % (label, page))
                        continue
                    chromium.call("Emulation.setDeviceMetricsOverride", session=True, width=width,
                                  height=height, deviceScaleFactor=1, mobile=False)
                    chromium.events.clear()
                    chromium.navigate(server.url(os.path.relpath(page, root)))
                    measured, deadline = None, time.monotonic() + 30
                    while measured is None and time.monotonic() < deadline:
                        measured = chromium.evaluate(MEASURE)
                        if measured is None:
                            time.sleep(0.2)
                    if measured is None:
                        problems.append("%s: the creative never reached its final frame" % label)
                        continue
                    page_boxes = json.loads(measured)
                    found = check_size(page_boxes, width, height, label)
                    problems += found
                    fonts = ", ".join("%s %g px" % (it["id"], it["font"]) for it in page_boxes["items"]
                                      if it["kind"] == "text")
                    figures.append("%s: %s; %s" % (label, "passes" if not found else "FAILS", fonts))
                    problems += ["%s: %s" % (label, e) for e in chromium.script_errors()
                                 if "favicon.ico" not in e]
        finally:
            chromium.close()
            server.stop()
    return browser.report(figures, problems)


if __name__ == "__main__":
    sys.exit(main())
