#!/usr/bin/env python3
"""Exported frames look like the creative: an example is published (its HTML5 creative) and
exported as PNG stills at a few moments, as an animated GIF and as MP4 and WebM videos; Chromium
plays the creative with its clock held, so that each shot is the creative at exactly that moment.
A still at t, the GIF's frame showing t, and the GIF's last frame against the backup image may
each differ from the creative in at most 3 % of the pixels by more than 32 in a channel; a video's
frame showing t, and its last frame against the backup image, in at most 5 %. The videos are
decoded by FFmpeg's libraries (the video_frames helper), not by a program of theirs.

Prints each comparison's figure; fails when one is over the bound.

usage: test_export_parity.py PROGRAM_DIR PENNORIA_CLI EXAMPLES_DIR VIDEO_FRAMES
"""

import base64
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "cli"))
import browser  # noqa: E402
from test_export import read_gif_frames, read_png  # noqa: E402

LIMIT = 0.03
VIDEO_LIMIT = 0.05
VIDEO_FPS = 30  # the exports' default
VIDEOS = ("mp4", "webm")
SIZE = (300, 250)
# On the GIF's grid of 0.2 s, so that its frame shows the very moment.
MOMENTS = (0.4, 1.0, 2.2, 3.0)

# The creative reads its clock through performance.now; held at 0 until the test moves it, the
# banner starts at 0 whenever it starts, and each moment is drawn on the next animation frame.
HELD_CLOCK = """(() => {
  let held = 0;
  performance.now = () => held;
  const request = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = (f) => { window.pennoriaPlaying = true; return request(f); };
  window.pennoriaHold = (ms) => { held = ms; return new Promise(
      (done) => request(() => request(() => done(true)))); };
})();"""


def share_far(a, b):
    """The share of pixels differing by more than 32 in a channel; a as rows of (r, g, b)."""
    far = 0
    for y in range(b.height):
        for x in range(b.width):
            if max(abs(u - v) for u, v in zip(a[y][x], b.pixel(x, y))) > 32:
                far += 1
    return far / float(b.width * b.height)


def read_ppm(data):
    """A binary PPM's pixels as rows of (r, g, b)."""
    fields, at = [], 0
    while len(fields) < 4:
        while data[at:at + 1].isspace():
            at += 1
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    width, height = int(fields[1]), int(fields[2])
    body = data[at + 1:]
    assert fields[0] == b"P6" and len(body) >= width * height * 3, "not a whole PPM"
    return [[tuple(body[(y * width + x) * 3:(y * width + x) * 3 + 3]) for x in range(width)]
            for y in range(height)]


def video_frames(helper, video, folder, fractions):
    """The video's frames nearest each fraction of its play, decoded by the helper."""
    done = subprocess.run([helper, video, folder, *["%.6f" % f for f in fractions]],
                          capture_output=True, text=True)
    if done.returncode != 0:
        raise AssertionError("video_frames failed: %s" % done.stderr)
    frames = []
    for n in range(1, len(fractions) + 1):
        with open(os.path.join(folder, "frame-%d.ppm" % n), "rb") as f:
            frames.append(read_ppm(f.read()))
    return frames


def wait_until(chromium, expression, seconds=60):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if chromium.evaluate(expression):
            return
        time.sleep(0.05)
    raise AssertionError("the page never reached: " + expression)


def main():
    program, cli, examples, helper = [os.path.abspath(p) for p in sys.argv[1:5]]
    if browser.find_chromium() is None:
        print("chromium is not installed")
        return browser.SKIP
    project = os.path.join(examples, "autumn-sale", "autumn-sale.pbf")
    figures, problems = [], []
    with tempfile.TemporaryDirectory(prefix="pennoria-parity-") as root:
        env = dict(os.environ, HOME=root, XDG_CONFIG_HOME=os.path.join(root, "config"),
                   XDG_DATA_HOME=os.path.join(root, "data"))
        # One loop, so that the creative's final frame is the backup image's moment.
        copy = os.path.join(root, "project")
        shutil.copytree(os.path.dirname(project), copy)
        project = os.path.join(copy, os.path.basename(project))
        with open(project, encoding="utf-8") as f:
            text = re.sub(r'\bloops="\d+"', 'loops="1"', f.read(), count=1)
        length = int(re.search(r'\blength="(\d+)"', text).group(1)) / 1000.0
        with open(project, "w", encoding="utf-8") as f:
            f.write(text)

        def run(*arguments):
            done = subprocess.run([cli, *arguments], capture_output=True, text=True, env=env)
            if done.returncode != 0:
                raise AssertionError("%s failed: %s" % (arguments[0], done.stderr))

        run("publish", project, "--folder", os.path.join(root, "web"), "--html5", "yes")
        size = "%dx%d" % SIZE
        out = os.path.join(root, "out")
        run("export", project, "--folder", out, "--format", "gif", "--size", size)
        with open(os.path.join(out, "autumn-sale_%s.gif" % size), "rb") as f:
            gif = read_gif_frames(f.read())
        # Each video's frames at the moments (frame k, shown at k / fps, shows that moment;
        # the helper takes the frame at a fraction of the frames), and its last.
        count = round(length * VIDEO_FPS)
        videos = {}
        for kind in VIDEOS:
            run("export", project, "--folder", out, "--format", kind, "--size", size)
            frames = os.path.join(root, "frames-" + kind)
            os.makedirs(frames)
            videos[kind] = video_frames(helper, os.path.join(out, "autumn-sale_%s.%s" % (size, kind)),
                                        frames, [m * VIDEO_FPS / (count - 1) for m in MOMENTS] + [1.0])
        stills = {}
        keep = os.environ.get("PENNORIA_TEST_SCREENSHOTS")
        for moment in MOMENTS:
            run("export", project, "--folder", out, "--format", "png", "--size", size,
                "--at", str(moment))
            still = os.path.join(out, "autumn-sale_%s.png" % size)
            with open(still, "rb") as f:
                stills[moment] = read_png(f.read())
            if keep:
                os.makedirs(keep, exist_ok=True)
                shutil.copy(still, os.path.join(keep, "still-%.1f.png" % moment))
        banner = os.path.join(root, "web", "banner")
        with open(os.path.join(banner, "banner_backup.png"), "rb") as f:
            backup = browser.Image.from_png(f.read())

        server = browser.Server(root)
        chromium = browser.Browser(*SIZE)
        try:
            chromium.call("Page.addScriptToEvaluateOnNewDocument", session=True, source=HELD_CLOCK)
            chromium.navigate(server.url(os.path.relpath(os.path.join(banner, "html5/index.html"),
                                                         root)))
            wait_until(chromium, "window.pennoriaPlaying === true")
            for moment in MOMENTS:
                chromium.call("Runtime.evaluate", session=True, awaitPromise=True,
                              expression="pennoriaHold(%f)" % (moment * 1000))
                shot = browser.Image.from_png(base64.b64decode(chromium.call(
                    "Page.captureScreenshot", session=True, format="png")["data"]))
                # The GIF frame that is on screen at this moment.
                elapsed, frame = 0, gif[0]
                for delay, picture in gif:
                    if elapsed > round(moment * 100):
                        break
                    frame = picture
                    elapsed += delay
                if keep:
                    shot.save(os.path.join(keep, "creative-%.1f.png" % moment))
                compared = [("png still", stills[moment], LIMIT), ("gif frame", frame, LIMIT)]
                compared += [(kind + " frame", videos[kind][MOMENTS.index(moment)], VIDEO_LIMIT)
                             for kind in VIDEOS]
                for label, picture, limit in compared:
                    far = share_far(picture, shot)
                    figures.append("%s at %.1f s vs the creative: %.2f %% of pixels differ by "
                                   "more than 32" % (label, moment, 100 * far))
                    if far > limit:
                        problems.append("%s at %.1f s" % (label, moment))
            lasts = [("gif", gif[-1][1], LIMIT)] + [(kind, videos[kind][-1], VIDEO_LIMIT) for kind in VIDEOS]
            for label, picture, limit in lasts:
                far = share_far(picture, backup)
                figures.append("%s last frame vs the backup image: %.2f %%" % (label, 100 * far))
                if far > limit:
                    problems.append("%s last frame vs the backup image" % label)
            problems += ["script: %s" % e for e in chromium.script_errors()
                         if "favicon.ico" not in e]
        finally:
            chromium.close()
            server.stop()
    return browser.report(figures, problems)


if __name__ == "__main__":
    sys.exit(main())
