#!/usr/bin/env python3
"""Texts in other scripts: a banner with a Chinese, an Arabic, a mixed-direction, a Thai and a
Devanagari (Hindi) text is published with pennoria-cli; its HTML5 creative (Chromium) and its backup image (the host's
painter) must both draw every text with real glyphs (Chromium reports the faces it set each text
in: the cuts the creative carries, not a fallback of the machine; neither image is blank there)
and agree in where the ink lies, line by line, so that words come out in the same order. The
cuts of the Thai and Devanagari faces keep the layout features these texts are shaped with,
without which their marks and conjuncts come out wrong in the creative. The SWF banner (under the
Ruffle copy beside its pages), whose player cannot set these scripts, shows the host's pictures of
the texts in their places: ink on every line, where the backup image has it. A
banner with thousands of Chinese characters is over the creative's limit, and the publish says
the face for them is why.

usage: test_scripts_agree.py PROGRAM_DIR PENNORIA_CLI
"""

import base64
import os
import re
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import browser  # noqa: E402
from test_examples_agree import difference, final_creative_shot, settled_shot  # noqa: E402

WIDTH, HEIGHT = 480, 360
SIZE, LINE = 28, 36

# id, text, align, box (x, y, width, lines), the faces Chromium must have set some of it in (every
# face it used must be one the creative carries).
TEXTS = [
    ("zh", "春季大促销，全场五折", "left", (16, 12, 448, 1), {"WenQuanYi Micro Hei"}),
    ("ar", "تخفيضات الربيع الكبرى", "right", (16, 64, 448, 1), {"DejaVu Sans"}),
    # Two lines, broken at the space: marks stacked on a letter (น้ำ, ทั้ง), a vowel before its
    # consonant (โ, เ).
    ("th", "โปรโมชั่นส่งท้ายปี ลดราคาน้ำหอมทั้งร้าน", "left", (16, 216, 448, 2), {"Loma"}),
    # A vowel sign drawn before its consonant (दि), a conjunct (स्ट), a nukta (क़).
    ("hi", "दिवाली सेल: स्टोर में आधी क़ीमत", "center", (16, 304, 448, 1), {"Lohit Devanagari"}),
    # The first line runs left to right (its first strong letter is Latin), the second right to
    # left: its English words stand left of the Arabic one.
    ("mixed", "Sale تخفيض 50%\nتخفيض Sale 50%", "center", (16, 128, 448, 2),
     {"Liberation Sans", "DejaVu Sans"}),
]
# The layout features the Thai and Devanagari texts are shaped with (stacked marks; half forms,
# nukta forms, marks above and below), which the cuts must keep.
SHAPING = {
    "Loma": {("GSUB", "ccmp"), ("GPOS", "mark"), ("GPOS", "mkmk")},
    "Lohit Devanagari": {("GSUB", "half"), ("GSUB", "nukt"), ("GSUB", "pres"), ("GPOS", "abvm"),
                         ("GPOS", "blwm")},
}
# The Arabic text slides in: the SWF banner's picture of it moves with its layer.
ENTER = {"ar": '<enter type="slide" from="left" delay="0" duration="300" easing="linear"/>'}


def project(texts, background="#FFFFFF"):
    elements = ""
    for ident, text, align, (x, y, w, lines), _ in texts:
        label = text.replace("&", "&amp;").replace("<", "&lt;")
        elements += (
            '<text id="%s" x="%d" y="%d" width="%d" height="%d" opacity="1" '
            'font="Liberation Sans" size="%d" bold="false" italic="false" color="#101010" '
            'align="%s" lineHeight="%g"><label>%s</label>%s</text>\n' % (
                ident, x, y, w, lines * LINE + 8, SIZE, align, LINE / SIZE, label,
                ENTER.get(ident, "")))
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<template version="2" demoWidth="%d" demoHeight="%d" bgColor="%s" length="1000" '
            'loops="1"><component><info url="res/template.swf"/></component>'
            '<elements>%s</elements><sizes><size width="%d" height="%d"/></sizes></template>\n'
            % (WIDTH, HEIGHT, background, elements, WIDTH, HEIGHT))


def publish(cli, folder, text, env, swf=False):
    os.makedirs(folder)
    path = os.path.join(folder, "scripts.pbf")
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)
    out = os.path.join(folder, "out")
    outputs = ["--out-mode", "1", "--embed-mode", "0", "--player", "bundled"] if swf else [
        "--no-swf"]
    run = subprocess.run([cli, "publish", path, "--folder", out] + outputs,
                         stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=env)
    return os.path.join(out, "banner"), run


def ink_columns(image, x0, y0, width, height):
    """Per column of the rectangle, how many pixels are dark (text on white)."""
    counts = []
    for x in range(x0, x0 + width):
        counts.append(sum(1 for y in range(y0, y0 + height) if max(image.pixel(x, y)[:3]) < 128))
    return counts


def profile_distance(a, b):
    """How far apart two ink profiles are: 0 the same, 1 nothing in common."""
    total = sum(a) + sum(b)
    return sum(abs(u - v) for u, v in zip(a, b)) / float(total) if total else 1.0


def carried_faces(html5):
    """The faces the creative's style sheet carries: {family: the font file's bytes}."""
    with open(os.path.join(html5, "fonts.css"), encoding="utf-8") as f:
        css = f.read()
    return {m.group(1): base64.b64decode(m.group(2)) for m in re.finditer(
        r'font-family: "([^"]+)";\s*src: url\(data:font/ttf;base64,([A-Za-z0-9+/=]+)\)', css)}


def layout_features(face):
    """The GSUB and GPOS feature tags of a TrueType face (bytes), and its glyph count, read from
    its table directory."""
    tables = {}
    for i in range(struct.unpack(">H", face[4:6])[0]):
        tag, _, offset, length = struct.unpack(">4sIII", face[12 + 16 * i:28 + 16 * i])
        tables[tag.decode("latin-1")] = face[offset:offset + length]
    tags = set()
    for name in ("GSUB", "GPOS"):
        table = tables.get(name)
        if not table:
            continue
        features = struct.unpack(">H", table[6:8])[0]
        count = struct.unpack(">H", table[features:features + 2])[0]
        for i in range(count):
            at = features + 2 + 6 * i
            tags.add((name, table[at:at + 4].decode("latin-1")))
    return tags, struct.unpack(">H", tables["maxp"][4:6])[0]


def system_face(family):
    run = subprocess.run(["fc-match", "-f", "%{file}", family], stdout=subprocess.PIPE, text=True)
    return run.stdout if run.returncode == 0 and os.path.isfile(run.stdout) else None


def fonts_used(chromium, selector):
    """The faces Chromium set the text under selector in: {family: custom?}."""
    root = chromium.call("DOM.getDocument", session=True)["root"]["nodeId"]
    node = chromium.call("DOM.querySelector", session=True, nodeId=root,
                         selector=selector)["nodeId"]
    if not node:
        return None
    fonts = chromium.call("CSS.getPlatformFontsForNode", session=True, nodeId=node)["fonts"]
    return {f["familyName"]: f["isCustomFont"] for f in fonts if f["glyphCount"] > 0}


def main():
    program, cli = [os.path.abspath(p) for p in sys.argv[1:3]]
    if browser.find_chromium() is None:
        print("chromium is not installed")
        return browser.SKIP
    if not os.path.isfile(os.path.join(program, "ruffle", "ruffle.js")):
        print("Ruffle is not beside the program")
        return browser.SKIP
    problems, figures = [], []
    with tempfile.TemporaryDirectory(prefix="pennoria-scripts-") as root:
        root = os.path.realpath(root)
        env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(root, "config"),
                   XDG_DATA_HOME=os.path.join(root, "data"))

        # Thousands of different characters: their face cannot fit, and the publish says so.
        many = "".join(chr(0x4E00 + i) for i in range(4000))
        _, run = publish(cli, os.path.join(root, "many"), project(
            [("many", many, "left", (0, 0, WIDTH, 8), set())]), env)
        if "the faces for its Chinese" not in run.stdout + run.stderr:
            problems.append("a creative too large for its Chinese face is not named so: %s %s"
                            % (run.stdout, run.stderr))

        out, run = publish(cli, os.path.join(root, "scripts"), project(TEXTS), env, swf=True)
        if run.returncode != 0:
            print("FAIL: publish: %s %s" % (run.stdout, run.stderr))
            return 1
        with open(os.path.join(out, "banner_backup.png"), "rb") as f:
            backup = browser.Image.from_png(f.read())
        carried = carried_faces(os.path.join(out, "html5"))
        for family, needed in SHAPING.items():
            whole = system_face(family)
            if family not in carried or whole is None:
                problems.append("%s: the creative carries no cut of it (installed: %s)"
                                % (family, whole))
                continue
            with open(whole, "rb") as f:
                full, all_glyphs = layout_features(f.read())
            cut, glyphs = layout_features(carried[family])
            figures.append("%s: the cut holds %d of %d glyphs and %d of %d layout features" % (
                family, glyphs, all_glyphs, len(cut), len(full)))
            if not needed <= cut or not cut <= full or glyphs >= all_glyphs:
                problems.append("%s: the cut (%d glyphs) keeps %s of the layout features %s"
                                % (family, glyphs, sorted(cut), sorted(full)))
        server = browser.Server(root)
        chromium = browser.Browser(WIDTH, HEIGHT)
        try:
            url = lambda page: server.url(os.path.relpath(os.path.join(out, page), root))
            swf, errors = settled_shot(chromium, url("fs_aux.html"), WIDTH, HEIGHT, 1.0)
            problems += ["swf: %s" % e for e in errors]
            creative, errors = final_creative_shot(chromium, url("html5/index.html"), WIDTH,
                                                   HEIGHT, 1.0)
            problems += ["creative: %s" % e for e in errors]
            chromium.call("DOM.enable", session=True)
            chromium.call("CSS.enable", session=True)
            for ident, _, _, _, faces in TEXTS:
                used = fonts_used(chromium, '[data-id="%s"] div' % ident)
                if used is None or not faces <= set(used) or not all(used.values()):
                    problems.append("%s: the creative set it in %r, not the carried faces %s"
                                    % (ident, used, sorted(faces)))
        finally:
            chromium.close()
            server.stop()
        keep = os.environ.get("PENNORIA_TEST_SCREENSHOTS")
        if keep:
            os.makedirs(keep, exist_ok=True)
            creative.save(os.path.join(keep, "scripts-html5.png"))
            swf.save(os.path.join(keep, "scripts-swf.png"))
            backup.save(os.path.join(keep, "scripts-backup.png"))

    mean, far = difference(backup, creative, WIDTH, HEIGHT)
    figures.append("backup vs html5: mean %.2f per channel, %.2f %% of pixels differ by more "
                   "than 32" % (mean, 100 * far))
    if far > 0.03:
        problems.append("the backup image and the creative differ in %.1f %% of the pixels"
                        % (100 * far))
    for ident, _, _, (x, y, w, lines), _ in TEXTS:
        for line in range(lines):
            band = (x, y + line * LINE, w, LINE)
            a, b = ink_columns(backup, *band), ink_columns(creative, *band)
            distance = profile_distance(a, b)
            figures.append("%s line %d: %d and %d inked pixels, ink profiles %.2f apart" % (
                ident, line + 1, sum(a), sum(b), distance))
            # A blank line or a line of boxes has far less ink than letters.
            if min(sum(a), sum(b)) < 200:
                problems.append("%s line %d: no text drawn (%d, %d inked pixels)" % (
                    ident, line + 1, sum(a), sum(b)))
            elif distance > 0.25:
                problems.append("%s line %d: the words lie in different places (%.2f)" % (
                    ident, line + 1, distance))
            # The SWF banner shows the host's picture, painted as the backup image is.
            c = ink_columns(swf, *band)
            distance = profile_distance(a, c)
            figures.append("%s line %d: the SWF banner has %d inked pixels, %.2f apart from the "
                           "backup image's" % (ident, line + 1, sum(c), distance))
            if sum(c) < 200:
                problems.append("%s line %d: the SWF banner draws no text (%d inked pixels)" % (
                    ident, line + 1, sum(c)))
            elif distance > 0.25:
                problems.append("%s line %d: the SWF banner's words lie elsewhere (%.2f)" % (
                    ident, line + 1, distance))
    return browser.report(figures, problems)


if __name__ == "__main__":
    sys.exit(main())
