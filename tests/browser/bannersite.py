"""Builds published-looking folders for the browser tests: movies, project XML, images."""

import os
import re
import shutil
import subprocess
import zlib

import browser

STAGE_BACKGROUND = (0x20, 0x24, 0x2C)

# A picture in four quadrants: where each colour lands shows how the picture was fitted.
RED, GREEN, BLUE, YELLOW = (220, 30, 30), (30, 200, 30), (30, 30, 220), (230, 210, 20)


def write_quadrants(path, width, height):
    def colour(x, y):
        if y < height // 2:
            return RED if x < width // 2 else GREEN
        return BLUE if x < width // 2 else YELLOW
    browser.write_png(path, width, height, colour)


def project_xml(width, height, img, extra="", attributes=""):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<template demoWidth="%d" demoHeight="%d" img="%s"%s>\n'
            '  <component><info url="res/template.swf"/></component>\n%s'
            '</template>\n' % (width, height, img, attributes, extra))


def _encode_rect(width, height):
    values = [0, width * 20, 0, height * 20]
    nbits = max(max(v.bit_length() for v in values) + 1, 1)
    bits = format(nbits, "05b") + "".join(format(v, "0%db" % nbits) for v in values)
    bits += "0" * (-len(bits) % 8)
    return bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))


def python_resize(path, width, height):
    """Rewrites a movie's stage rectangle (used when pennoria-cli has no swf command)."""
    with open(path, "rb") as f:
        data = f.read()
    compressed = data[:1] == b"C"
    body = zlib.decompress(data[8:]) if compressed else data[8:]
    nbits = body[0] >> 3
    old_len = (5 + 4 * nbits + 7) // 8
    body = _encode_rect(width, height) + body[old_len:]
    header = data[:4] + (8 + len(body)).to_bytes(4, "little")
    with open(path, "wb") as f:
        f.write(header + (zlib.compress(body) if compressed else body))


def cli_has(cli, *command):
    """Whether pennoria-cli offers a (sub)command: each level's help lists the next word."""
    if not cli or not os.path.exists(cli):
        return False
    for depth, word in enumerate(command):
        run = subprocess.run([cli, *command[:depth], "--help"], stdout=subprocess.PIPE,
                             stderr=subprocess.STDOUT, text=True)
        if not re.search(r"^\s+%s\b" % re.escape(word), run.stdout, re.MULTILINE):
            return False
    return True


def cli_has_option(cli, command, option):
    """Whether a pennoria-cli subcommand's help lists option."""
    if not cli_has(cli, command):
        return False
    run = subprocess.run([cli, command, "--help"], stdout=subprocess.PIPE,
                         stderr=subprocess.STDOUT, text=True)
    return re.search(r"^\s+%s\b" % re.escape(option), run.stdout, re.MULTILINE) is not None


def resize(cli, path, width, height):
    """Resizes with `pennoria-cli swf resize` when it exists; says which was used."""
    if cli_has(cli, "swf", "resize"):
        subprocess.run([cli, "swf", "resize", path, str(width), str(height)], check=True,
                       stdout=subprocess.DEVNULL)
        return "pennoria-cli swf resize"
    python_resize(path, width, height)
    return "python"


def link_ruffle(site, program):
    """The player's folder as publishing writes it: a WebAssembly build with a compressed copy
    beside it is left out, so that pages play from the copy."""
    player = os.path.abspath(os.path.join(program, "ruffle"))
    os.mkdir(os.path.join(site, "ruffle"))
    for name in os.listdir(player):
        if not (name.endswith(".wasm") and os.path.exists(os.path.join(player, name + ".gz"))):
            os.symlink(os.path.join(player, name), os.path.join(site, "ruffle", name))


def ruffle_head(config_extra=""):
    """Script tags that add the Ruffle polyfill, configured to start at once without overlays."""
    return ('<link rel="icon" href="data:,">'
            '<script>window.RufflePlayer = window.RufflePlayer || {}; '
            'window.RufflePlayer.config = {autoplay: "on", unmuteOverlay: "hidden", '
            'splashScreen: false, contextMenu: "off", warnOnUnsupportedContent: false%s};'
            '</script><script src="/ruffle/wasm-fetch.js"></script>'
            '<script src="/ruffle/ruffle.js"></script>' % config_extra)


def add_ruffle(page_path):
    """Puts the Ruffle polyfill first in a page's head, before any other script."""
    with open(page_path, encoding="utf-8") as f:
        text = f.read()
    at = text.index("<head>") + len("<head>")
    with open(page_path, "w", encoding="utf-8") as f:
        f.write(text[:at] + ruffle_head() + text[at:])


def copy(src, dst):
    os.makedirs(os.path.dirname(dst), exist_ok=True)
    shutil.copyfile(src, dst)
