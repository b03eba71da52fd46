#!/usr/bin/env python3
"""Resizes SWF movies made by other tools with pennoria-cli and checks the result with an
independent reader: header fields, the stage rectangle, and every tag body byte for byte."""
import argparse
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib


def read_movie(path):
    data = open(path, "rb").read()
    sig = data[:3].decode("latin-1")
    version = data[3]
    length_field = struct.unpack_from("<I", data, 4)[0]
    if sig == "CWS":
        inflater = zlib.decompressobj()
        body = inflater.decompress(data[8:]) + inflater.flush()
        assert inflater.eof, "zlib stream incomplete"
        trailing = len(inflater.unused_data)
        plain = data[:8] + body
    else:
        assert sig == "FWS", sig
        plain = data
        trailing = None
    nbits = plain[8] >> 3
    bits = "".join(format(b, "08b") for b in plain[8:8 + 20])
    values = []
    for i in range(4):
        field = bits[5 + i * nbits:5 + (i + 1) * nbits]
        v = int(field, 2) if field else 0
        if field and field[0] == "1":
            v -= 1 << nbits
        values.append(v)
    pos = 8 + (5 + 4 * nbits + 7) // 8
    rate_fraction, rate_integer, frame_count = struct.unpack_from("<BBH", plain, pos)
    pos += 4
    tags = []
    while True:
        word = struct.unpack_from("<H", plain, pos)[0]
        pos += 2
        code, length = word >> 6, word & 63
        if length == 63:
            length = struct.unpack_from("<I", plain, pos)[0]
            pos += 4
        body = plain[pos:pos + length]
        assert len(body) == length, "tag runs past the end"
        pos += length
        tags.append((code, body))
        if code == 0:
            break
    return dict(sig=sig, version=version, length_field=length_field, plain_length=len(plain),
                nbits=nbits, rect=values, rate=(rate_fraction, rate_integer),
                frame_count=frame_count, tags=tags, end=pos, trailing=trailing)


def expected_nbits(width, height):
    longest = max(width, height) * 20
    return max(15, (longest + 1).bit_length() + 1)


failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message)


def run(cli, *args):
    return subprocess.run([cli, *args], capture_output=True, text=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("movies", nargs="+")
    options = parser.parse_args()
    work = tempfile.mkdtemp(prefix="pennoria-swf-")
    try:
        for movie in options.movies:
            name = os.path.basename(movie)
            original = read_movie(movie)
            check(original["tags"][-1][0] == 0, f"{name}: no End tag")

            info = run(options.cli, "swf", "info", movie)
            check(info.returncode == 0, f"{name}: info failed: {info.stderr}")
            lines = info.stdout.splitlines()
            tag_lines = [l for l in lines if l.startswith("Tag : ")]
            check(len(tag_lines) == len(original["tags"]), f"{name}: tag count in the trace")
            for line, (code, body) in zip(tag_lines, original["tags"]):
                check(line.endswith(f"(length : {len(body)})"), f"{name}: {line}")
            check(lines[0] == f"Signature   : {original['sig']}", f"{name}: {lines[0]}")
            check(lines[1] == f"Version     : {original['version']}", f"{name}: {lines[1]}")
            check(f"Frame count : {original['frame_count']}" in lines, f"{name}: frame count")

            for width, height in [(300, 250), (0, 0), (1000, 20), (2000, 1500)]:
                copy = os.path.join(work, name)
                shutil.copyfile(movie, copy)
                resize = run(options.cli, "swf", "resize", copy, str(width), str(height))
                label = f"{name} at {width}x{height}"
                check(resize.returncode == 0, f"{label}: resize failed: {resize.stderr}")
                rect_lines = [l for l in resize.stdout.splitlines() if "SWFRect" in l]
                check(rect_lines[-1] == f"    SWFRect : 0, 0, {width}, {height}",
                      f"{label}: {rect_lines}")
                result = read_movie(copy)
                check(result["sig"] == original["sig"], f"{label}: signature")
                check(result["version"] == original["version"], f"{label}: version")
                check(result["length_field"] == result["plain_length"],
                      f"{label}: length field {result['length_field']} against "
                      f"{result['plain_length']}")
                check(result["end"] == result["plain_length"], f"{label}: bytes after End")
                check(result["trailing"] in (None, 0), f"{label}: bytes after the zlib stream")
                check(result["nbits"] == expected_nbits(width, height),
                      f"{label}: nbits {result['nbits']}")
                check(result["rect"] == [0, width * 20, 0, height * 20],
                      f"{label}: rect {result['rect']}")
                check(result["rate"] == original["rate"], f"{label}: frame rate bytes")
                check(result["frame_count"] == original["frame_count"], f"{label}: frame count")
                check(result["tags"] == original["tags"], f"{label}: tag bodies differ")

            # Sizes that cannot be set are refused, the file untouched.
            copy = os.path.join(work, name)
            shutil.copyfile(movie, copy)
            for width, height in [("-5", "10"), ("10", "-1"), ("99999999999", "1"),
                                  ("60000000", "1"), ("12px", "3")]:
                resize = run(options.cli, "swf", "resize", copy, width, height)
                check(resize.returncode == 1 and resize.stderr.count("\n") == 1,
                      f"{name} at {width}x{height}: exit {resize.returncode}, {resize.stderr!r}")
                check(open(copy, "rb").read() == open(movie, "rb").read(),
                      f"{name} at {width}x{height}: touched")

            # A damaged copy is refused and left exactly as it was.
            data = open(movie, "rb").read()
            for cut in (5, 8 + 3, len(data) // 2, len(data) - 1):
                copy = os.path.join(work, "cut-" + name)
                open(copy, "wb").write(data[:cut])
                resize = run(options.cli, "swf", "resize", copy, "300", "250")
                check(resize.returncode == 1, f"{name} cut at {cut}: exit {resize.returncode}")
                check(len(resize.stderr.strip().splitlines()) == 1,
                      f"{name} cut at {cut}: reason {resize.stderr!r}")
                check(open(copy, "rb").read() == data[:cut], f"{name} cut at {cut}: touched")
                info = run(options.cli, "swf", "info", copy)
                check(info.returncode == 1 and info.stderr.count("\n") == 1,
                      f"{name} cut at {cut}: info exit {info.returncode}, {info.stderr!r}")
    finally:
        shutil.rmtree(work)
    print(f"{len(options.movies)} movies checked, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
