#!/usr/bin/env python3
"""Whether an edit costs more in a large banner: a nudge, an undo and a drag step of one element,
timed inside the editor movie (headless Chromium) in a banner of 10 and of 500 elements, for one
or more builds of the movie in the same run (alternating, so that the machine's load falls on
all). Each figure is the time per step of a run of steps. Prints, per build, the median and the
least of each with their 500/10 ratios (the least is the one a loaded machine disturbs least).

usage: editor_cost.py --ruffle DIR MOVIE.swf [MOVIE.swf ...] [--rounds N]
"""
import argparse
import os
import statistics
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "editor"))
import editor_browser_test as harness  # noqa: E402

COUNTS = (10, 500)
ACTIONS = ("nudge", "undo", "drag")


def project(count):
    """count shapes, the last one ("target") on top at 100,100 60x40."""
    shapes = ['<shape id="s%d" x="%d" y="%d" width="12" height="12" fill="#FF6A00"/>' % (i, (i * 37) % 280, (i * 53) % 230)
              for i in range(count - 1)]
    shapes.append('<shape id="target" x="100" y="100" width="60" height="40" fill="#1E88E5"/>')
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<template version="2" demoWidth="300" demoHeight="250" '
            'bgColor="#FFFFFF"><elements>' + "".join(shapes) + '</elements><sizes><size width="300" height="250"/>'
            '</sizes></template>\n')


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--ruffle", required=True)
    parser.add_argument("--rounds", type=int, default=2)
    parser.add_argument("movies", nargs="+")
    args = parser.parse_args()
    scratch = os.path.realpath(os.path.join("/tmp", "editor-cost-bench"))
    os.makedirs(scratch, exist_ok=True)
    for n in COUNTS:
        with open(os.path.join(scratch, "cost-%d.pbf" % n), "w") as f:
            f.write(project(n))
    times = {(m, n, a): [] for m in args.movies for n in COUNTS for a in ACTIONS}
    server = harness.Server(scratch)
    try:
        for _ in range(args.rounds):
            for movie in args.movies:
                for n in COUNTS:
                    harness.ARGS = argparse.Namespace(swf=movie, ruffle=args.ruffle)
                    result = server.run("editCost&n=%d" % n)
                    snaps = {s["label"]: s for s in result["snapshots"]}
                    if snaps["selected"]["state"]["selection"] != ["target"]:
                        raise SystemExit("%s, %d elements: the click did not select the target" % (movie, n))
                    xs = [snaps[k]["state"]["canvas"]["box"]["x"] for k in ("selected", "nudged", "undone")]
                    if xs != [100, 108, 100]:
                        raise SystemExit("%s, %d elements: nudged and undone to %s" % (movie, n, xs))
                    for a in ACTIONS:
                        times[(movie, n, a)] += snaps["measured"]["extra"]["times"][a]
    finally:
        server.close()
    for movie in args.movies:
        print(movie)
        for a in ACTIONS:
            med = {n: statistics.median(times[(movie, n, a)]) for n in COUNTS}
            low = {n: min(times[(movie, n, a)]) for n in COUNTS}
            print("  %-5s  median 10: %7.2f ms   500: %7.2f ms   500/10: %.2f   least 10: %7.2f ms   500: %7.2f ms   500/10: %.2f"
                  % (a, med[10], med[500], med[500] / med[10], low[10], low[500], low[500] / low[10]))


if __name__ == "__main__":
    main()
