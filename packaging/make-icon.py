#!/usr/bin/env python3
"""Draws the game's icon: two missiles meeting over the lanes in a burst.

Writes kanaburst.svg and kanaburst-<size>.png (48, 128, 256) next to this script. The shapes
are listed once and both outputs are made from the list; the PNGs are rasterised here with
4 x 4 supersampling, so nothing beyond Python is needed.
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

def star(cx, cy, r_out, r_in, points, turn=0.0):
    pts = []
    for k in range(points * 2):
        r = r_out if k % 2 == 0 else r_in
        a = math.pi * k / points + turn
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts

def missile(x, y, facing):
    """A 32 x 20 missile: nose, body and tail fins; its nose at x when facing left (-1), at
    x + 32 when facing right (+1)."""
    body = [(x, y + 6), (x + 9, y + 1), (x + 24, y + 1), (x + 30, y - 4), (x + 32, y - 4),
            (x + 32, y + 16), (x + 30, y + 16), (x + 24, y + 11), (x + 9, y + 11)]
    if facing > 0:
        body = [(2 * x + 32 - px, py) for px, py in body]
    return body

# (kind, colour, data) on a 64 x 64 canvas; drawn in order.
SHAPES = [
    ("rrect", (22, 28, 58), (0, 0, 64, 64, 12)),
    *[("poly", (48, 60, 110), [(6, y), (58, y), (58, y + 1), (6, y + 1)]) for y in (12, 22, 32, 42, 52)],
    ("poly", (255, 140, 30), missile(30, 12, -1)),
    ("poly", (90, 170, 255), missile(2, 40, +1)),
    ("poly", (230, 40, 20), star(32, 33, 20, 9, 9, 0.2)),
    ("poly", (255, 200, 40), star(32, 33, 13, 6, 9, 0.5)),
    ("poly", (255, 250, 220), star(32, 33, 6, 3, 6, 0.0)),
]

def inside_poly(px, py, pts):
    hit = False
    n = len(pts)
    for i in range(n):
        (x1, y1), (x2, y2) = pts[i], pts[(i + 1) % n]
        if (y1 > py) != (y2 > py) and px < x1 + (py - y1) * (x2 - x1) / (y2 - y1):
            hit = not hit
    return hit

def inside_rrect(px, py, d):
    x, y, w, h, r = d
    if not (x <= px < x + w and y <= py < y + h):
        return False
    cx = min(max(px, x + r), x + w - r)
    cy = min(max(py, y + r), y + h - r)
    return (px - cx) ** 2 + (py - cy) ** 2 <= r * r

def colour_at(px, py):
    colour = None
    for kind, rgb, data in SHAPES:
        if (inside_rrect(px, py, data) if kind == "rrect" else inside_poly(px, py, data)):
            colour = rgb
    return colour

def render_png(size, path):
    sub = 4
    rows = []
    for y in range(size):
        row = bytearray([0])
        for x in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(sub):
                for sx in range(sub):
                    c = colour_at((x + (sx + 0.5) / sub) * 64 / size, (y + (sy + 0.5) / sub) * 64 / size)
                    if c:
                        acc[0] += c[0]; acc[1] += c[1]; acc[2] += c[2]; acc[3] += 1
            n = acc[3]
            row += bytes([acc[0] // n, acc[1] // n, acc[2] // n, 255 * n // (sub * sub)] if n else [0, 0, 0, 0])
        rows.append(bytes(row))
    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)

def write_svg(path):
    out = ['<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">']
    for kind, (r, g, b), data in SHAPES:
        fill = f"#{r:02x}{g:02x}{b:02x}"
        if kind == "rrect":
            x, y, w, h, rad = data
            out.append(f'  <rect x="{x}" y="{y}" width="{w}" height="{h}" rx="{rad}" fill="{fill}"/>')
        else:
            pts = " ".join(f"{px:.2f},{py:.2f}" for px, py in data)
            out.append(f'  <polygon points="{pts}" fill="{fill}"/>')
    out.append("</svg>")
    with open(path, "w") as f:
        f.write("\n".join(out) + "\n")

if __name__ == "__main__":
    write_svg(os.path.join(HERE, "kanaburst.svg"))
    for size in (48, 128, 256):
        render_png(size, os.path.join(HERE, f"kanaburst-{size}.png"))
