#!/usr/bin/env python3
"""Plays the banner movie, with its component, project and picture, in headless Chromium with
Ruffle, and checks the pixels: the stage background around a banner of other proportions, the
picture fitted to the banner, a stage resized to the banner, and a project named by FlashVars.

usage: test_movies.py PROGRAM_DIR [PENNORIA_CLI]
"""

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
        chromium = browser.Browser(720, 540)
        failures = 0
        try:
            for name, _, expected in cases:
                chromium.navigate(server.url(name))
                wrong = chromium.wait_for_pixels(expected)
                errors = chromium.script_errors()
                chromium.events.clear()
                if wrong or errors:
                    failures += 1
                    shot = os.path.join(tempfile.gettempdir(), "pennoria-" + name + ".png")
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
                else:
                    print("ok   %s" % name)
        finally:
            chromium.close()
            server.stop()
    print("%d passed, %d failed" % (len(cases) - failures, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
