#!/usr/bin/env python3
"""Installs the build into a scratch prefix and checks it as a desktop would see it: the
launcher and the metainfo pass their validators, the icons have their sizes, the file type is
recognised and opens with the program, the manual pages render, and the installed programs run
from the prefix (versions, help, publishing the sample project).

usage: desktop_install_test.py BUILD_DIR SOURCE_DIR VERSION [--gui]
"""

import gzip
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

failures = []


def check(condition, what):
    print(("ok:   " if condition else "FAIL: ") + what)
    if not condition:
        failures.append(what)
    return condition


def run(args, env=None, cwd=None):
    return subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                          env=env, cwd=cwd)


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n":
        return None
    return struct.unpack(">II", head[16:24])


def check_desktop_files(prefix, scratch):
    share = os.path.join(prefix, "share")
    desktop = os.path.join(share, "applications", "pennoria.desktop")
    result = run(["desktop-file-validate", desktop])
    check(result.returncode == 0 and not result.stdout.strip(),
          "desktop-file-validate is clean " + result.stdout.strip())
    entry = open(desktop, encoding="utf-8").read()
    check("Exec=pennoria %f" in entry and "MimeType=application/x-pennoria-project;" in entry,
          "the launcher opens project files")

    metainfo = os.path.join(share, "metainfo", "org.pennoria.Pennoria.metainfo.xml")
    result = run(["appstreamcli", "validate", "--no-net", metainfo])
    check(result.returncode == 0, "appstreamcli validate --no-net passes " + result.stdout.strip())
    provides = ET.parse(metainfo).getroot().find("provides")
    check(provides is not None and provides.findtext("mediatype") == "application/x-pennoria-project",
          "the metainfo provides the project type")

    for size in (16, 22, 24, 32, 48, 64, 128, 256, 512):
        icon = os.path.join(share, "icons/hicolor/%dx%d/apps/pennoria.png" % (size, size))
        check(os.path.isfile(icon) and png_size(icon) == (size, size), "icon %d px" % size)
    svg = ET.parse(os.path.join(share, "icons/hicolor/scalable/apps/pennoria.svg")).getroot()
    check(svg.tag.endswith("svg") and len(list(svg.iter())) > 3, "scalable icon is a drawing")

    # The file type, as the desktop's launcher sees it. GNOME's way of asking (gio) reads the
    # shared-mime-info database; the generic way asks file(1), which does not.
    mime = os.path.join(share, "mime")
    check(run(["update-mime-database", mime]).returncode == 0, "update-mime-database")
    check(run(["update-desktop-database", os.path.join(share, "applications")]).returncode == 0,
          "update-desktop-database")
    empty = os.path.join(scratch, "empty")
    os.makedirs(empty, exist_ok=True)
    env = dict(os.environ, XDG_CURRENT_DESKTOP="GNOME", XDG_DATA_HOME=empty, XDG_CONFIG_HOME=empty,
               XDG_DATA_DIRS=share + ":/usr/share")
    named = os.path.join(scratch, "banner.pbf")
    unnamed = os.path.join(scratch, "banner-without-extension")
    with open(named, "w") as f:
        f.write("<template demoWidth=\"300\"/>\n")
    with open(unnamed, "w") as f:
        f.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<template demoWidth=\"300\">\n</template>\n")
    for path in (named, unnamed):
        answer = run(["xdg-mime", "query", "filetype", path], env=env).stdout.strip()
        check(answer == "application/x-pennoria-project",
              "xdg-mime: %s is %s" % (os.path.basename(path), answer))
    answer = run(["xdg-mime", "query", "default", "application/x-pennoria-project"], env=env)
    check(answer.stdout.strip() == "pennoria.desktop", "projects open with pennoria.desktop")


def check_manual_pages(prefix, gui):
    for program in ["pennoria-cli"] + (["pennoria"] if gui else []):
        page = os.path.join(prefix, "share/man/man1/%s.1.gz" % program)
        if not check(os.path.isfile(page), "manual page " + program):
            continue
        with gzip.open(page, "rt") as f:
            check(".TH " + program.upper().replace("-", "\\-") in f.read(), program + " page title")
        result = run(["man", "--warnings", "-l", page], env=dict(os.environ, MANWIDTH="80"))
        check(result.returncode == 0 and not result.stderr.strip() and "EXAMPLES" in result.stdout,
              program + " page renders without warnings " + result.stderr.strip())


def check_programs(prefix, source, version, gui, scratch):
    cli = os.path.join(prefix, "bin", "pennoria-cli")
    result = run([cli, "--version"])
    check(result.returncode == 0 and result.stdout.strip() == "pennoria-cli " + version,
          "pennoria-cli --version: " + result.stdout.strip())
    for verb in (["publish"], ["page"], ["serve"], ["swf", "info"], ["swf", "resize"]):
        result = run([cli] + verb + ["--help"])
        check(result.returncode == 0 and "Example" in result.stdout,
              "pennoria-cli %s --help shows an example" % " ".join(verb))
    result = run([cli, "publish", os.path.join(scratch, "missing.pbf"), "--folder", scratch])
    check(result.returncode != 0 and "pennoria-cli publish --help" in result.stderr,
          "a wrong publish says what to do: " + result.stderr.strip().splitlines()[-1:][0]
          if result.stderr.strip() else "a wrong publish says something")
    out = os.path.join(scratch, "published")
    sample = os.path.join(source, "examples/summer-sale/summer-sale.pbf")
    home = os.path.join(scratch, "home")
    os.makedirs(home, exist_ok=True)
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
               XDG_DATA_HOME=os.path.join(home, ".local/share"))
    result = run([cli, "publish", sample, "--folder", out, "--out-mode", "1"], env=env)
    folders = os.listdir(out) if os.path.isdir(out) else []
    files = os.listdir(os.path.join(out, folders[0])) if len(folders) == 1 else []
    check(result.returncode == 0 and any(n.endswith(".swf") for n in files)
          and any(n.endswith(".html") for n in files) and "template.xml" in files,
          "the installed pennoria-cli publishes the sample: %s %s" % (files, result.stderr.strip()))
    if gui:
        program = os.path.join(prefix, "bin", "pennoria")
        result = run([program, "--version"])
        check(result.returncode == 0 and result.stdout.strip() == "pennoria " + version,
              "pennoria --version: " + result.stdout.strip())
        result = run([program, "--help"])
        check(result.returncode == 0 and "PROJECT" in result.stdout, "pennoria --help")


def main():
    build, source, version = sys.argv[1:4]
    gui = "--gui" in sys.argv[4:]
    for tool in ["desktop-file-validate", "appstreamcli", "update-mime-database", "xdg-mime",
                 "gio", "man"]:
        if gui and shutil.which(tool) is None:
            print("skipped: %s is not installed" % tool)
            return 77
    with tempfile.TemporaryDirectory(prefix="pennoria-prefix-") as scratch:
        prefix = os.path.join(scratch, "prefix")
        result = run(["cmake", "--install", build, "--prefix", prefix])
        if not check(result.returncode == 0, "cmake --install " + result.stderr.strip()):
            return 1
        check(os.path.isfile(os.path.join(prefix, "share/doc/pennoria/copyright")), "copyright")
        check(os.path.isfile(os.path.join(prefix, "lib/pennoria/help/index.html")), "web help")
        if gui:
            check_desktop_files(prefix, scratch)
        check_manual_pages(prefix, gui)
        check_programs(prefix, source, version, gui, scratch)
    print("%d failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
