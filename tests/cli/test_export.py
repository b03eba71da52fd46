#!/usr/bin/env python3
"""pennoria-cli export as a person uses it: an example exported as GIF, MP4, WebM, PNG and JPEG,
each file read back here with readers of our own (GIF blocks and pixels, MP4 boxes, WebM
elements, PNG pixels, JPEG frame header); the GIF's last frame against the backup image that
publishing writes; and the refusals, which name what is wrong and write nothing.

    test_export.py PROGRAM_FOLDER EXAMPLES_FOLDER"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib

PROGRAM = None
EXAMPLES = None


def read_gif(data):
    """The GIF's screen size, plays, frame delays (centiseconds) and its last picture as rows of
    (r, g, b), composed frame after frame as a viewer does."""
    return read_gif_frames(data, whole=True)


def read_gif_frames(data, whole=False):
    """Each frame's delay and picture as the viewer shows it; with whole, what read_gif says."""
    assert data[:6] == b"GIF89a", data[:6]
    width, height, flags = struct.unpack("<HHB", data[6:11])
    at = 13
    palette = None
    if flags & 0x80:
        size = 3 << ((flags & 7) + 1)
        palette = data[at:at + size]
        at += size
    canvas = [[(0, 0, 0)] * width for _ in range(height)]
    delays, plays, transparent, frames = [], 1, None, []
    while True:
        kind = data[at]
        at += 1
        if kind == 0x3B:
            break
        if kind == 0x21:
            label = data[at]
            at += 1
            blocks = []
            while data[at]:
                blocks.append(data[at + 1:at + 1 + data[at]])
                at += 1 + data[at]
            at += 1
            if label == 0xF9:
                packed, delay, index = struct.unpack("<BHB", blocks[0][:4])
                assert packed >> 2 & 7 in (0, 1), "a disposal the composer does not follow"
                delays.append(delay)
                transparent = index if packed & 1 else None
            elif label == 0xFF and blocks[0] == b"NETSCAPE2.0":
                plays = 1 + struct.unpack("<H", blocks[1][1:3])[0]
                assert plays > 1, "an endless loop"
            continue
        assert kind == 0x2C, hex(kind)
        left, top, w, h, local = struct.unpack("<HHHHB", data[at:at + 9])
        at += 9
        colours = palette
        if local & 0x80:
            size = 3 << ((local & 7) + 1)
            colours = data[at:at + size]
            at += size
        assert not local & 0x40, "interlaced"
        minimum = data[at]
        at += 1
        packed = bytearray()
        while data[at]:
            packed += data[at + 1:at + 1 + data[at]]
            at += 1 + data[at]
        at += 1
        indices = lzw_decode(bytes(packed), minimum, w * h)
        assert left + w <= width and top + h <= height
        for y in range(h):
            row = canvas[top + y]
            for x in range(w):
                i = indices[y * w + x]
                if i != transparent:
                    row[left + x] = tuple(colours[3 * i:3 * i + 3])
        frames.append((delays[-1], [list(row) for row in canvas]))
    if not whole:
        return frames
    return {"size": (width, height), "plays": plays, "delays": delays, "last": canvas}


def lzw_decode(data, minimum, count):
    clear, end = 1 << minimum, (1 << minimum) + 1
    table = [bytes([i]) for i in range(clear)] + [b"", b""]
    width, bits, value, previous = minimum + 1, 0, 0, None
    out = bytearray()
    for byte in data:
        value |= byte << bits
        bits += 8
        while bits >= width:
            code = value & ((1 << width) - 1)
            value >>= width
            bits -= width
            if code == clear:
                table, width, previous = table[:clear + 2], minimum + 1, None
                continue
            if code == end:
                return out[:count]
            if code < len(table):
                entry = table[code]
                if previous is not None:
                    table.append(previous + entry[:1])
            else:
                entry = previous + previous[:1]
                table.append(entry)
            out += entry
            previous = entry
            if len(table) == 1 << width and width < 12:
                width += 1
    return out[:count]


def read_png(data):
    """Rows of (r, g, b) of an 8-bit RGB or RGBA PNG (over white when it has alpha)."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    at, idat = 8, b""
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            assert depth == 8 and colour in (2, 6) and body[12] == 0
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    channels = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = previous[i]
            c = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(line[x * channels:x * channels + 3]) if channels == 3 else
                     tuple((line[x * 4 + k] * line[x * 4 + 3] + 255 * (255 - line[x * 4 + 3])) // 255
                           for k in range(3)) for x in range(width)])
        previous = line
    return rows


def jpeg_size(data):
    assert data[:2] == b"\xff\xd8"
    at = 2
    while at < len(data):
        marker, length = data[at + 1], struct.unpack(">H", data[at + 2:at + 4])[0]
        if marker in (0xC0, 0xC1, 0xC2):
            height, width = struct.unpack(">HH", data[at + 5:at + 9])
            return width, height
        at += 2 + length
    raise AssertionError("no frame header")


def mp4_boxes(data, start=0, end=None, path=""):
    """(path, offset, body) of every box, descending into the containers a player reads."""
    end = len(data) if end is None else end
    at, found = start, []
    while at + 8 <= end:
        size, kind = struct.unpack(">I4s", data[at:at + 8])
        header = 8
        if size == 1:
            size, header = struct.unpack(">Q", data[at + 8:at + 16])[0], 16
        assert size >= header and at + size <= end, (kind, size)
        name = path + "/" + kind.decode("latin-1")
        found.append((name, at, data[at + header:at + size]))
        if kind in (b"moov", b"trak", b"mdia", b"minf", b"stbl"):
            found += mp4_boxes(data, at + header, at + size, name)
        elif kind == b"stsd":
            found += mp4_boxes(data, at + header + 8, at + size, name)
        at += size
    return found


def differing(a, b, threshold=32):
    """The share of pixels that differ by more than threshold in some channel."""
    assert len(a) == len(b) and len(a[0]) == len(b[0])
    count = sum(1 for ra, rb in zip(a, b) for pa, pb in zip(ra, rb)
                if max(abs(x - y) for x, y in zip(pa, pb)) > threshold)
    return count / (len(a) * len(a[0]))


class Export(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="export-")
        self.addCleanup(shutil.rmtree, self.root, True)
        self.env = dict(os.environ, HOME=self.root, XDG_CONFIG_HOME=self.root + "/config",
                        XDG_DATA_HOME=self.root + "/data", PENNORIA_DEBUG_LOG="")
        self.out = os.path.join(self.root, "out")
        self.autumn = os.path.join(EXAMPLES, "autumn-sale", "autumn-sale.pbf")
        self.coffee = os.path.join(EXAMPLES, "coffee-launch", "coffee-launch.pbf")

    def cli(self, *arguments):
        return subprocess.run([os.path.join(PROGRAM, "pennoria-cli"), *arguments],
                              capture_output=True, text=True, env=self.env, timeout=600)

    def export(self, project, *options):
        run = self.cli("export", project, "--folder", self.out, *options)
        self.assertEqual(run.returncode, 0, run.stderr)
        return run

    def read(self, name):
        with open(os.path.join(self.out, name), "rb") as f:
            return f.read()

    def test_gif_meets_the_image_ad_rules_and_ends_on_the_backup_image(self):
        # The example: 6 s a loop, two loops, three sizes.
        run = self.export(self.autumn, "--format", "gif")
        self.assertEqual(sorted(os.listdir(self.out)), ["autumn-sale_160x600.gif",
                         "autumn-sale_300x250.gif", "autumn-sale_728x90.gif"])
        for size in ((300, 250), (728, 90), (160, 600)):
            name = "autumn-sale_%dx%d.gif" % size
            data = self.read(name)
            self.assertLessEqual(len(data), 150 * 1024, name)
            gif = read_gif(data)
            self.assertEqual(gif["size"], size)
            self.assertEqual(gif["plays"], 2)
            self.assertGreaterEqual(min(gif["delays"]), 20, name)  # at most 5 frames a second
            self.assertEqual(sum(gif["delays"]), 600, name)        # one loop, 6 s
            self.assertLessEqual(sum(gif["delays"]) * gif["plays"], 3000)
            # Frames where nothing moves are held, not repeated.
            self.assertLess(len(gif["delays"]), 30, name)
            self.assertIn(name, run.stdout)
        # The last frame is the backup image publishing draws.
        publish = self.cli("publish", self.autumn, "--folder", self.root + "/web", "--html5", "yes")
        self.assertEqual(publish.returncode, 0, publish.stderr)
        backups = [os.path.join(d, f) for d, _, files in os.walk(self.root + "/web")
                   for f in files if f.endswith("_backup.png") and "300x250" in d]
        self.assertEqual(len(backups), 1, backups)
        with open(backups[0], "rb") as f:
            backup = read_png(f.read())
        last = read_gif(self.read("autumn-sale_300x250.gif"))["last"]
        self.assertLessEqual(differing(last, backup), 0.03)
        # The PNG still defaults to the final frame, the same picture.
        self.export(self.autumn, "--format", "png", "--size", "300x250")
        self.assertLessEqual(differing(read_png(self.read("autumn-sale_300x250.png")), backup), 0.0)

    def test_gif_over_its_limit_is_refused_naming_the_size_and_leaves_no_file(self):
        run = self.cli("export", self.autumn, "--folder", self.out, "--format", "gif",
                       "--size", "728x90", "--max-kb", "2")
        self.assertEqual(run.returncode, 1)
        self.assertIn("728x90: the GIF cannot fit 2 KB", run.stderr)
        self.assertEqual(os.listdir(self.out), [])

    def test_videos_are_h264_with_the_index_first_and_vp9(self):
        # coffee-launch: 336x280 and 320x50.
        run = self.export(self.coffee, "--format", "mp4", "--size", "320x50")
        self.assertEqual(os.listdir(self.out), ["coffee-launch_320x50.mp4"])
        data = self.read("coffee-launch_320x50.mp4")
        boxes = mp4_boxes(data)
        top = [name for name, _, _ in boxes if name.count("/") == 1]
        self.assertEqual(top[0], "/ftyp")
        self.assertLess(top.index("/moov"), top.index("/mdat"))  # plays before it is loaded
        kinds = {name for name, _, _ in boxes}
        self.assertIn("/moov/trak/mdia/minf/stbl/stsd/avc1", kinds)
        avc1 = next(body for name, _, body in boxes if name.endswith("/avc1"))
        self.assertEqual(struct.unpack(">HH", avc1[24:28]), (320, 50))
        mdhd = next(body for name, _, body in boxes if name.endswith("/mdhd"))
        scale, duration = struct.unpack(">II", mdhd[12:20])
        stts = next(body for name, _, body in boxes if name.endswith("/stts"))
        samples = sum(struct.unpack(">II", stts[8 + 8 * i:16 + 8 * i])[0]
                      for i in range(struct.unpack(">I", stts[4:8])[0]))
        self.assertGreaterEqual(samples / (duration / scale), 24)
        self.assertIn("H.264", run.stdout)

        self.export(self.coffee, "--format", "webm", "--size", "336x280", "--fps", "24")
        data = self.read("coffee-launch_336x280.webm")
        self.assertEqual(data[:4], b"\x1a\x45\xdf\xa3")  # EBML
        self.assertIn(b"\x42\x82\x84webm", data[:64])   # DocType
        self.assertIn(b"\x86\x85V_VP9", data)           # CodecID
        # PixelWidth 336 and PixelHeight 280, each as a two-byte unsigned number.
        self.assertIn(b"\xb0\x82\x01\x50", data)
        self.assertIn(b"\xba\x82\x01\x18", data)

    def test_stills_at_a_moment_for_every_size(self):
        self.export(self.coffee, "--format", "jpg")
        self.assertEqual(jpeg_size(self.read("coffee-launch_336x280.jpg")), (336, 280))
        self.assertEqual(jpeg_size(self.read("coffee-launch_320x50.jpg")), (320, 50))
        self.export(self.autumn, "--format", "png", "--size", "300x250", "--at", "0.1")
        early = read_png(self.read("autumn-sale_300x250.png"))
        self.export(self.autumn, "--format", "png", "--size", "300x250")
        final = read_png(self.read("autumn-sale_300x250.png"))
        self.assertEqual(len(final), 250)
        self.assertGreater(differing(early, final), 0.05)  # the headline is not in yet

    def test_bad_input_names_what_is_wrong_and_writes_nothing(self):
        blocker = os.path.join(self.root, "a-file")
        with open(blocker, "w") as f:
            f.write("not a folder")
        not_project = os.path.join(self.root, "notes.xml")
        with open(not_project, "w") as f:
            f.write("<notes/>")
        cases = [
            (["--format", "bmp"], 'unknown format "bmp"'),
            (["--format", "gif", "--size", "100x100"], "no size 100x100"),
            (["--format", "png", "--size", "300 by 250"], 'the size "300 by 250"'),
            (["--format", "png", "--at", "12.5"], "the moment 12.5 s is outside the timeline"),
            (["--format", "jpg", "--at", "-1"], "outside the timeline"),
            (["--format", "png", "--at", "soon"], 'the moment "soon"'),
            (["--format", "gif", "--at", "1"], "a moment (--at) is for png and jpg"),
            (["--format", "gif", "--fps", "10"], "a GIF plays 1 to 5 frames a second, not 10"),
            (["--format", "mp4", "--fps", "12"], "a video plays 24 to 60"),
            (["--format", "png", "--folder", blocker], "is not a folder"),
            (["--format", "png", "--folder", blocker + "/sub"], "cannot be created"),
        ]
        for options, message in cases:
            with self.subTest(options=options):
                folder = [] if "--folder" in options else ["--folder", self.out]
                run = self.cli("export", self.autumn, *folder, *options)
                self.assertEqual(run.returncode, 2, run.stderr)
                self.assertIn(message, run.stderr)
                self.assertFalse(os.path.exists(self.out))
        for project, message in ((not_project, "not a project file"),
                                 (self.root + "/missing.pbf", "cannot read the project")):
            run = self.cli("export", project, "--folder", self.out, "--format", "png")
            self.assertEqual(run.returncode, 2, run.stderr)
            self.assertIn(message, run.stderr)
        self.assertFalse(os.path.exists(self.out))


if __name__ == "__main__":
    EXAMPLES = sys.argv.pop(2)
    PROGRAM = sys.argv.pop(1)
    unittest.main()
