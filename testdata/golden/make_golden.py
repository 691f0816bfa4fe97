#!/usr/bin/env python3
"""Writes case.asm for every case folder here from its case.bin and case.flags.

A small, separate model of the listing (written from the format's description, sharing no
code with the program), so the golden files do not merely echo the program's own output.
Understands the flags the cases use: --start/--end/--count-from (decimal or $hex), --no-labels,
--invert, --vertical, --skip even|odd, --shape 8x8|8x12|16x16, --syntax NAME, --pixels,
--label-prefix TEXT, --every-tile, --glyph WxH, --glyph-gap N, --unique, --map FILE (the map goes
to case.map). A case whose range lists nothing keeps a hand-written case.message instead of
case.asm.
"""
import pathlib
import shlex


# Per assembler, from its manual: the data directive, the binary or hex number prefix, the
# comment's opening and closing, and what follows a symbol (None: no symbols).
SYNTAXES = {
    "classic": (" .db ", "%", ";", "", ":"),
    "ca65": (" .byte ", "%", ";", "", ":"),
    "acme": (" !byte ", "%", ";", "", ""),
    "sdas": (" .db ", "0b", ";", "", ":"),
    "gas": (" .byte ", "0b", ";", "", ":"),
    "rgbds": (" db ", "%", ";", "", ":"),
    "wla-dx": (" .db ", "%", ";", "", ":"),
    "sjasmplus": (" db ", "%", ";", "", ""),
    "kickass": (" .byte ", "%", "//", "", ":"),
    "vasm": (" dc.b ", "%", ";", "", ":"),
    "c": ("", "0x", "/*", " */", None),
}


def number(text):
    return int(text[1:], 16) if text.startswith("$") else int(text)


def listing(data, flags):
    start, end, count = 0, len(data), 0
    labels, invert, vertical, skip, even, shape = True, False, False, False, True, "8x8"
    syntax, pixels, prefix = "classic", False, ""
    every, glyph, gap, unique, cell_map = False, None, 0, False, False
    args = iter(shlex.split(flags))
    for arg in args:
        if arg == "--start": start = number(next(args))
        elif arg == "--end": end = number(next(args))
        elif arg == "--count-from": count = number(next(args))
        elif arg == "--no-labels": labels = False
        elif arg == "--invert": invert = True
        elif arg == "--vertical": vertical = True
        elif arg == "--skip": skip, even = True, next(args) == "even"
        elif arg == "--shape": shape = next(args)
        elif arg == "--syntax": syntax = next(args)
        elif arg == "--pixels": pixels = True
        elif arg == "--label-prefix": prefix = next(args)
        elif arg == "--every-tile": every = True
        elif arg == "--glyph": glyph = tuple(int(n) for n in next(args).split("x"))
        elif arg == "--glyph-gap": gap = number(next(args))
        elif arg == "--unique": unique = True
        elif arg == "--map": next(args); cell_map = True
        else: raise SystemExit("unknown flag " + arg)
    length = end - start
    buf = data[start:start + length + 256]
    buf = buf + bytes(length + 256 - len(buf))  # past the file: zero bytes

    directive, radix, comment, close, symbol = SYNTAXES[syntax]
    every = every or unique or cell_map  # every cell counts, a partial block row too

    def written(v):
        return v ^ 0xFF if invert else v

    def digits(v):
        return radix + format(written(v), "02X" if radix == "0x" else "08b")

    def row_line(*values):
        # C rows are array elements: each value ends in a comma.
        if radix == "0x":
            text = "".join(digits(v) + "," for v in values)
        else:
            text = directive + ",".join(digits(v) for v in values)
        if pixels:
            picture = "".join(format(written(v), "08b") for v in values)
            text += " " + comment + " " + picture.replace("0", ".").replace("1", "#") + close
        return text

    lines, tile_no = [], count

    def label():
        nonlocal tile_no
        hexed = format(tile_no & 0xFFFFFFFF, "X")
        if len(hexed) % 2: hexed = "0" + hexed
        if not labels: lines.append("")
        elif prefix and symbol is not None: lines.append(prefix + hexed + symbol)
        else: lines.append(comment + " " + hexed + close)
        tile_no += 1

    def whole(end):  # the range holds every byte before `end`
        return end <= length

    if glyph:
        width, height = glyph[0] // 8, glyph[1]
        size = width * height
        at = 0
        while whole(at + size):
            label()
            for t in range(height):
                lines.append(row_line(*buf[at + t * width:at + (t + 1) * width]))
            at += size + gap
    elif shape == "16x16":
        rows = length // 256
        order = [(c, r) for r in range(rows) for c in range(0, 16, 2)]
        if every:  # a tile whose lower half ends in the range is whole
            order += [(c, rows) for c in range(0, 16, 2) if whole(rows * 256 + 128 + c * 8 + 16)]
        for col, row in order:
            label()
            base = row * 256 + col * 8
            for half in (0, 128):
                for t in range(8):
                    lines.append(row_line(buf[base + half + t], buf[base + half + 8 + t]))
    elif shape == "8x12":
        for row in range(length // 256):
            for col in range(16):
                label()
                base = row * 256 + col * 8
                for t in list(range(8)) + [256 + u for u in range(4)]:
                    lines.append(row_line(buf[base + t]))
    else:
        cols = [c for c in range(16) if not skip or (c % 2 == 0) == even]
        rows = list(range(length // 128))
        partial = length // 128

        def rows_of(c):  # with --every-tile, a block of the partial row that the range holds
            return rows + ([partial] if every and whole(partial * 128 + c * 8 + 8) else [])
        order = [(c, r) for c in cols for r in rows_of(c)] if vertical else \
                [(c, r) for r in rows for c in cols] + \
                [(c, partial) for c in cols if len(rows_of(c)) > len(rows)]
        seen, numbers = {}, []
        for col, row in order:
            cell = bytes(written(v) for v in buf[row * 128 + col * 8:row * 128 + col * 8 + 8])
            if unique and cell in seen:
                numbers.append(seen[cell])
                continue
            seen[cell] = tile_no
            numbers.append(tile_no)
            label()
            for t in range(8):
                lines.append(row_line(buf[row * 128 + col * 8 + t]))
    text = "".join(line + "\r\n" for line in lines).encode("ascii")
    if not cell_map:
        return text, None
    # The map: 16 numbers a line, each a byte in the assembler's hexadecimal form.
    hex_prefix = "0x" if radix in ("0b", "0x") else "$"
    map_lines = [prefix + "map" + symbol] if prefix and symbol is not None else []
    for at in range(0, len(numbers), 16):
        items = [hex_prefix + format(n, "02X") for n in numbers[at:at + 16]]
        map_lines.append("".join(i + "," for i in items) if radix == "0x" else
                         directive + ",".join(items))
    return text, "".join(line + "\r\n" for line in map_lines).encode("ascii")


if __name__ == "__main__":
    for case in sorted(pathlib.Path(__file__).parent.iterdir()):
        if (case / "case.bin").exists() and not (case / "case.message").exists():
            flags = (case / "case.flags").read_text().strip()
            text, cell_map = listing((case / "case.bin").read_bytes(), flags)
            (case / "case.asm").write_bytes(text)
            if cell_map is not None: (case / "case.map").write_bytes(cell_map)
            print(case.name)
