#!/usr/bin/env python3
"""Publishing time of two builds of pennoria-cli, interleaved in one run: a two-size example and
the same example with twenty sizes (or, with --grid, the example grown to 1, 5 and 18 sizes of
10, 100 and 500 elements), each published by both programs into a new folder and then again,
unchanged, into the same folder, round after round, so that both see the same machine. Prints
each program's medians and the ratios.

Used to show that a change of the publishing pipeline does not make it slower: build the earlier
commit beside this one (git worktree add --detach /tmp/before <commit>, then build its
pennoria-cli and program data) and give both programs.

usage: publish_versus.py BEFORE_CLI AFTER_CLI [--rounds N] [--example PATH] [--grid]
"""

import argparse
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))


def twenty_sizes(text):
    """The example with eighteen more sizes, placed by the program's automatic rule."""
    sizes = "".join('<size width="%d" height="%d"/>' % (200 + 37 * i, 90 + 23 * i)
                    for i in range(18))
    return text.replace("</sizes>", sizes + "</sizes>", 1)


SIZES = [(336, 280), (300, 250), (728, 90), (160, 600), (320, 50), (300, 600), (970, 250),
         (468, 60), (320, 100), (250, 250), (200, 200), (120, 600), (970, 90), (234, 60),
         (180, 150), (300, 1050), (125, 125), (320, 480)]


def grown(text, sizes, elements):
    """The example with its elements repeated (each copy with an id of its own, moved a little)
    up to elements, and the first sizes standard sizes, placed by the automatic rule."""
    root = ET.fromstring(text)
    parent = next(p for p in root.iter() if any(c.get("id") for c in p))
    originals = [c for c in parent if c.get("id")]
    for i in range(elements - len(originals)):
        copy = ET.fromstring(ET.tostring(originals[i % len(originals)]))
        copy.set("id", "copy%d" % i)
        copy.set("x", str(float(copy.get("x", "0")) + i % 17))
        parent.append(copy)
    for extra in [c for c in parent if c.get("id")][elements:]:
        parent.remove(extra)
    listed = root.find("sizes")
    for size in list(listed):
        listed.remove(size)
    for width, height in SIZES[:sizes]:
        ET.SubElement(listed, "size", width=str(width), height=str(height))
    return ET.tostring(root, encoding="unicode")


def publish(cli, project, folder, env):
    """The first publish into a new folder and an unchanged one into the same folder."""
    os.makedirs(folder)
    times = []
    for overwrite in ("no", "yes"):
        start = time.monotonic()
        run = subprocess.run([cli, "publish", project, "--folder", folder, "--player", "bundled",
                              "--overwrite", overwrite],
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env)
        times.append(time.monotonic() - start)
        if run.returncode != 0:
            sys.exit("%s failed: %s" % (cli, run.stderr.decode(errors="replace")))
    shutil.rmtree(folder)
    return times


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("before")
    parser.add_argument("after")
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--example", default=os.path.join(
        HERE, "..", "examples", "coffee-launch", "coffee-launch.pbf"))
    parser.add_argument("--grid", action="store_true")
    args = parser.parse_args()
    changes = [("2 sizes", lambda t: t), ("20 sizes", twenty_sizes)]
    if args.grid:
        changes = [("%d sizes, %d elements" % (s, e), lambda t, s=s, e=e: grown(t, s, e))
                   for e in (10, 100, 500) for s in (1, 5, 18)]
    with tempfile.TemporaryDirectory(prefix="pennoria-versus-") as root:
        source = os.path.dirname(os.path.abspath(args.example))
        projects = {}
        for label, change in changes:
            folder = os.path.join(root, label.replace(" ", "-").replace(",", ""))
            shutil.copytree(source, folder)
            path = os.path.join(folder, os.path.basename(args.example))
            with open(path, encoding="utf-8") as f:
                text = change(f.read())
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
            projects[label] = path
        env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(root, "config"),
                   XDG_DATA_HOME=os.path.join(root, "data"))
        times = {(label, who): [] for label in projects for who in ("before", "after")}
        again = {(label, who): [] for label in projects for who in ("before", "after")}
        for round_number in range(args.rounds):
            for label, project in projects.items():
                # Alternate which program goes first, so neither always meets a warm cache.
                order = ("before", "after") if round_number % 2 == 0 else ("after", "before")
                for who in order:
                    cli = args.before if who == "before" else args.after
                    out = os.path.join(root, "out-%s-%d" % (who, round_number))
                    first, second = publish(cli, project, out, env)
                    times[(label, who)].append(first)
                    again[(label, who)].append(second)
        for label in projects:
            before = statistics.median(times[(label, "before")])
            after = statistics.median(times[(label, "after")])
            before_again = statistics.median(again[(label, "before")])
            after_again = statistics.median(again[(label, "after")])
            print("%s: before %.0f ms, after %.0f ms (medians of %d), after/before %.2f; "
                  "unchanged again: before %.0f ms (%.2f of its first), after %.0f ms (%.2f)" % (
                      label, 1000 * before, 1000 * after, args.rounds, after / before,
                      1000 * before_again, before_again / before, 1000 * after_again,
                      after_again / after))


if __name__ == "__main__":
    main()
