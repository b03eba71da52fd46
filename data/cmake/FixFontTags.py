#!/usr/bin/env python3
"""Completes the embedded fonts of a movie compiled by Haxe, in place.

Haxe writes each embedded TrueType face as a DefineFont3 tag named with the face's full name
("Liberation Sans Bold"), without the bold and italic flags, and with an empty bounds table.
Players pick a face by family name plus bold and italic, and Ruffle's hardware renderers draw
nothing for glyphs whose bounds are empty. This rewrites every DefineFont3 tag: the family name
with the style flags ("Liberation Sans", bold), and each glyph's bounds computed from its outline.

usage: FixFontTags.py MOVIE.swf
"""

import os
import struct
import sys
import zlib

DEFINE_FONT3 = 75
END = 0
# Full-name endings and the style they mean, longest first.
STYLES = [(" Bold Italic", True, True), (" Bold Oblique", True, True), (" Bold", True, False),
          (" Italic", False, True), (" Oblique", False, True)]


class Bits:
    def __init__(self, data):
        self.data = data
        self.pos = 0

    def unsigned(self, n):
        value = 0
        for _ in range(n):
            byte = self.pos >> 3
            if byte >= len(self.data):
                raise ValueError("glyph outline ends early")
            value = (value << 1) | ((self.data[byte] >> (7 - (self.pos & 7))) & 1)
            self.pos += 1
        return value

    def signed(self, n):
        value = self.unsigned(n)
        if n and value & (1 << (n - 1)):
            value -= 1 << n
        return value


def outline_bounds(shape):
    """xmin, xmax, ymin, ymax of a glyph's outline, control points included."""
    bits = Bits(shape)
    fill_bits, line_bits = bits.unsigned(4), bits.unsigned(4)
    x = y = 0
    xs, ys = [], []
    while True:
        if bits.unsigned(1) == 0:  # style change or end
            flags = bits.unsigned(5)
            if flags == 0:
                break
            if flags & 1:
                n = bits.unsigned(5)
                x, y = bits.signed(n), bits.signed(n)
                xs.append(x)
                ys.append(y)
            if flags & 2:
                bits.unsigned(fill_bits)
            if flags & 4:
                bits.unsigned(fill_bits)
            if flags & 8:
                bits.unsigned(line_bits)
            if flags & 16:
                raise ValueError("a glyph outline with new styles")
        elif bits.unsigned(1):  # straight edge
            n = bits.unsigned(4) + 2
            if bits.unsigned(1):
                x += bits.signed(n)
                y += bits.signed(n)
            elif bits.unsigned(1):
                y += bits.signed(n)
            else:
                x += bits.signed(n)
            xs.append(x)
            ys.append(y)
        else:  # curved edge
            n = bits.unsigned(4) + 2
            cx, cy = x + bits.signed(n), y + bits.signed(n)
            x, y = cx + bits.signed(n), cy + bits.signed(n)
            xs += [cx, x]
            ys += [cy, y]
    if not xs:
        return 0, 0, 0, 0
    return min(xs), max(xs), min(ys), max(ys)


def rect_bytes(values):
    n = 0 if not any(values) else max(v.bit_length() + 1 for v in values)
    bits = format(n, "05b") + "".join(format(v & ((1 << n) - 1), "0%db" % n) for v in values) if n \
        else "00000"
    bits += "0" * (-len(bits) % 8)
    return bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))


def skip_rect(data, pos):
    bits = Bits(data[pos:])
    n = bits.unsigned(5)
    return pos + (5 + 4 * n + 7) // 8


def fix_font(body):
    font_id, flags, language, name_length = struct.unpack_from("<HBBB", body, 0)
    name = body[5:5 + name_length].rstrip(b"\0").decode("utf-8")
    pos = 5 + name_length
    (count,) = struct.unpack_from("<H", body, pos)
    pos += 2
    wide_offsets = flags & 0x08
    offset_size, offset_format = (4, "<I") if wide_offsets else (2, "<H")
    table = pos
    offsets = [struct.unpack_from(offset_format, body, table + i * offset_size)[0]
               for i in range(count + 1)]  # the glyphs', then the code table's
    shapes = [body[table + offsets[i]:table + offsets[i + 1]] for i in range(count)]

    bold = italic = False
    family = name
    for ending, is_bold, is_italic in STYLES:
        if name.endswith(ending):
            family, bold, italic = name[:-len(ending)], is_bold, is_italic
            break
    flags = (flags & ~0x03) | (0x01 if bold else 0) | (0x02 if italic else 0)
    encoded = family.encode("utf-8") + b"\0"

    head = struct.pack("<HBBB", font_id, flags, language, len(encoded)) + encoded
    rest = body[5 + name_length:]
    if not flags & 0x80:  # no layout: no bounds table
        return head + rest
    code_size = 2 if flags & 0x04 else 1
    layout = table + offsets[count] + code_size * count
    bounds_start = layout + 6 + 2 * count  # ascent, descent, leading, advances
    pos = bounds_start
    for _ in range(count):
        pos = skip_rect(body, pos)
    bounds = b"".join(rect_bytes(outline_bounds(shape)) for shape in shapes)
    return head + body[5 + name_length:bounds_start] + bounds + body[pos:]


def main():
    path = sys.argv[1]
    with open(path, "rb") as f:
        data = f.read()
    signature = data[:3]
    if signature == b"CWS":
        data = data[:8] + zlib.decompress(data[8:])
    elif signature != b"FWS":
        sys.exit("%s: not an uncompressed or zlib-compressed movie" % path)
    rect_end = skip_rect(data, 8)
    pos = rect_end + 4
    out = bytearray(data[:pos])
    fonts = 0
    while pos + 2 <= len(data):
        (header,) = struct.unpack_from("<H", data, pos)
        code, length = header >> 6, header & 0x3F
        pos += 2
        if length == 0x3F:
            (length,) = struct.unpack_from("<I", data, pos)
            pos += 4
        body = data[pos:pos + length]
        if len(body) != length:
            sys.exit("%s: a tag runs past the end of the movie" % path)
        pos += length
        if code == DEFINE_FONT3:
            body = fix_font(body)
            fonts += 1
        if len(body) < 0x3F and code != DEFINE_FONT3:
            out += struct.pack("<H", (code << 6) | len(body)) + body
        else:
            out += struct.pack("<HI", (code << 6) | 0x3F, len(body)) + body
        if code == END:
            break
    struct.pack_into("<I", out, 4, len(out))
    result = bytes(out)
    if signature == b"CWS":
        result = result[:8] + zlib.compress(result[8:], 9)
    with open(path + ".tmp", "wb") as f:
        f.write(result)
    os.replace(path + ".tmp", path)
    print("%s: %d embedded font faces completed" % (path, fonts))


if __name__ == "__main__":
    main()
