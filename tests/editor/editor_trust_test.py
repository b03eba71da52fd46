#!/usr/bin/env python3
"""The desktop program on a busy machine, driven as a person would, and a movie that stops
answering.

- Soak: a project of seven animated elements is played, scrubbed, nudged and undone while it
  plays, paused and played on, many times for about 40 s beside a processor hog; after every Play
  the time shown must move on (the window must keep changing), also when Play is pressed on a
  moment so near the end that the time reads as the end, and the host's watchdog must never have
  found the movie silent.
- Watchdog: words typed into a new text are kept; the page's script is then stopped for good (a
  key the test environment alone enables); the host notices, offers to keep the work and start the
  editor again, and the new editor offers the typed words back.

Runs under its own Xvfb (the test command wraps it in xvfb-run).

usage: editor_trust_test.py --program DIR --examples DIR   (exit 77 when the program, xdotool,
python3-xlib or a display is missing)
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import editor_desktop_test as desktop  # noqa: E402
from editor_desktop_test import read, wait_until, xdotool  # noqa: E402

EXAMPLES = None
WORDS = "Kept when the editor froze"
ADD_TEXT = (33, 199)  # the layer list's Text button
SOAK_SECONDS = 40


class Screen:
    """Pixels of a box of the virtual display, read directly (a screenshot program would take a
    large part of a second on a busy machine)."""

    def __init__(self):
        from Xlib import X, display
        self.X = X
        self.display = display.Display()
        self.root = self.display.screen().root

    def grab(self, x, y, w, h):
        return self.root.get_image(x, y, w, h, self.X.ZPixmap, 0xFFFFFFFF).data

    def close(self):
        self.display.close()


class Timeline:
    """Where the timeline's parts are on the screen, as the editor lays them out."""

    def __init__(self, app):
        center_h = app.height - 70 - 24 - 32
        strip = max(120, min(200, round(center_h * 0.3)))
        self.top = 70 + 32 + center_h - strip
        self.play = (210 + 8 + 32, self.top + 14)
        self.pause = (210 + 8 + 64 + 6 + 32, self.top + 14)
        # The time shown beside the buttons, and the ruler under them.
        self.time_box = (app.x + 210 + 8 + 64 + 6 + 64 + 12, app.y + self.top + 4, 150, 20)
        self.ruler_y = self.top + 30 + 10
        self.ruler_x0 = 210 + 130 + 20
        self.ruler_x1 = app.width - 300 - 40
        # The last pixel of the ruler's track (the strip's right pad is 12): a moment a few
        # hundredths of a second before the end, which the time shown reads as the end.
        self.ruler_last = app.width - 300 - 12 - 1


def steady(screen, box):
    """The pixels of box when they stay the same for half a second, else None."""
    first = screen.grab(*box)
    time.sleep(0.5)
    return first if screen.grab(*box) == first else None


def press(app, point):
    # No --sync: it waits for a move, and a press where the pointer already is makes none.
    xdotool("mousemove", app.x + point[0], app.y + point[1], "click", "1")


class Trust(unittest.TestCase):
    def setUp(self):
        self.scratch = os.path.realpath(tempfile.mkdtemp(prefix="editortrust"))
        self.kept = os.path.join(self.scratch, ".local", "state", "pennoria")

    def tearDown(self):
        shutil.rmtree(self.scratch, ignore_errors=True)

    def test_played_scrubbed_and_edited_under_load_it_never_freezes(self):
        project_dir = os.path.join(self.scratch, "work")
        shutil.copytree(os.path.join(EXAMPLES, "coffee-launch"), project_dir)
        project = os.path.join(project_dir, "coffee-launch.pbf")
        hog = subprocess.Popen([sys.executable, "-c", "while True: pass"])
        screen = Screen()
        app = desktop.Desktop(self.scratch, args=[project])
        rounds, slowest = 0, 0.0
        try:
            app.wait_log("splashgone")
            app.wait_log("reply <string>" + project + "</string>")
            line = Timeline(app)
            app.focus()
            # The card is selected (the arrow keys nudge it), by a press on the banner.
            app.click(app.on_banner((30, 250), (336, 280)))
            app.screenshot("soak-start")
            # The project opens on its final frame: what the time reads at the end.
            end = wait_until("the time shown steady", lambda: steady(screen, line.time_box), 30)

            def moves(what, before):
                started = time.monotonic()
                try:
                    wait_until(what, lambda: screen.grab(*line.time_box) != before, 15)
                except AssertionError:
                    app.screenshot("frozen")
                    # Which part froze: the page's script (the watchdog's question goes unanswered)
                    # or the movie alone.
                    try:
                        app.wait_log("stalled", 30)
                        part = "the page's script stopped answering"
                    except AssertionError:
                        part = "the page answers, the movie does not move"
                    raise AssertionError("%s: the editor froze after %d rounds (%s)\n%s" % (
                        what, rounds, part, app.bridge_log()[-2000:]))
                return time.monotonic() - started

            began = time.monotonic()
            while time.monotonic() - began < SOAK_SECONDS and rounds < 400:
                press(app, line.pause)  # a no-op unless an undo left it playing
                if rounds % 5 == 0:
                    # Put just before the end, where the time reads as the end: Play plays.
                    press(app, (line.ruler_last, line.ruler_y))
                    wait_until("round %d: the time read as the end" % rounds,
                               lambda: screen.grab(*line.time_box) == end, 30)
                before = screen.grab(*line.time_box)
                press(app, line.play)
                slowest = max(slowest, moves("round %d: Play" % rounds, before))
                kind = rounds % 4
                if kind == 0:  # scrubbed on the ruler while playing
                    x = line.ruler_x0 + (line.ruler_x1 - line.ruler_x0) * ((rounds * 7) % 10) // 10
                    press(app, (x, line.ruler_y))
                elif kind == 1:  # the selection nudged while playing, then undone
                    xdotool("key", "Right", "Right", "ctrl+z")
                elif kind == 2:  # paused, played on, paused again
                    press(app, line.pause)
                    before = screen.grab(*line.time_box)
                    press(app, line.play)
                    slowest = max(slowest, moves("round %d: Play after Pause" % rounds, before))
                    press(app, line.pause)
                else:  # undone while playing
                    xdotool("key", "ctrl+z")
                rounds += 1
            # Still answering at the end: it plays, and the watchdog never found it silent.
            press(app, line.pause)
            before = screen.grab(*line.time_box)
            press(app, line.play)
            moves("after the soak: Play", before)
        finally:
            hog.kill()
            hog.wait()
            screen.close()
            app.proc.send_signal(signal.SIGKILL)
            app.close()
        print("desktop soak: %d rounds in %d s beside a processor hog, slowest Play %.2f s" % (
            rounds, SOAK_SECONDS, slowest), file=sys.stderr)
        self.assertGreaterEqual(rounds, 10)
        self.assertNotIn("stalled", app.bridge_log())

    def test_a_movie_that_stops_answering_is_started_again_and_offers_the_work_back(self):
        app = desktop.Desktop(self.scratch, env={"PENNORIA_TEST_HOOKS": "1"})
        try:
            app.focus()
            app.click(desktop.EMPTY_LAYERS)
            app.click(ADD_TEXT)
            app.type(WORDS, delay=60)
            own = os.path.join(self.kept, "work-%d.pbf" % app.proc.pid)
            wait_until("the typed words in " + own, lambda: WORDS in read(own), 10)
            # Working until here: the watchdog asked and was answered.
            self.assertNotIn("stalled", app.bridge_log())

            app.key("ctrl+shift+F12")
            app.wait_log("test hook: the script stops")
            app.wait_log("stalled", 90)
            question = app.find_window(lambda w, h: w < 600 and h < 400, exclude=(app.window,))
            xdotool("windowfocus", "--sync", question)
            mark = len(app.bridge_log())
            xdotool("key", "alt+y")
            app.wait_log("restart", after=mark)
            aside = "work-%d-1.pbf" % app.proc.pid
            # The new editor finds the work put aside and asks about it; Return takes it back.
            app.wait_log("reply <string>%s</string>" % aside, 120, after=mark)
            app.click((app.width // 2, app.height // 2 - 20))
            app.key("Return")
            app.wait_log("RecoverWorkVC", after=mark)
            app.wait_log(WORDS + "&lt;/label&gt;", after=mark)
            wait_until("the recovered words kept as this run's work", lambda: WORDS in read(own), 10)
            self.assertFalse(os.path.exists(os.path.join(self.kept, aside)))
        finally:
            app.proc.send_signal(signal.SIGKILL)
            app.close()


if __name__ == "__main__":
    EXAMPLES, rest = desktop.start_suite(modules=("Xlib",))
    desktop.run_suite(rest)
