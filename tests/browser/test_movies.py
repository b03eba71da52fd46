#!/usr/bin/env python3
"""Plays the banner movie, with its component, project and picture, in headless Chromium with
Ruffle, and checks the pixels: the stage background around a banner of other proportions, the
picture fitted to the banner, a stage resized to the banner, and a project named by FlashVars.
Then one version-2 project with every kind of element, drawn by the component movie and by the
HTML5 creative's script, at its final frame: the same pixels from both, its text drawn in the
shipped faces, and its button opening its own link.

usage: test_movies.py PROGRAM_DIR [PENNORIA_CLI]
"""

import base64
import json
import os
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import browser  # noqa: E402
import bannersite as banner_site  # noqa: E402
from bannersite import BLUE, GREEN, RED, STAGE_BACKGROUND, YELLOW  # noqa: E402


def page(name, movie, width, height, flashvars=None):
    params = '<param name="flashvars" value="%s">' % flashvars if flashvars else ""
    embed_vars = ' flashvars="%s"' % flashvars if flashvars else ""
    return ('<!DOCTYPE html><html><head><meta charset="utf-8"><title>%s</title>%s'
            '<style>html, body { margin: 0; padding: 0; background: #808080; }'
            ' embed { display: block; }</style></head><body>'
            '<embed src="%s" type="application/x-shockwave-flash" width="%d" height="%d"%s>'
            '%s</body></html>' % (name, banner_site.ruffle_head(), movie, width, height,
                                  embed_vars, params))


# Version 2: every kind of element; after 1.2 s the final frame stays.
V2_PROJECT = """<?xml version="1.0" encoding="UTF-8"?>
<template version="2" demoWidth="300" demoHeight="250" bgColor="#1E3A5F" length="1200" loops="1">
  <component><info url="res/template.swf"/></component>
  <link url="%(banner)s" target="_blank"/>
  <elements>
    <shape id="band" x="0" y="150" width="300" height="100" fill="#DC1E1E">
      <enter type="fade" delay="0" duration="300" easing="easeOut"/>
    </shape>
    <shape id="gone" x="110" y="20" width="60" height="60" fill="#FF00FF">
      <exit type="fade" delay="300" duration="200" easing="linear"/>
    </shape>
    <shape id="dot" kind="ellipse" x="200" y="10" width="80" height="80" fill="#E6D214" stroke="#1E1EDC"
           strokeWidth="6"/>
    <image id="logo" src="res/green.png" x="10" y="10" width="80" height="80" fit="stretch">
      <enter type="slide" from="left" delay="100" duration="300" easing="easeInOut"/>
    </image>
    <text id="title" x="10" y="100" width="180" height="40" font="Liberation Serif" size="22" bold="true"
          italic="true" color="#FFFFFF" shadowColor="#000000"><label>\u0395\u03bb\u03bb\u03ac\u03b4\u03b1 \u041c\u0438\u0440 sale</label></text>
    <button id="buy" x="180" y="190" width="100" height="40" url="%(button)s" fill="#1E1EDC" radius="8"
            size="14"><label>Shop now</label>
      <enter type="zoom" delay="200" duration="300" easing="easeOut"/>
    </button>
  </elements>
  <sizes><size width="300" height="250"/></sizes>
</template>
"""
V2_PIXELS = {(20, 200): RED, (140, 50): (0x1E, 0x3A, 0x5F), (240, 50): YELLOW, (50, 50): GREEN,
             (188, 200): BLUE, (270, 222): BLUE}
# Where the title's and the button's label's light pixels must be.
V2_TEXTS = {"title": (12, 102, 180, 130), "button label": (200, 200, 262, 222)}


def creative_page(project, fonts_dir):
    """The HTML5 creative's page as publishing makes it, with a fonts.css of the faces it uses."""
    faces = [("Liberation Sans", "LiberationSans-Bold.ttf", "bold", "normal"),
             ("Liberation Serif", "LiberationSerif-BoldItalic.ttf", "bold", "italic")]
    css = "".join(
        '@font-face { font-family: "%s"; font-weight: %s; font-style: %s; '
        'src: url(data:font/ttf;base64,%s) format("truetype"); }\n'
        % (family, weight, style,
           base64.b64encode(open(os.path.join(fonts_dir, name), "rb").read()).decode())
        for family, name, weight, style in faces)
    return css, ('<!DOCTYPE html><html><head><meta charset="utf-8"><link rel="icon" href="data:,">'
                 '<link rel="stylesheet" href="fonts.css"><script>var clickTag = "";</script>'
                 '<style>html, body { margin: 0; padding: 0; overflow: hidden; background: #808080; }'
                 ' #banner { width: 300px; height: 250px; overflow: hidden; }</style></head><body>'
                 '<div id="banner"></div><script>var pennoriaProject = %s; var pennoriaImage = "";'
                 '</script><script src="creative.js"></script></body></html>' % json.dumps(project))


def light_pixels(image, box):
    left, top, right, bottom = box
    return sum(1 for x in range(left, right) for y in range(top, bottom)
               if min(image.pixel(x, y)) > 200)


def check_v2(chromium, name):
    """Problems seen in the version-2 banner's final frame."""
    problems = []
    image = chromium.screenshot(scale=1)
    for what, box in V2_TEXTS.items():
        if light_pixels(image, box) < 40:
            problems.append("no %s drawn" % what)
    if name.startswith("v2-creative") and not chromium.evaluate(
            'document.fonts.check(\'italic bold 22px "Liberation Serif"\')'):
        problems.append("the title's face is not the shipped one")
    return problems


def main():
    program = sys.argv[1]
    cli = sys.argv[2] if len(sys.argv) > 2 else None
    if browser.find_chromium() is None:
        print("chromium is not installed")
        return browser.SKIP
    editor = os.path.join(program, "editor", "templateEditor")
    with tempfile.TemporaryDirectory(prefix="pennoria-movies-") as site:
        banner_site.link_ruffle(site, program)
        banner_site.copy(os.path.join(editor, "res", "template.swf"),
                         os.path.join(site, "res", "template.swf"))
        banner_site.write_quadrants(os.path.join(site, "res", "quads.png"), 120, 100)
        banner_site.write_quadrants(os.path.join(site, "res", "wide.png"), 200, 100)
        theme = os.path.join(editor, "theme.swf")

        # The installed movie as it is: a 300 x 250 banner inside the 720 x 540 stage.
        banner_site.copy(theme, os.path.join(site, "stage.swf"))
        # Written with a byte-order mark, as some editors save XML.
        with open(os.path.join(site, "template.xml"), "w", encoding="utf-8-sig") as f:
            f.write(banner_site.project_xml(300, 250, "res/quads.png",
                                            '  <effect type="fade" duration="300"/>\n'))
        # A copy resized to the banner, as publishing makes it.
        banner_site.copy(theme, os.path.join(site, "banner.swf"))
        how = banner_site.resize(cli, os.path.join(site, "banner.swf"), 300, 250)
        print("resized with", how)

        cases = [
            ("stage.html", page("stage", "stage.swf", 720, 540), {
                (10, 270): STAGE_BACKGROUND, (710, 270): STAGE_BACKGROUND,
                (200, 150): RED, (520, 150): GREEN, (200, 400): BLUE, (520, 400): YELLOW}),
            # The resized movie given more room than its stage: scaled up and centred.
            ("scaled.html", page("scaled", "banner.swf", 720, 540), {
                (10, 270): STAGE_BACKGROUND, (710, 270): STAGE_BACKGROUND,
                (200, 150): RED, (520, 150): GREEN, (200, 400): BLUE, (520, 400): YELLOW}),
            # The component movie on its own reads the project from the folder above its own.
            ("component.html", page("component", "res/template.swf", 720, 540), {
                (100, 60): RED, (250, 60): GREEN, (100, 190): BLUE, (250, 190): YELLOW,
                (500, 400): (255, 255, 255)}),
            ("resized.html", page("resized", "banner.swf", 300, 250), {
                (4, 4): RED, (295, 4): GREEN, (4, 245): BLUE, (295, 245): YELLOW,
                (310, 100): (0x80, 0x80, 0x80)}),
            ("flashvars.html", page("flashvars", "banner.swf", 300, 250, "xml=other.xml"), {
                (150, 20): (255, 0, 255), (150, 230): (255, 0, 255),
                (10, 60): RED, (290, 60): GREEN, (10, 190): BLUE, (290, 190): YELLOW}),
        ]
        for name, text, _ in cases:
            with open(os.path.join(site, name), "w") as f:
                f.write(text)

        server = browser.Server(site)
        # Another project, named by FlashVars: a wide picture fitted whole on a background,
        # and a link (clicked below).
        with open(os.path.join(site, "other.xml"), "w") as f:
            f.write(banner_site.project_xml(
                300, 250, "res\\wide.png",
                '  <effect type="zoom" duration="300"/>\n'
                '  <link url="%s" target="_blank"/>\n' % server.url("clicked.html?from=banner"),
                ' bgColor="#FF00FF" fit="contain"'))
        # Version 2, drawn by the component movie on its own and by the creative's script.
        v2 = os.path.join(site, "v2")
        project = V2_PROJECT % {"banner": server.url("clicked.html?from=v2banner"),
                                "button": server.url("clicked.html?from=button")}
        # The component movie with the faces beside it, as publishing leaves them.
        for movie in os.listdir(os.path.join(editor, "res")):
            if movie.endswith(".swf"):
                banner_site.copy(os.path.join(editor, "res", movie), os.path.join(v2, "res", movie))
        with open(os.path.join(v2, "template.xml"), "w", encoding="utf-8") as f:
            f.write(project)
        browser.write_png(os.path.join(v2, "res", "green.png"), 40, 20, lambda x, y: GREEN)
        css, creative = creative_page(project, os.path.join(program, "fonts"))
        banner_site.copy(os.path.join(editor, "html5", "creative.js"), os.path.join(v2, "creative.js"))
        with open(os.path.join(v2, "fonts.css"), "w") as f:
            f.write(css)
        with open(os.path.join(v2, "creative.html"), "w", encoding="utf-8") as f:
            f.write(creative)
        with open(os.path.join(site, "v2-component.html"), "w") as f:
            f.write(page("v2 component", "v2/res/template.swf", 720, 540))
        # Below the banner: the component's white stage, the creative page's grey.
        cases += [("v2-component.html", None, {**V2_PIXELS, (100, 400): (255, 255, 255)}),
                  ("v2/creative.html", None, {**V2_PIXELS, (100, 400): (0x80, 0x80, 0x80)})]

        chromium = browser.Browser(720, 540)
        failures = 0
        try:
            for name, _, expected in cases:
                chromium.navigate(server.url(name))
                wrong = chromium.wait_for_pixels(expected)
                errors = chromium.script_errors()
                chromium.events.clear()
                if name.startswith("v2") and not wrong:
                    errors += check_v2(chromium, name)
                if wrong or errors:
                    failures += 1
                    shot = os.path.join(tempfile.gettempdir(),
                                        "pennoria-" + name.replace("/", "-") + ".png")
                    chromium.save_screenshot(shot)
                    print("FAIL %s (screenshot %s)" % (name, shot))
                    for (x, y), (seen, want) in sorted(wrong.items()):
                        print("  pixel (%d, %d) is %s, expected %s" % (x, y, seen, want))
                    for error in errors:
                        print("  script error:", error)
                elif name == "flashvars.html" and not (chromium.click(150, 125) or
                                                       chromium.wait_for_new_page("from=banner")):
                    failures += 1
                    print("FAIL %s: a click on the banner opened no page" % name)
                elif name.startswith("v2") and not (chromium.click(230, 210) or
                                                    chromium.wait_for_new_page("from=button")):
                    failures += 1
                    print("FAIL %s: a click on the button opened no page" % name)
                else:
                    print("ok   %s" % name)
        finally:
            chromium.close()
            server.stop()
    print("%d passed, %d failed" % (len(cases) - failures, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
