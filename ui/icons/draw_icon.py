#!/usr/bin/env python3
"""Draws Tessary's icon: a sheet of tiles with a selected block of four.

Writes tessary-16.png and tessary-32.png (16 colours), tessary-16-mono.png and
tessary-32-mono.png (2 colours) and tessary.ico (all four, as palette bitmaps)
into the folder of this script. Needs only Python's standard library.
"""

import os
import struct
import zlib

# The 16-colour palette the images are drawn in.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, TEAL, GRAY, YELLOW, AQUA, WHITE = 0, 4, 6, 8, 11, 14, 15
CLEAR = None  # transparent


def draw(size, mono):
    """Returns size x size palette indexes (or CLEAR) of the sheet."""
    cell = 6 if size == 32 else 2
    step = cell + 1
    span = 4 * step  # from the first grid line to the last
    img = [[CLEAR] * size for _ in range(size)]

    def fill(x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                img[y][x] = colour

    first, last = 1, 1 + span
    if not mono:
        shadow = 2 if size == 32 else 1
        fill(first + shadow, first + shadow, last + shadow, last + shadow, GRAY)
    fill(first, first, last, last, BLACK if mono else NAVY)
    for row in range(4):
        for col in range(4):
            x0 = first + 1 + col * step
            y0 = first + 1 + row * step
            selected = 1 <= row <= 2 and 1 <= col <= 2
            for y in range(y0, y0 + cell):
                for x in range(x0, x0 + cell):
                    if mono:
                        on = selected and (size == 16 or (x + y) % 2 == 0)
                        img[y][x] = BLACK if on else WHITE
                    else:
                        img[y][x] = AQUA if selected else (TEAL if (row + col) % 2 else WHITE)
    # The selection frame around the middle block of four tiles.
    a = first + step
    b = first + 3 * step
    frame = BLACK if mono else YELLOW
    for t in range(a, b + 1):
        img[a][t] = img[b][t] = img[t][a] = img[t][b] = frame
    if size == 32:  # thicker on the larger image
        for t in range(a - 1, b + 2):
            img[a - 1][t] = img[b + 1][t] = img[t][a - 1] = img[t][b + 1] = frame
    if mono:  # the outer frame stays black on the 2-colour images
        for t in range(first, last + 1):
            img[first][t] = img[last][t] = img[t][first] = img[t][last] = BLACK
    return img


def png(img):
    size = len(img)
    raw = b""
    for row in img:
        raw += b"\0"
        for p in row:
            raw += bytes(PALETTE[p]) + b"\xff" if p is not None else b"\0\0\0\0"

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    head = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", head) + chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


def bitmap(img, mono):
    """A palette DIB as an icon holds it: header, palette, colour rows, mask rows."""
    size = len(img)
    bpp = 1 if mono else 4
    colours = [PALETTE[BLACK], PALETTE[WHITE]] if mono else PALETTE

    def rows(bits_of):
        out = b""
        for row in reversed(img):  # bottom-up
            bits = "".join(bits_of(p) for p in row)
            bits += "0" * (-len(bits) % 32)
            out += int(bits, 2).to_bytes(len(bits) // 8, "big")
        return out

    if mono:
        xor = rows(lambda p: "1" if p == WHITE else "0")
    else:
        xor = rows(lambda p: format(p if p is not None else 0, "04b"))
    mask = rows(lambda p: "1" if p is None else "0")
    head = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bpp, 0, len(xor) + len(mask), 0, 0,
                       len(colours), 0)
    pal = b"".join(bytes((b, g, r, 0)) for (r, g, b) in colours)
    return head + pal + xor + mask, len(colours), bpp


def ico(images):
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    bodies = b""
    for size, img, mono in images:
        body, count, bpp = bitmap(img, mono)
        out += struct.pack("<BBBBHHII", size, size, count % 256, 0, 1, bpp, len(body), offset)
        offset += len(body)
        bodies += body
    return out + bodies


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    images = []
    for mono in (False, True):
        for size in (32, 16):
            img = draw(size, mono)
            images.append((size, img, mono))
            name = "tessary-%d%s.png" % (size, "-mono" if mono else "")
            with open(os.path.join(here, name), "wb") as f:
                f.write(png(img))
    with open(os.path.join(here, "tessary.ico"), "wb") as f:
        f.write(ico(images))


if __name__ == "__main__":
    main()
