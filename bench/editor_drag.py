#!/usr/bin/env python3
"""The cost of one step of a canvas drag with 30 elements, in two builds of the editor movie played
one after the other in the same headless Chromium run (alternating, so that the machine's load falls
on both): each step is a pointer move handled by the movie, which moves the element and re-poses the
banner. Prints the median and the 90th percentile of each and their ratio.

usage: editor_drag.py --ruffle DIR BEFORE.swf AFTER.swf [--rounds N]
Each movie's folder should hold templateEditor/res/ with the face movies; without them the texts
use device fonts, which this banner of shapes does not need.
"""
import argparse
import os
import statistics
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "editor"))
import editor_browser_test as harness  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--ruffle", required=True)
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("before")
    parser.add_argument("after")
    args = parser.parse_args()
    scratch = os.path.realpath(os.path.join("/tmp", "editor-drag-bench"))
    os.makedirs(scratch, exist_ok=True)
    times = {"before": [], "after": []}
    server = harness.Server(scratch)
    try:
        for _ in range(args.rounds):
            for name in ("before", "after"):
                harness.ARGS = argparse.Namespace(swf=getattr(args, name), ruffle=args.ruffle)
                result = server.run("dragCost")
                times[name] += [s for s in result["snapshots"] if s["label"] == "dragged"][0]["extra"]["times"]
    finally:
        server.close()
    for name in ("before", "after"):
        t = sorted(times[name])
        print("%-6s drag step: median %.2f ms, 90th percentile %.2f ms (%d steps)" % (
            name, statistics.median(t), t[int(len(t) * 0.9)], len(t)))
    print("after / before (median): %.2f" % (statistics.median(times["after"]) / statistics.median(times["before"])))


if __name__ == "__main__":
    main()
