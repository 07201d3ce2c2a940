#!/usr/bin/env python3
"""Renders the row ground pictures TABn1.bmp, TABn2.bmp and TABn3.bmp.

The pictures are what a row window shows under the fret numbers, so their
lines must sit exactly where the geometry of Lutewise.ini puts the strings
and the staff. The geometry is therefore read from that file (default
data/Lutewise.ini) rather than repeated here:

  TABn1.bmp  staff + TAB   [POSITION1] (and [POSITION2], which must agree)
  TABn2.bmp  TAB           [POSITION3]
  TABn3.bmp  TAB           [POSITION4] (and [POSITION5], which must agree)

Black lines on white, 1 bit per pixel. Six TAB lines always (the editor
blanks the lines a four- or five-string instrument does not use), five staff
lines, no bar lines (the editor draws those).

Usage: make-grounds.py [--ini data/Lutewise.ini] [--out-dir data]
"""

import argparse
import configparser
import os
import struct
import sys

WIDTH = 1100
# Heights leave room for what the styles put around the lines: chord names,
# ledger lines and the rhythm row above the TAB (TABn1, TABn3) or below it
# (TABn1 style 2, TABn2).
PICTURES = {
    "TABn1.bmp": {"sections": ["POSITION1", "POSITION2"], "height": 280, "staff": True},
    "TABn2.bmp": {"sections": ["POSITION3"], "height": 176, "staff": False},
    "TABn3.bmp": {"sections": ["POSITION4", "POSITION5"], "height": 176, "staff": False},
}
TAB_LINES = 6
STAFF_LINES = 5


def first_int(text):
    return int(text.strip().split(",")[0])


def geometry(cfg, section, staff):
    sec = cfg[section]
    g = {
        "left": int(sec["DanLeft"]),
        "width": int(sec["DanWidth"]),
        "top": first_int(sec["DanTop"]),
        "interval": int(sec["DanInterval"]),
    }
    if staff:
        g["top2"] = first_int(sec["DanTop2"])
        g["interval2"] = int(sec["DanInterval2"])
    return g


def horizontal_rows(g, staff):
    rows = [g["top"] + k * g["interval"] for k in range(TAB_LINES)]
    if staff:
        rows += [g["top2"] + k * g["interval2"] for k in range(STAFF_LINES)]
    return rows


def write_bmp1(path, width, height, black):
    """black: set of (x, y) pixels; everything else is white."""
    stride = ((width + 31) // 32) * 4
    rows = []
    for y in range(height - 1, -1, -1):  # bottom-up
        row = bytearray(b"\xff" * stride)  # palette index 1 = white
        for x in black.get(y, ()):
            row[x // 8] &= ~(0x80 >> (x % 8)) & 0xFF
        rows.append(bytes(row))
    pixels = b"".join(rows)
    palette = b"\x00\x00\x00\x00" + b"\xff\xff\xff\x00"
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    # 3780 pixels per metre = 96 dpi.
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 1, 0, len(pixels), 3780, 3780, 2, 2)
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(header + info + palette + pixels)
    os.replace(tmp, path)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    data = os.path.join(here, "..", "data")
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--ini", default=os.path.join(data, "Lutewise.ini"))
    ap.add_argument("--out-dir", default=data)
    args = ap.parse_args()

    cfg = configparser.ConfigParser(strict=False, interpolation=None)
    cfg.optionxform = str
    with open(args.ini, encoding="cp932") as f:
        cfg.read_file(f)

    for name, pic in PICTURES.items():
        sections = pic["sections"]
        lines = [horizontal_rows(geometry(cfg, s, pic["staff"]), pic["staff"]) for s in sections]
        spans = [(geometry(cfg, s, pic["staff"])["left"], geometry(cfg, s, pic["staff"])["width"]) for s in sections]
        if any(l != lines[0] for l in lines) or any(s != spans[0] for s in spans):
            sys.exit(f"{name}: sections {', '.join(sections)} disagree; one picture serves them all")
        left, width = spans[0]
        right = left + width
        height = pic["height"]
        if left < 0 or right >= WIDTH or min(lines[0]) < 0 or max(lines[0]) >= height:
            sys.exit(f"{name}: the lines of {sections[0]} do not fit {WIDTH} x {height}")
        black = {}
        for y in lines[0]:
            black.setdefault(y, set()).update(range(left, right + 1))
        out = os.path.join(args.out_dir, name)
        write_bmp1(out, WIDTH, height, black)
        print(f"{out}: {WIDTH} x {height}, lines at y = {sorted(lines[0])}, x = {left}..{right}")


if __name__ == "__main__":
    main()
