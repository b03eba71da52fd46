#!/usr/bin/env python3
"""Publishing time of two builds of pennoria-cli, interleaved in one run: a two-size example and
the same example with twenty sizes, each published by both programs into a new folder, round
after round, so that both see the same machine. Prints each program's median and the ratio.

Used to show that a change of the publishing pipeline does not make it slower: build the earlier
commit beside this one (git worktree add --detach /tmp/before <commit>, then build its
pennoria-cli and program data) and give both programs.

usage: publish_versus.py BEFORE_CLI AFTER_CLI [--rounds N] [--example PATH]
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

HERE = os.path.dirname(os.path.abspath(__file__))


def twenty_sizes(text):
    """The example with eighteen more sizes, placed by the program's automatic rule."""
    sizes = "".join('<size width="%d" height="%d"/>' % (200 + 37 * i, 90 + 23 * i)
                    for i in range(18))
    return text.replace("</sizes>", sizes + "</sizes>", 1)


def publish(cli, project, folder, env):
    os.makedirs(folder)
    start = time.monotonic()
    run = subprocess.run([cli, "publish", project, "--folder", folder, "--player", "bundled"],
                         stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env)
    seconds = time.monotonic() - start
    if run.returncode != 0:
        sys.exit("%s failed: %s" % (cli, run.stderr.decode(errors="replace")))
    shutil.rmtree(folder)
    return seconds


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("before")
    parser.add_argument("after")
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--example", default=os.path.join(
        HERE, "..", "examples", "coffee-launch", "coffee-launch.pbf"))
    args = parser.parse_args()
    with tempfile.TemporaryDirectory(prefix="pennoria-versus-") as root:
        source = os.path.dirname(os.path.abspath(args.example))
        projects = {}
        for label, change in (("2 sizes", lambda t: t), ("20 sizes", twenty_sizes)):
            folder = os.path.join(root, label.replace(" ", "-"))
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
        for round_number in range(args.rounds):
            for label, project in projects.items():
                # Alternate which program goes first, so neither always meets a warm cache.
                order = ("before", "after") if round_number % 2 == 0 else ("after", "before")
                for who in order:
                    cli = args.before if who == "before" else args.after
                    out = os.path.join(root, "out-%s-%d" % (who, round_number))
                    times[(label, who)].append(publish(cli, project, out, env))
        for label in projects:
            before = statistics.median(times[(label, "before")])
            after = statistics.median(times[(label, "after")])
            print("%s: before %.0f ms, after %.0f ms (medians of %d), after/before %.2f" % (
                label, 1000 * before, 1000 * after, args.rounds, after / before))


if __name__ == "__main__":
    main()
