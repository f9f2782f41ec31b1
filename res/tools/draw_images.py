#!/usr/bin/python3
"""Draws the application icon (128) and the remote-list bitmap (151) as PNG files.

Run from res/: /usr/bin/python3 tools/draw_images.py  (writes images/*.png)
"""
import struct
import zlib


def write_png(path, w, h, pixels):
    """pixels: list of rows of (r, g, b, a)."""
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in pixels)

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data))

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def rounded(x, y, x0, y0, x1, y1, r):
    if x < x0 or x > x1 or y < y0 or y > y1:
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def icon_colour(u, v):
    """Colour at (u, v) in the unit square, or None for transparent."""
    # a page with a folded corner, on a blue tile, with a green arrow pointing down into a tray
    c = None
    if rounded(u, v, 0.03, 0.03, 0.97, 0.97, 0.16):
        c = (34, 92, 170) if v > 0.5 else (52, 120, 200)
    page = 0.22 <= u <= 0.70 and 0.12 <= v <= 0.80 and not (u > 0.56 and v < 0.26 and (u - 0.56) > (v - 0.12))
    if page:
        c = (250, 250, 245)
        for ly in (0.34, 0.44, 0.54, 0.64):
            if abs(v - ly) < 0.018 and 0.28 <= u <= 0.62:
                c = (140, 160, 190)
    if u > 0.56 and v < 0.26 and 0.56 <= u <= 0.70 and 0.12 <= v and (u - 0.56) <= (v - 0.12):
        c = (205, 212, 225)
    # arrow
    if 0.66 <= u <= 0.80 and 0.40 <= v <= 0.66:
        c = (46, 170, 80)
    if 0.66 <= v <= 0.86 and abs(u - 0.73) <= (0.86 - v) * 0.95:
        c = (46, 170, 80)
    return c


def draw_icon(size, path):
    ss = 4
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(ss):
                for sx in range(ss):
                    c = icon_colour((x + (sx + 0.5) / ss) / size, (y + (sy + 0.5) / ss) / size)
                    if c:
                        acc[0] += c[0]
                        acc[1] += c[1]
                        acc[2] += c[2]
                        acc[3] += 1
            n = acc[3]
            if n:
                row.append((acc[0] // n, acc[1] // n, acc[2] // n, 255 * n // (ss * ss)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    write_png(path, size, size, rows)


FOLDER = [
    "................",
    "................",
    "..KKKKK.........",
    ".KYYYYYK........",
    "KYYYYYYYKKKKKKK.",
    "KYYYYYYYYYYYYYYK",
    "KYLLLLLLLLLLLLYK",
    "KYLYYYYYYYYYYYYK",
    "KYLYYYYYYYYYYYYK",
    "KYLYYYYYYYYYYYYK",
    "KYLYYYYYYYYYYYYK",
    "KYLYYYYYYYYYYYYK",
    "KYYYYYYYYYYYYYDK",
    ".KKKKKKKKKKKKKK.",
    "................",
    "................",
]
PAGE = [
    "...KKKKKKKK.....",
    "...KWWWWWWKK....",
    "...KWWWWWWKGK...",
    "...KWWWWWWKKKK..",
    "...KWBBBBWWWWK..",
    "...KWWWWWWWWWK..",
    "...KWBBBBBBBWK..",
    "...KWWWWWWWWWK..",
    "...KWBBBBBBBWK..",
    "...KWWWWWWWWWK..",
    "...KWBBBBBBBWK..",
    "...KWWWWWWWWWK..",
    "...KWBBBBBWWWK..",
    "...KWWWWWWWWWK..",
    "...KKKKKKKKKKK..",
    "................",
]
PALETTE = {
    ".": (255, 255, 255),  # the mask colour
    "K": (96, 72, 16),
    "Y": (250, 210, 70),
    "L": (255, 236, 150),
    "D": (200, 150, 30),
    "W": (254, 254, 254),
    "G": (192, 192, 192),
    "B": (80, 100, 150),
}


def draw_bitmap(path):
    rows = []
    for y in range(16):
        line = FOLDER[y] + PAGE[y].replace("K", "k")
        rows.append([PALETTE[ch] + (255,) if ch != "k" else (64, 64, 64, 255) for ch in line])
    write_png(path, 32, 16, rows)


if __name__ == "__main__":
    for s in (16, 32, 48, 256):
        draw_icon(s, "images/icon128-%d.png" % s)
    draw_bitmap("images/bitmap151.png")
