#!/usr/bin/env python3
"""Processor time of the desktop program (all its processes: the host, the web view's processes)
while a person works in the editor, for one or more builds measured in turns (paired rounds):

  rest    5 s without input, the banner shown
  hover   the pointer onto a toolbar button and off it again, 20 times at 4 a second
  nudge   Right arrow with an element selected, 20 times at 4 a second
  play    10 s of the example autumn-sale playing (12 s long)

hover and nudge run in banners of 10 and 500 elements (as bench/input_to_pixels.py builds them).
Prints, for each build, the median over the rounds of the share of one core used, and the ratio of
each build to the first. Start it under a display, e.g.

  xvfb-run -a -s "-screen 0 1280x800x24" /usr/bin/python3 bench/editor_cpu.py BEFORE_DIR build/pennoria [--rounds 3]

where each argument is a program folder (a copy of build/pennoria with another editor/Pennoria.swf
in it is enough).
"""
import argparse
import os
import shutil
import statistics
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import input_to_pixels as pixels  # noqa: E402

desktop = pixels.desktop
EXAMPLE = os.path.join(HERE, "..", "examples", "autumn-sale", "autumn-sale.pbf")
TICKS = os.sysconf("SC_CLK_TCK")


def tree(pid):
    """pid and every process under it."""
    found, todo = [], [pid]
    while todo:
        p = todo.pop()
        found.append(p)
        try:
            with open("/proc/%d/task/%d/children" % (p, p)) as f:
                todo.extend(int(c) for c in f.read().split())
        except OSError:
            pass
    return found


def cpu_seconds(pid):
    """User and system time of pid's process tree so far."""
    total = 0
    for p in tree(pid):
        try:
            with open("/proc/%d/stat" % p) as f:
                fields = f.read().rsplit(")", 1)[1].split()
            total += int(fields[11]) + int(fields[12])  # utime, stime
        except (OSError, IndexError):
            pass
    return total / TICKS


def share(pid, act, seconds):
    """The share of one core pid's processes used while act() ran for about seconds."""
    before, started = cpu_seconds(pid), time.monotonic()
    act()
    remaining = seconds - (time.monotonic() - started)
    if remaining > 0:
        time.sleep(remaining)
    return (cpu_seconds(pid) - before) / (time.monotonic() - started)


def play_button(app):
    """Play, at the top of the timeline strip (laid out as the editor does)."""
    center_h = app.height - 70 - 24 - 32
    area_h = center_h - max(120, min(200, round(center_h * 0.3)))
    return (249, 70 + 32 + area_h + 15)


def start(program, project, scratch):
    desktop.PROGRAM = os.path.realpath(program)
    home = tempfile.mkdtemp(prefix="home-", dir=scratch)
    app = desktop.Desktop(home, args=[project])
    app.wait_log("splashgone")
    app.wait_log("reply <string>" + project + "</string>")
    app.focus()
    return app


def working(program, count, scratch):
    path = os.path.join(scratch, "banner-%d.pbf" % count)
    if not os.path.exists(path):
        pixels.project(path, count)
    app = start(program, path, scratch)
    probe = pixels.Probe()
    try:
        corner = app.on_banner((0, 0), pixels.BANNER)
        far = app.on_banner(pixels.BANNER, pixels.BANNER)
        canvas = (app.x + corner[0], app.y + corner[1], far[0] - corner[0], far[1] - corner[1])
        probe.settle(canvas, quiet=1.0, limit=60)
        button = (app.x + pixels.TOOLBAR_BUTTON[0], app.y + pixels.TOOLBAR_BUTTON[1])
        away = (app.x + app.width // 2, app.y + 100 + app.height // 2)

        def hovers():
            for _ in range(20):
                for place in (button, away):
                    probe.move(*place)
                    probe.d.sync()
                    time.sleep(0.125)

        def nudges():
            for _ in range(20):
                pixels.tap(probe, "Right")()
                probe.d.sync()
                time.sleep(0.25)

        probe.move(*away)
        probe.d.sync()
        time.sleep(3)  # the editor rests again
        results = {"rest": share(app.proc.pid, lambda: None, 5)}
        results["hover"] = share(app.proc.pid, hovers, 5)
        app.click(pixels.TOP_LAYER)  # the text, selected
        probe.settle(canvas)
        results["nudge"] = share(app.proc.pid, nudges, 5)
        return results
    finally:
        probe.d.close()
        app.proc.kill()
        app.close()


def playing(program, scratch):
    path = os.path.join(scratch, "autumn-sale.pbf")
    if not os.path.exists(path):
        shutil.copy(EXAMPLE, path)
    app = start(program, path, scratch)
    try:
        time.sleep(5)  # the banner built, the fonts in
        at = play_button(app)
        for _ in range(3):  # a click the movie was not ready for is given again
            heard = len(app.bridge_log())
            app.click(at)
            try:
                app.wait_log("pace 30", 5, after=heard)
                break
            except AssertionError:
                continue
        return share(app.proc.pid, lambda: None, 10)
    finally:
        app.proc.kill()
        app.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("programs", nargs="+", help="program folders (pennoria in each)")
    parser.add_argument("--rounds", type=int, default=3)
    args = parser.parse_args()
    scratch = tempfile.mkdtemp(prefix="editor-cpu-")
    rows = {}  # (program, what) -> shares
    load = os.getloadavg()[0]
    try:
        for _ in range(args.rounds):
            for program in args.programs:
                for count in (10, 500):
                    for what, value in working(program, count, scratch).items():
                        rows.setdefault((program, "%s %d" % (what, count)), []).append(value)
                rows.setdefault((program, "play"), []).append(playing(program, scratch))
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    print("share of one core, median of %d rounds; load %.1f before, %.1f after (%d processors)" % (
        args.rounds, load, os.getloadavg()[0], os.cpu_count()))
    names = ["rest 10", "hover 10", "nudge 10", "rest 500", "hover 500", "nudge 500", "play"]
    first = args.programs[0]
    for program in args.programs:
        print(program)
        for name in names:
            value = statistics.median(rows[(program, name)])
            base = statistics.median(rows[(first, name)])
            print("  %-10s %5.0f %%   x%.2f" % (name, value * 100, value / base if base else float("nan")))


if __name__ == "__main__":
    main()
