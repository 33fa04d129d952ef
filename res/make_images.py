#!/usr/bin/env python3
"""Draws the program's small pictures (run by hand; the outputs are committed):
help.bmp / help_disabled.bmp: 16x16 question mark in a circle, blue and grey, on magenta
(the colour the view treats as transparent); quillon.ico: 32x32 and 16x16 keyboard-key icon."""
import struct

MAGENTA = (255, 0, 255)

QUESTION = [
    "................",
    ".....######.....",
    "...##########...",
    "..############..",
    ".#####....#####.",
    ".####......####.",
    "##########.#####",
    "#########..#####",
    "########..######",
    "#######..#######",
    "#######..#######",
    ".##############.",
    ".######..######.",
    "..#####..#####..",
    "...##########...",
    ".....######.....",
]


def help_pixels(fill, mark):
    rows = []
    for y in range(16):
        row = []
        for x in range(16):
            dx, dy = x - 7.5, y - 7.75
            inside = dx * dx + dy * dy <= 7.6 * 7.6
            c = QUESTION[y][x]
            if not inside:
                row.append(MAGENTA)
            elif c == "#":
                row.append(fill)
            else:
                row.append(mark)
        rows.append(row)
    return rows


def write_bmp(path, rows):
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def icon_image(size):
    px = []
    for y in range(size):
        row = []
        for x in range(size):
            m = size // 16
            edge = x < m or y < m or x >= size - m or y >= size - 2 * m
            inner = m <= x < size - m and m <= y < size - 2 * m
            if not (edge or inner):
                row.append((0, 0, 0, 0))
            elif edge:
                row.append((40, 60, 140, 255))
            else:
                # A "Q" drawn as a ring with a tail.
                cx, cy, r = size / 2 - 0.5, size / 2 - 1.5, size * 0.27
                d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
                ring = abs(d - r) <= size / 16
                tail = abs((x - cx) - (y - cy)) <= size / 20 and x > cx + r * 0.3 and x < cx + r * 1.25
                row.append((255, 255, 255, 255) if ring or tail else (70, 110, 210, 255))
        px.append(row)
    return px


def ico_entry(px):
    size = len(px)
    xor = bytearray()
    for row in reversed(px):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    andmask = bytearray(mask_stride * size)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(andmask), 0, 0, 0, 0)
    return info + xor + andmask


def write_ico(path, sizes):
    images = [ico_entry(icon_image(s)) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    for img in images:
        out += img
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    write_bmp("help.bmp", help_pixels((0, 90, 220), (255, 255, 255)))
    write_bmp("help_disabled.bmp", help_pixels((160, 160, 160), (240, 240, 240)))
    write_ico("quillon.ico", [32, 16])
