#!/usr/bin/env python3
"""Key-to-screen delay of the desktop program: the time from an input sent through XTest to the
first changed pixels of the place that must change, read from the X server (GetImage of a small
box, polled). Four inputs, in a banner of 10 and one of 500 elements:

  key     a letter typed into the selected text's words field (the banner on the canvas, where
          the text shows it; the field itself has a blinking caret)
  nudge   Right arrow with an element selected (the banner on the canvas)
  undo    Ctrl+Z after a nudge (the banner on the canvas)
  hover   the pointer moved onto a toolbar button (the button's box)

Prints the median and the slowest of N samples of each, and the ratio 500 / 10 of the medians, with
the machine's load. The program runs as in the desktop tests; start this under a display, e.g.

  xvfb-run -a -s "-screen 0 1280x800x24" python3 bench/input_to_pixels.py --program build/pennoria [-n 15]
"""
import argparse
import os
import shutil
import statistics
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "editor"))
import editor_desktop_test as desktop  # noqa: E402

from Xlib import X, XK, display  # noqa: E402
from Xlib.ext import xtest  # noqa: E402

BANNER = (300, 250)
TEXT_AT = (20, 20, 200, 40)  # the text element every generated banner has on top, in banner pixels
TOOLBAR_BUTTON = (30, 45)     # a toolbar button, in the movie's pixels
TOP_LAYER = (129, 258)        # the layer list's first row (the text), in the movie's pixels


def project(path, count):
    """A banner of count elements: rectangles in a grid, and one text on top of them."""
    shapes = []
    for i in range(count - 1):
        x, y = 4 + (i * 13) % 280, 70 + (i * 7) % 170
        shapes.append('<shape id="s%d" kind="rect" x="%d" y="%d" width="12" height="9" opacity="1" '
                      'fill="#%06X" stroke="#000000" strokeWidth="0" radius="0"/>' % (i, x, y, (i * 0x2F4A7) & 0xFFFFFF))
    text = ('<text id="words" x="%d" y="%d" width="%d" height="%d" opacity="1" font="DejaVu Sans" size="18" '
            'bold="false" italic="false" color="#102030" align="left" lineHeight="1"><label>Words</label></text>' % TEXT_AT)
    with open(path, "w", encoding="utf-8") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n<template version="2" demoWidth="%d" demoHeight="%d" '
                'bgColor="#F0F0F0" length="3000" loops="1"><component><info url="res/template.swf"/></component>'
                '<link url="https://example.org/" target="_blank"/><elements>%s%s</elements>'
                '<sizes><size width="%d" height="%d"/></sizes></template>\n'
                % (BANNER[0], BANNER[1], "".join(shapes), text, BANNER[0], BANNER[1]))


class Probe:
    def __init__(self):
        self.d = display.Display()
        self.root = self.d.screen().root

    def grab(self, box):
        return self.root.get_image(box[0], box[1], box[2], box[3], X.ZPixmap, 0xFFFFFFFF).data

    def keycode(self, name):
        return self.d.keysym_to_keycode(XK.string_to_keysym(name))

    def keys(self, names, down):
        for name in names:
            xtest.fake_input(self.d, X.KeyPress if down else X.KeyRelease, self.keycode(name))

    def move(self, x, y):
        xtest.fake_input(self.d, X.MotionNotify, x=x, y=y)

    def changed_after(self, box, send, limit=10.0):
        """Seconds from send() to the first change in box (None after limit)."""
        before = self.grab(box)
        send()
        self.d.sync()
        started = time.perf_counter()
        while time.perf_counter() - started < limit:
            if self.grab(box) != before:
                return time.perf_counter() - started
        return None

    def settle(self, box, quiet=0.4, limit=10.0):
        """Waits until box has not changed for quiet seconds."""
        last, since, started = self.grab(box), time.perf_counter(), time.perf_counter()
        while time.perf_counter() - started < limit:
            now = self.grab(box)
            if now != last:
                last, since = now, time.perf_counter()
            elif time.perf_counter() - since >= quiet:
                return
            time.sleep(0.01)


def tap(probe, *names):
    def send():
        probe.keys(names, True)
        probe.keys(reversed(names), False)
    return send


def measure(program, count, samples, scratch):
    path = os.path.join(scratch, "banner-%d.pbf" % count)
    project(path, count)
    home = os.path.join(scratch, "home-%d" % count)
    os.makedirs(home)
    app = desktop.Desktop(home, args=[path])
    probe = Probe()
    results = {}
    try:
        app.wait_log("splashgone")
        app.wait_log("reply <string>" + path + "</string>")
        app.focus()
        text = app.on_banner((TEXT_AT[0] + 6, TEXT_AT[1] + 6), BANNER)
        corner = app.on_banner((0, 0), BANNER)
        far = app.on_banner(BANNER, BANNER)
        canvas = (app.x + corner[0], app.y + corner[1], far[0] - corner[0], far[1] - corner[1])
        field_at = desktop.LABEL_FIELD(app)
        button = (app.x + TOOLBAR_BUTTON[0] - 12, app.y + TOOLBAR_BUTTON[1] - 10, 24, 20)

        app.click(TOP_LAYER)  # selects the text: its words field shows on the properties
        app.click(field_at)
        tap(probe, "End")()
        times = []
        for i in range(samples):
            probe.settle(canvas)
            times.append(probe.changed_after(canvas, tap(probe, "abcdefghij"[i % 10])))
        results["key"] = times

        app.click(text)
        nudge, undo = [], []
        for i in range(samples):
            probe.settle(canvas)
            nudge.append(probe.changed_after(canvas, tap(probe, "Right")))
            probe.settle(canvas)
            undo.append(probe.changed_after(canvas, tap(probe, "Control_L", "z")))
        results["nudge"], results["undo"] = nudge, undo

        hover = []
        away = (app.x + app.width // 2, app.y + 100 + app.height // 2)
        for i in range(samples):
            probe.move(*away)
            probe.d.sync()
            probe.settle(button)
            hover.append(probe.changed_after(button, lambda: probe.move(app.x + TOOLBAR_BUTTON[0], app.y + TOOLBAR_BUTTON[1])))
        results["hover"] = hover
    finally:
        probe.d.close()
        app.proc.kill()
        app.close()
    return results


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True, help="the folder of the built program (pennoria in it)")
    parser.add_argument("-n", type=int, default=15, help="samples of each input")
    args = parser.parse_args()
    desktop.PROGRAM = os.path.realpath(args.program)
    scratch = tempfile.mkdtemp(prefix="input-to-pixels-")
    try:
        load = os.getloadavg()[0]
        small = measure(args.program, 10, args.n, scratch)
        large = measure(args.program, 500, args.n, scratch)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    print("key-to-screen delay, %d samples each, load %.1f before, %.1f after (%d processors)" % (
        args.n, load, os.getloadavg()[0], os.cpu_count()))
    for name in ("key", "nudge", "undo", "hover"):
        row = []
        for results in (small, large):
            seen = [t for t in results[name] if t is not None]
            missed = len(results[name]) - len(seen)
            median = statistics.median(seen) * 1000 if seen else float("nan")
            row.append(median)
            print("  %-5s %3d elements: median %6.1f ms, slowest %6.1f ms%s" % (
                name, 10 if results is small else 500, median, max(seen) * 1000 if seen else float("nan"),
                ", %d never changed the screen" % missed if missed else ""))
        print("  %-5s 500 / 10: %.2f" % (name, row[1] / row[0]))


if __name__ == "__main__":
    main()
