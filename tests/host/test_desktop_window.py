#!/usr/bin/env python3
"""The desktop window under a virtual X server: frame pixels, real drags and resizes with
xdotool, the minimum size, window actions reported instead of carried out, and the placement
kept across runs. Run through xvfb-run with a 1920x1080 screen (see tests/host/CMakeLists.txt)."""

import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

ARGS = None

# Skin pieces: file, size, colour of the part that is stretched, colour of the rest.
SKIN = {
    "LeftTop": ("LeftTop.png", "4x24", "#FF0000", None),
    "Top": ("Top.png", "2x24", "#00FF00", "column"),
    "RightTop": ("RightTop.png", "4x24", "#0000FF", None),
    "Left": ("Left.png", "4x2", "#FFFF00", "row"),
    "Right": ("Right.png", "4x2", "#FF00FF", "row"),
    "LeftBottom": ("LeftBottom.png", "4x4", "#00FFFF", None),
    "RightBottom": ("RightBottom.png", "4x4", "#808080", None),
    "Bottom": ("Bottom.png", "2x4", "#800000", "column"),
}
RED, GREEN, BLUE = (255, 0, 0), (0, 255, 0), (0, 0, 255)
YELLOW, MAGENTA, CYAN = (255, 255, 0), (255, 0, 255), (0, 255, 255)
GREY, DARK_RED, WHITE, ROOT = (128, 128, 128), (128, 0, 0), (255, 255, 255), (0, 0, 0)


def run(*command, check=True, timeout=20):
    return subprocess.run(command, check=check, timeout=timeout, capture_output=True,
                          text=True).stdout


def make_skin(folder):
    os.makedirs(folder)
    for name, (file, size, colour, kind) in SKIN.items():
        w, h = (int(v) for v in size.split("x"))
        path = os.path.join(folder, file)
        if kind == "column":  # only the leftmost column is stretched; the rest must not show
            run("convert", "-size", f"1x{h}", f"xc:{colour}", "-size", f"{w - 1}x{h}",
                "xc:black", "+append", path)
        elif kind == "row":
            run("convert", "-size", f"{w}x1", f"xc:{colour}", "-size", f"{w}x{h - 1}",
                "xc:black", "-append", path)
        else:
            run("convert", "-size", size, f"xc:{colour}", path)
    with open(os.path.join(folder, "skins.xml"), "w") as f:
        f.write("<?xml version=\"1.0\"?>\n<skins><frame>\n")
        for name, (file, *_rest) in SKIN.items():
            f.write(f"  <{name}>{file}</{name}>\n")
        f.write("</frame><button/></skins>\n")


class Screen:
    """One screenshot of the root window."""

    def __init__(self):
        data = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"],
                              check=True, capture_output=True, timeout=30).stdout
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
        self.width, self.height = int(header.group(1)), int(header.group(2))
        self.pixels = data[header.end():]

    def at(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])


class Host:
    """One run of the desktop program in a scratch program folder."""

    def __init__(self, home, stand_in=True):
        self.home = home
        self.log = os.path.join(home, "debug.log")
        env = dict(os.environ)
        env.update({
            "PENNORIA_MODULE_PATH": os.path.join(home, "program", "pennoria"),
            "PENNORIA_BRIDGE_LOG": os.path.join(home, "bridge.log"),
            "WEBKIT_DISABLE_COMPOSITING_MODE": "1",
            "PENNORIA_DEBUG_LOG": self.log,
            "XDG_CONFIG_HOME": os.path.join(home, "config"),
            "XDG_DATA_HOME": os.path.join(home, "data"),
            "ASAN_OPTIONS": "detect_leaks=0",
            "NO_AT_BRIDGE": "1",
        })
        if stand_in:
            env["PENNORIA_STAND_IN_PLAYER"] = "1"
        if os.path.exists(self.log):
            os.remove(self.log)
        self.errors = os.path.join(home, "stderr.txt")
        # On a machine where several virtual servers start and stop at once, opening the display
        # now and then fails at the first try; the program then says so and ends, and is started
        # again.
        for attempt in range(3):
            self.started = time.time()
            with open(self.errors, "w") as errors:
                self.process = subprocess.Popen([ARGS.program], env=env, stderr=errors)
            try:
                self.window = self._find_window()
                return
            except AssertionError as error:
                if "no display" not in str(error) or attempt == 2:
                    raise
                print(f"\nretrying after: {error}", file=sys.stderr)
                time.sleep(1)

    def _find_window(self):
        deadline = time.time() + 30
        while time.time() < deadline:
            out = run("xdotool", "search", "--onlyvisible", "--classname", "pennoria",
                      check=False)
            if out.strip():
                return out.split()[0]
            if self.process.poll() is not None:
                with open(self.errors) as f:
                    raise AssertionError(
                        f"pennoria ended with {self.process.returncode}: {f.read()}")
            time.sleep(0.1)
        raise AssertionError("the window did not appear")

    def geometry(self):
        out = run("xdotool", "getwindowgeometry", "--shell", self.window)
        values = dict(line.split("=") for line in out.split())
        return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def log_lines(self):
        if not os.path.exists(self.log):
            return []
        with open(self.log) as f:
            return f.read().splitlines()

    def wait_for_log(self, line, timeout=10):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if line in self.log_lines():
                return True
            time.sleep(0.05)
        return False

    def movie_called(self, function, argument, timeout=10):
        """Whether the editor core called a movie function with a string argument."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            if any(line.startswith("player: call ") and f'name="{function}"' in line and
                   f"<string>{argument}</string>" in line for line in self.log_lines()):
                return True
            time.sleep(0.05)
        return False

    def wait_for_geometry(self, expected, timeout=10):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if self.geometry() == expected:
                return expected
            time.sleep(0.05)
        return self.geometry()

    def drag(self, start, end, steps=8):
        (x0, y0), (x1, y1) = start, end
        run("xdotool", "mousemove", str(x0), str(y0))
        time.sleep(0.1)
        run("xdotool", "mousedown", "1")
        for i in range(1, steps + 1):
            run("xdotool", "mousemove", str(x0 + (x1 - x0) * i // steps),
                str(y0 + (y1 - y0) * i // steps))
            time.sleep(0.02)
        run("xdotool", "mouseup", "1")
        time.sleep(0.2)

    def stop(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(timeout=20)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


class DesktopWindow(unittest.TestCase):
    def setUp(self):
        self.home = tempfile.mkdtemp(prefix="pennoria-gui-")
        program = os.path.join(self.home, "program")
        make_skin(os.path.join(program, "skins", "frame"))
        # What the player check looks for: the probe library and the player's files.
        shutil.copy(ARGS.probe, program)
        os.makedirs(os.path.join(program, "ruffle"))
        open(os.path.join(program, "ruffle", "ruffle.js"), "w").close()
        self.hosts = []

    def tearDown(self):
        for host in self.hosts:
            host.stop()
        shutil.rmtree(self.home, ignore_errors=True)

    def start(self):
        host = Host(self.home)
        self.hosts.append(host)
        return host

    def wait_painted(self, x, y, colour, timeout=10):
        deadline = time.time() + timeout
        while True:
            screen = Screen()
            if screen.at(x, y) == colour or time.time() > deadline:
                return screen
            time.sleep(0.1)

    def test_first_run_opens_centred_at_the_minimum_size_with_the_skinned_frame(self):
        host = self.start()
        X, Y, W, H = host.geometry()
        # 600 high, and as wide as 600 scaled by the 16:9 screen, centred.
        self.assertEqual((X, Y, W, H), (427, 240, 1066, 600))
        s = self.wait_painted(X + 10, Y, GREEN)
        # Cut corners: five pixels at each corner show the root window.
        for dx, dy in [(0, 0), (1, 0), (2, 0), (0, 1), (0, 2)]:
            for cx, cy, sx, sy in [(X, Y, 1, 1), (X + W - 1, Y, -1, 1), (X, Y + H - 1, 1, -1),
                                   (X + W - 1, Y + H - 1, -1, -1)]:
                self.assertEqual(s.at(cx + sx * dx, cy + sy * dy), ROOT, (cx, cy, dx, dy))
        self.assertEqual(s.at(X + 1, Y + 1), RED)
        self.assertEqual(s.at(X + W - 2, Y + 1), BLUE)
        self.assertEqual(s.at(X + 1, Y + H - 2), CYAN)
        self.assertEqual(s.at(X + W - 2, Y + H - 2), GREY)
        # The top band is 4 pixels high (the client draws its caption), then the player.
        self.assertEqual(s.at(X + 4, Y + 3), GREEN)
        self.assertEqual(s.at(X + W - 5, Y + 3), GREEN)
        self.assertEqual(s.at(X + 100, Y + 4), WHITE)
        # The top-left and top-right corners keep 24 pixels; the side bands start below them.
        self.assertEqual(s.at(X + 3, Y + 23), RED)
        self.assertEqual(s.at(X + W - 1, Y + 23), BLUE)
        self.assertEqual(s.at(X, Y + 24), YELLOW)
        self.assertEqual(s.at(X + 3, Y + H - 5), YELLOW)
        self.assertEqual(s.at(X + W - 4, Y + 300), MAGENTA)
        self.assertEqual(s.at(X + 4, Y + 300), WHITE)
        self.assertEqual(s.at(X + W - 5, Y + 300), WHITE)
        self.assertEqual(s.at(X + W - 4, Y + 300 - 1), MAGENTA)
        self.assertEqual(s.at(X + 4, Y + H - 4), DARK_RED)
        self.assertEqual(s.at(X + W - 5, Y + H - 1), DARK_RED)
        self.assertEqual(s.at(X + 100, Y + H - 5), WHITE)

    def test_strip_moves_edges_resize_and_the_minimum_size_holds(self):
        host = self.start()
        X, Y, W, H = host.geometry()
        # The client's caption strip (y 5 to 23 inside the player) moves the window.
        host.drag((X + 300, Y + 12), (X + 400, Y + 62))
        self.assertEqual(host.wait_for_geometry((X + 100, Y + 50, W, H)), (X + 100, Y + 50, W, H))
        X, Y = X + 100, Y + 50
        # Below the strip the player gets the press and nothing moves.
        host.drag((X + 300, Y + 40), (X + 350, Y + 90))
        self.assertEqual(host.geometry(), (X, Y, W, H))
        # The bottom-right corner resizes; the top-left corner stays.
        host.drag((X + W - 2, Y + H - 2), (X + W + 148, Y + H + 78))
        expected = (X, Y, W + 150, H + 80)
        self.assertEqual(host.wait_for_geometry(expected), expected)
        W, H = W + 150, H + 80
        # The region follows the new size: the new bottom-right corner is cut.
        s = self.wait_painted(X + W - 2, Y + H - 2, GREY)
        self.assertEqual(s.at(X + W - 1, Y + H - 1), ROOT)
        self.assertEqual(s.at(X + W - 2, Y + H - 2), GREY)
        # Dragging the left edge far to the right stops at the minimum width; the right edge stays.
        right = X + W
        host.drag((X + 1, Y + 300), (X + 700, Y + 300))
        expected = (right - 1066, Y, 1066, H)
        self.assertEqual(host.wait_for_geometry(expected), expected)
        # The bottom edge cannot make it lower than 600.
        X = right - 1066
        host.drag((X + 500, Y + H - 1), (X + 500, Y + 100))
        expected = (X, Y, 1066, 600)
        self.assertEqual(host.wait_for_geometry(expected), expected)

    def test_window_actions_are_reported_not_carried_out(self):
        host = self.start()
        X, Y, W, H = host.geometry()
        run("xdotool", "mousemove", str(X + 500), str(Y + 300), "click", "1")
        self.assertTrue(host.wait_for_log("player: button 1"), host.log_lines())
        run("xdotool", "key", "--clearmodifiers", "alt+F4")
        self.assertTrue(host.wait_for_log("window: notify closeAppButton"), host.log_lines())
        self.assertTrue(host.movie_called("ControlAppWindowVC", "closeAppButton"),
                        host.log_lines())
        time.sleep(0.3)
        self.assertIsNone(host.process.poll())
        self.assertEqual(host.geometry(), (X, Y, W, H))
        # Return goes to the player and ends nothing.
        run("xdotool", "key", "Return")
        self.assertTrue(host.wait_for_log("player: key Return"), host.log_lines())
        self.assertIsNone(host.process.poll())
        # A right press never reaches the player.
        run("xdotool", "mousemove", str(X + 500), str(Y + 300), "click", "3")
        run("xdotool", "click", "1")
        self.assertTrue(host.wait_for_log("player: button 1"))
        self.assertNotIn("player: button 3", host.log_lines())
        # A double-click in the strip asks the movie to maximize; the window stays as it is.
        # Pressed and released as a hand does: the first press starts a move, which must be under
        # way before its release comes, or a loaded machine sees the release before the move.
        run("xdotool", "mousemove", str(X + 300), str(Y + 12), "mousedown", "1", "sleep", "0.12",
            "mouseup", "1", "sleep", "0.08", "mousedown", "1", "mouseup", "1")
        self.assertTrue(host.wait_for_log("window: notify maximizeAppButton"), host.log_lines())
        self.assertTrue(host.movie_called("ControlAppWindowVC", "maximizeAppButton"),
                        host.log_lines())
        self.assertEqual(host.geometry(), (X, Y, W, H))

    def test_placement_is_kept_across_runs_unless_it_is_off_screen(self):
        host = self.start()
        X, Y, W, H = host.geometry()
        host.drag((X + 300, Y + 12), (X + 100, Y - 88))
        moved = (X - 200, Y - 100, W, H)
        self.assertEqual(host.wait_for_geometry(moved), moved)
        host.stop()
        self.assertIn("window: placement 0,1,-1,-1,-1,-1,%d,%d,%d,%d" %
                      (X - 200, Y - 100, X - 200 + W, Y - 100 + H), host.log_lines())
        again = self.start()
        self.assertEqual(again.geometry(), moved)
        again.stop()
        # A placement on a monitor that is gone falls back to the centred default.
        registry = os.path.join(self.home, "config", "Oskarel", "registry.reg")
        with open(registry) as f:
            text = f.read()
        text = re.sub(r'"WindowPos"="[^"]*"', '"WindowPos"="0,1,-1,-1,-1,-1,2500,100,3566,700"',
                      text)
        with open(registry, "w") as f:
            f.write(text)
        third = self.start()
        self.assertEqual(third.geometry(), (427, 240, 1066, 600))


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def descendants(pid):
    out = run("ps", "-e", "-o", "pid=,ppid=,comm=", check=False)
    table = [line.split(None, 2) for line in out.splitlines() if line.strip()]
    found, frontier = [], {str(pid)}
    while frontier:
        children = [row for row in table if row[1] in frontier]
        found += children
        frontier = {row[0] for row in children}
    return [(int(row[0]), row[2]) for row in found]


class DesktopWithPlayer(unittest.TestCase):
    """The program with the real player and the test movie: Alt+F4 reaches the movie, which
    answers with the exit command, and the program ends in order."""

    def setUp(self):
        if not ARGS.ruffle or not os.path.exists(os.path.join(ARGS.ruffle, "ruffle.js")):
            self.skipTest("Ruffle is not installed in the program folder")
        self.home = tempfile.mkdtemp(prefix="pennoria-gui-player-")
        program = os.path.join(self.home, "program")
        make_skin(os.path.join(program, "skins", "frame"))
        shutil.copy(ARGS.probe, program)
        shutil.copytree(ARGS.ruffle, os.path.join(program, "ruffle"))
        shutil.copytree(ARGS.player_page, os.path.join(program, "player"))
        os.makedirs(os.path.join(program, "editor"))
        shutil.copy(ARGS.test_movie, os.path.join(program, "editor", "Pennoria.swf"))
        self.host = None

    def tearDown(self):
        if self.host:
            self.host.stop()
        shutil.rmtree(self.home, ignore_errors=True)

    def bridge_lines(self):
        path = os.path.join(self.home, "bridge.log")
        if not os.path.exists(path):
            return []
        with open(path) as f:
            return f.read().splitlines()

    def wait_bridge(self, predicate, timeout):
        deadline = time.time() + timeout
        while time.time() < deadline:
            for line in self.bridge_lines():
                if predicate(line):
                    return line
            time.sleep(0.05)
        return None

    def test_close_request_reaches_the_movie_which_ends_the_program(self):
        self.host = host = Host(self.home, stand_in=False)
        first = self.wait_bridge(lambda line: " request " in line, 120)
        self.assertIsNotNone(first, self.bridge_lines())
        print(f"\nstart to the movie's first request: {time.time() - host.started:.2f} s "
              "(measured when it was seen)", file=sys.stderr)
        memory = [("pennoria", rss_kib(host.process.pid))]
        memory += [(name, rss_kib(pid)) for pid, name in descendants(host.process.pid)]
        print("memory (RSS): " + ", ".join(f"{name} {kib // 1024} MiB" for name, kib in memory),
              file=sys.stderr)
        X, Y, W, H = host.geometry()
        run("xdotool", "mousemove", str(X + 500), str(Y + 300), "click", "1")
        run("xdotool", "key", "--clearmodifiers", "alt+F4")
        # The movie gets "closeAppButton" and answers with the exit command.
        self.assertIsNotNone(self.wait_bridge(
            lambda line: " hostcall " in line and "ControlAppWindowVC" in line and
            "closeAppButton" in line, 30), self.bridge_lines())
        self.assertIsNotNone(self.wait_bridge(
            lambda line: " request " in line and "ExitApplicationVC" in line, 30),
            self.bridge_lines())
        self.assertEqual(host.process.wait(timeout=60), 0)
        self.assertIn("window: placement 0,1,-1,-1,-1,-1,%d,%d,%d,%d" % (X, Y, X + W, Y + H),
                      host.log_lines())


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--ruffle", help="Ruffle's files, when installed")
    parser.add_argument("--player-page", help="the player page's folder")
    parser.add_argument("--test-movie", help="the movie that stands in for the editor")
    ARGS, rest = parser.parse_known_args()
    if not os.environ.get("DISPLAY"):
        print("needs a display: run through xvfb-run", file=sys.stderr)
        return 2
    # The server may still be coming up when the script starts.
    deadline = time.time() + 30
    while subprocess.run(["xdotool", "getdisplaygeometry"], capture_output=True).returncode:
        if time.time() > deadline:
            print("the display does not answer", file=sys.stderr)
            return 2
        time.sleep(0.2)
    result = unittest.main(argv=[sys.argv[0]] + rest, exit=False, verbosity=2).result
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
