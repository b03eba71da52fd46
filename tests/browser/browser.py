"""Headless Chromium driven over the DevTools pipe, a local web server, and PNG pixel access.

Used by the browser tests: serve a folder on 127.0.0.1, open a page, collect script errors,
take screenshots until the expected picture appears (or a generous limit passes), read pixels.
"""

import base64
import fcntl
import functools
import http.server
import json
import os
import shutil
import struct
import subprocess
import tempfile
import threading
import time
import zlib

SKIP = 77  # exit code CTest is told means "skipped"


def find_chromium():
    for name in ("chromium", "chromium-browser", "google-chrome"):
        path = shutil.which(name)
        if path:
            return path
    return None


class _QuietHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map)
    extensions_map.update({
        ".wasm": "application/wasm",
        ".swf": "application/x-shockwave-flash",
        ".js": "text/javascript",
        ".xml": "text/xml",
        ".html": "text/html; charset=utf-8",
    })

    def log_message(self, *args):
        pass


class _GzipCodingHandler(_QuietHandler):
    """Sends a ".gz" file as gzip content coding, as many servers' default setups do: the
    browser then hands the page the unpacked bytes."""

    def end_headers(self):
        if self.path.split("?")[0].endswith(".gz"):
            self.send_header("Content-Encoding", "gzip")
        super().end_headers()


class _Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        # A page left while it still loads drops its connections; that is no failure.
        pass


class Server:
    """Serves one folder on an ephemeral port of 127.0.0.1 until stopped."""

    def __init__(self, root, gzip_coding=False):
        handler = functools.partial(_GzipCodingHandler if gzip_coding else _QuietHandler,
                                    directory=root)
        self.httpd = _Server(("127.0.0.1", 0), handler)
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def url(self, path):
        return "http://127.0.0.1:%d/%s" % (self.httpd.server_address[1], path.lstrip("/"))

    def stop(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class Browser:
    """One headless Chromium with a fresh profile, spoken to over --remote-debugging-pipe."""

    def __init__(self, width, height, extra_args=()):
        exe = find_chromium()
        if exe is None:
            raise RuntimeError("chromium is not installed")
        self.profile = tempfile.mkdtemp(prefix="pennoria-chromium-")
        to_browser_r, self._to_browser = os.pipe()
        self._from_browser, from_browser_w = os.pipe()
        args = [exe, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                "--no-first-run", "--disable-background-networking",
                "--disable-component-update", "--disable-sync", "--disable-extensions",
                "--user-data-dir=" + self.profile, "--remote-debugging-pipe",
                "--autoplay-policy=no-user-gesture-required", "--hide-scrollbars",
                "--force-device-scale-factor=1", "--mute-audio", "--lang=en-US",
                "--window-size=%d,%d" % (width, height)] + list(extra_args) + ["about:blank"]

        # Chromium reads commands from descriptor 3 and answers on 4; our pipe ends are
        # close-on-exec, the duplicates made here are not.
        def wire_pipes():
            # Move both ends out of the way first: dup2 onto the same number would keep the
            # close-on-exec flag.
            read_end = fcntl.fcntl(to_browser_r, fcntl.F_DUPFD, 10)
            write_end = fcntl.fcntl(from_browser_w, fcntl.F_DUPFD, 10)
            os.dup2(read_end, 3)
            os.dup2(write_end, 4)

        self.log_path = os.path.join(self.profile, "chromium.log")
        self._log = open(self.log_path, "wb")
        self.proc = subprocess.Popen(args, preexec_fn=wire_pipes,
                                     stdin=subprocess.DEVNULL, stdout=self._log,
                                     stderr=subprocess.STDOUT, close_fds=False)
        os.close(to_browser_r)
        os.close(from_browser_w)
        self._buffer = b""
        self._next_id = 0
        self.events = []
        self.width, self.height = width, height
        targets = self.call("Target.getTargets")["targetInfos"]
        page = next(t for t in targets if t["type"] == "page")
        self.session = self.call("Target.attachToTarget", targetId=page["targetId"],
                                 flatten=True)["sessionId"]
        for domain in ("Page.enable", "Runtime.enable", "Log.enable"):
            self.call(domain, session=True)
        self.call("Emulation.setDeviceMetricsOverride", session=True, width=width,
                  height=height, deviceScaleFactor=1, mobile=False)

    def log_tail(self, lines=30):
        try:
            with open(self.log_path, "rb") as f:
                return b"\n".join(f.read().splitlines()[-lines:]).decode(errors="replace")
        except OSError:
            return ""

    def _send(self, message):
        data = json.dumps(message).encode() + b"\0"
        try:
            while data:
                data = data[os.write(self._to_browser, data):]
        except BrokenPipeError:
            raise RuntimeError("chromium is gone:\n" + self.log_tail()) from None

    def _receive(self, deadline):
        while b"\0" not in self._buffer:
            if time.monotonic() > deadline:
                raise TimeoutError("no answer from chromium")
            chunk = os.read(self._from_browser, 1 << 16)
            if not chunk:
                raise RuntimeError("chromium closed its pipe:\n" + self.log_tail())
            self._buffer += chunk
        raw, self._buffer = self._buffer.split(b"\0", 1)
        return json.loads(raw)

    def call(self, method, session=False, timeout=60, **params):
        self._next_id += 1
        message = {"id": self._next_id, "method": method, "params": params}
        if session:
            message["sessionId"] = self.session
        self._send(message)
        deadline = time.monotonic() + timeout
        while True:
            answer = self._receive(deadline)
            if answer.get("id") == self._next_id:
                if "error" in answer:
                    raise RuntimeError("%s failed: %s" % (method, answer["error"]))
                return answer.get("result", {})
            if "method" in answer:
                self.events.append(answer)

    def navigate(self, url, timeout=60):
        """Opens url and waits for its load event."""
        seen = len(self.events)
        self.call("Page.navigate", session=True, url=url)
        deadline = time.monotonic() + timeout
        while not any(e.get("method") == "Page.loadEventFired" for e in self.events[seen:]):
            self.events.append(self._receive(deadline))

    def click(self, x, y):
        for kind in ("mousePressed", "mouseReleased"):
            self.call("Input.dispatchMouseEvent", session=True, type=kind, x=x, y=y,
                      button="left", clickCount=1)

    def wait_for_new_page(self, url_part, limit=60.0):
        """Waits until a page whose address contains url_part is opened (a popup, say)."""
        self.call("Target.setDiscoverTargets", discover=True)
        deadline = time.monotonic() + limit
        while time.monotonic() < deadline:
            for event in self.events:
                info = event.get("params", {}).get("targetInfo", {})
                if event.get("method") in ("Target.targetCreated", "Target.targetInfoChanged") \
                        and info.get("type") == "page" and url_part in info.get("url", ""):
                    return True
            self.call("Target.getTargets")  # lets the events arrive
            time.sleep(0.2)
        return False

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", session=True, expression=expression,
                           returnByValue=True)
        return result.get("result", {}).get("value")

    def script_errors(self):
        """Uncaught exceptions and console/log errors seen so far."""
        errors = []
        for event in self.events:
            method, params = event.get("method"), event.get("params", {})
            if method == "Runtime.exceptionThrown":
                details = params.get("exceptionDetails", {})
                text = details.get("exception", {}).get("description") or details.get("text")
                errors.append("exception: %s" % text)
            elif method == "Runtime.consoleAPICalled" and params.get("type") == "error":
                errors.append("console.error: %s" % " ".join(
                    str(a.get("value", a.get("description", ""))) for a in params.get("args", [])))
            elif method == "Log.entryAdded":
                entry = params.get("entry", {})
                if entry.get("level") == "error":
                    errors.append("log: %s %s" % (entry.get("text"), entry.get("url", "")))
        return errors

    def transferred(self, since=0):
        """Bytes received over the network (as sent, before any content decoding) by the
        requests finished among the events from index since; needs Network.enable."""
        return sum(e["params"].get("encodedDataLength", 0) for e in self.events[since:]
                   if e.get("method") == "Network.loadingFinished")

    def save_screenshot(self, path):
        data = self.call("Page.captureScreenshot", session=True, format="png")["data"]
        with open(path, "wb") as out:
            out.write(base64.b64decode(data))

    def screenshot(self, scale=0.5):
        """The viewport, scaled down (cheap to take and to decode on a busy machine)."""
        data = self.call("Page.captureScreenshot", session=True, format="png",
                         captureBeyondViewport=False,
                         clip={"x": 0, "y": 0, "width": self.width, "height": self.height,
                               "scale": scale})["data"]
        return Image.from_png(base64.b64decode(data))

    def wait_for_pixels(self, expected, limit=90.0, pause=0.3, scale=0.5):
        """Polls until every (x, y) -> colour of expected is shown; returns the mismatches.

        Points should lie inside areas of one colour, a few pixels from their edges, since the
        screenshots are scaled down."""
        deadline = time.monotonic() + limit
        while True:
            image = self.screenshot(scale)
            wrong = {}
            for (x, y), colour in expected.items():
                seen = image.pixel(min(int(x * scale), image.width - 1),
                                   min(int(y * scale), image.height - 1))
                if not near(seen, colour):
                    wrong[(x, y)] = (seen, colour)
            if not wrong or time.monotonic() > deadline:
                return wrong
            time.sleep(pause)

    def close(self):
        try:
            self._send({"id": 0, "method": "Browser.close", "params": {}})
            self.proc.wait(timeout=10)
        except Exception:
            self.proc.kill()
            self.proc.wait()
        os.close(self._to_browser)
        os.close(self._from_browser)
        self._log.close()
        shutil.rmtree(self.profile, ignore_errors=True)


class Image:
    """An 8-bit RGB(A) picture decoded from PNG."""

    def __init__(self, width, height, channels, rows):
        self.width, self.height, self.channels, self.rows = width, height, channels, rows

    @staticmethod
    def from_png(data):
        if data[:8] != b"\x89PNG\r\n\x1a\n":
            raise ValueError("not a PNG")
        pos, idat = 8, b""
        width = height = channels = None
        while pos + 8 <= len(data):
            length, kind = struct.unpack(">I4s", data[pos:pos + 8])
            body = data[pos + 8:pos + 8 + length]
            pos += 12 + length
            if kind == b"IHDR":
                width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
                if depth != 8 or interlace != 0 or colour not in (2, 6):
                    raise ValueError("unsupported PNG layout")
                channels = 3 if colour == 2 else 4
            elif kind == b"IDAT":
                idat += body
            elif kind == b"IEND":
                break
        raw = zlib.decompress(idat)
        stride = width * channels
        rows, previous, at = [], bytearray(stride), 0
        for _ in range(height):
            kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
            at += 1 + stride
            for i in range(stride):
                left = line[i - channels] if i >= channels else 0
                up = previous[i]
                corner = previous[i - channels] if i >= channels else 0
                if kind == 1:
                    line[i] = (line[i] + left) & 255
                elif kind == 2:
                    line[i] = (line[i] + up) & 255
                elif kind == 3:
                    line[i] = (line[i] + (left + up) // 2) & 255
                elif kind == 4:
                    p = left + up - corner
                    pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                    pred = left if pa <= pb and pa <= pc else (up if pb <= pc else corner)
                    line[i] = (line[i] + pred) & 255
            rows.append(bytes(line))
            previous = line
        return Image(width, height, channels, rows)

    def pixel(self, x, y):
        at = x * self.channels
        return tuple(self.rows[y][at:at + 3])

    def save(self, path):
        def chunk(kind, body):
            return (struct.pack(">I", len(body)) + kind + body +
                    struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
        raw = b"".join(b"\0" + row for row in self.rows)
        colour = 2 if self.channels == 3 else 6
        with open(path, "wb") as out:
            out.write(b"\x89PNG\r\n\x1a\n")
            out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8,
                                                 colour, 0, 0, 0)))
            out.write(chunk(b"IDAT", zlib.compress(raw)))
            out.write(chunk(b"IEND", b""))


def near(colour, expected, tolerance=24):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, expected))


def write_png(path, width, height, colour_at):
    """Writes an RGB PNG whose pixel (x, y) is colour_at(x, y)."""
    rows = [bytes(c for x in range(width) for c in colour_at(x, y)) for y in range(height)]
    Image(width, height, 3, rows).save(path)


def report(figures, problems):
    """Prints a test's figures, then its failures; answers the exit status."""
    for line in figures:
        print(line)
    for line in problems:
        print("FAIL: " + line)
    return 1 if problems else 0
