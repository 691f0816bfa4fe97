#!/usr/bin/env python3
"""Draws examples/sheet.chr: a 16x2 sheet of 8x8 one-bit tiles, 128 bytes per block row.

Row 0 holds the hexadecimal digits 0-F, row 1 arrows, a frame and a few dither patterns.
Each tile is 8 bytes, one per pixel row, bit 7 the leftmost pixel.
"""
import pathlib

DIGITS = """
.XXXX... ...XX... .XXXX... .XXXX... XX..XX.. XXXXXX.. .XXXX... XXXXXX.. .XXXX... .XXXX... ..XX.... XXXXX... .XXXX... XXXX.... XXXXXX.. XXXXXX..
XX..XX.. ..XXX... XX..XX.. XX..XX.. XX..XX.. XX...... XX...... ....XX.. XX..XX.. XX..XX.. .XXXX... XX..XX.. XX..XX.. XX.XX... XX...... XX......
XX.XXX.. ...XX... ....XX.. ....XX.. XX..XX.. XXXXX... XXXXX... ...XX... XX..XX.. XX..XX.. XX..XX.. XX..XX.. XX...... XX..XX.. XX...... XX......
XXXXXX.. ...XX... ...XX... ..XXX... XXXXXX.. ....XX.. XX..XX.. ..XX.... .XXXX... .XXXXX.. XXXXXX.. XXXXX... XX...... XX..XX.. XXXXX... XXXXX...
XXX.XX.. ...XX... ..XX.... ....XX.. ....XX.. ....XX.. XX..XX.. ..XX.... XX..XX.. ....XX.. XX..XX.. XX..XX.. XX...... XX..XX.. XX...... XX......
XX..XX.. ...XX... .XX..... XX..XX.. ....XX.. XX..XX.. XX..XX.. ..XX.... XX..XX.. ...XX... XX..XX.. XX..XX.. XX..XX.. XX.XX... XX...... XX......
.XXXX... .XXXXXX. XXXXXX.. .XXXX... ....XX.. .XXXX... .XXXX... ..XX.... .XXXX... .XXX.... XX..XX.. XXXXX... .XXXX... XXXX.... XXXXXX.. XX......
........ ........ ........ ........ ........ ........ ........ ........ ........ ........ ........ ........ ........ ........ ........ ........
"""

SHAPES = """
...XX... ...XX... ...X.... ....X... XXXXXXXX ........ X.X.X.X. XX..XX.. XXXXXXXX ........ XXXX.... ........ ..XXXX.. ...XX... X......X ........
..XXXX.. ...XX... ..XX.... ....XX.. X......X ........ .X.X.X.X XX..XX.. X.X.X.X. ........ XXXX.... ........ .X....X. ..XXXX.. .X....X. ....X...
.XXXXXX. ...XX... .XXXXXXX XXXXXXX. X......X ...XX... X.X.X.X. ..XX..XX XXXXXXXX ........ XXXX.... ........ X.X..X.X .XXXXXX. ..X..X.. ...XXX..
XXXXXXXX ...XX... XXXXXXXX XXXXXXXX X......X ..XXXX.. .X.X.X.X ..XX..XX .X.X.X.X ........ XXXX.... ........ X......X XXXXXXXX ...XX... ..XXXXX.
...XX... XXXXXXXX .XXXXXXX XXXXXXX. X......X ..XXXX.. X.X.X.X. XX..XX.. XXXXXXXX ........ ....XXXX ........ X.X..X.X XXXXXXXX ...XX... ...XXX..
...XX... .XXXXXX. ..XX.... ....XX.. X......X ...XX... .X.X.X.X XX..XX.. X.X.X.X. ........ ....XXXX ........ X..XX..X .XXXXXX. ..X..X.. ....X...
...XX... ..XXXX.. ...X.... ....X... X......X ........ X.X.X.X. ..XX..XX XXXXXXXX ........ ....XXXX ........ .X....X. ..XXXX.. .X....X. ........
...XX... ...XX... ........ ........ XXXXXXXX ........ .X.X.X.X ..XX..XX .X.X.X.X ........ ....XXXX XXXXXXXX ..XXXX.. ...XX... X......X ........
"""


def block_row(art):
    rows = [line.split() for line in art.strip().splitlines()]
    out = bytearray()
    for tile in range(16):
        for row in rows:
            out.append(int(row[tile].replace("X", "1").replace(".", "0"), 2))
    return bytes(out)


if __name__ == "__main__":
    here = pathlib.Path(__file__).parent
    (here / "sheet.chr").write_bytes(block_row(DIGITS) + block_row(SHAPES))
