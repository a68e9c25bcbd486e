#!/usr/bin/env python3
"""Draws the program's pictures: the icon (PNG and ICO) and the About banner (GIF).

Everything is drawn with integer arithmetic and written without compression
choices left to the zlib build, so running the script again anywhere gives
the same bytes as the committed files.

Usage: make_pictures.py [OUTPUT_DIR]   (default: the folder of this script)
"""

import os
import struct
import sys
import zlib

# ---------------------------------------------------------------------------
# Colours

CREAM = (244, 240, 230)
TEAL = (20, 128, 132)
TEAL_DARK = (12, 84, 90)
TEAL_LIGHT = (160, 206, 204)
ORANGE = (232, 118, 38)
ORANGE_DARK = (176, 80, 20)
LENS = (226, 240, 238)


def mix(a, b, num, den):
    """Colour a blended towards b by num/den, rounded to the nearest integer."""
    return tuple((a[i] * (den - num) + b[i] * num + den // 2) // den for i in range(3))


# ---------------------------------------------------------------------------
# The icon: five byte bars rising and falling, a magnifying glass over them.

# The icon is designed on a 32-pixel grid and drawn from that design at every
# size, so the large icons are sharp rather than enlarged.
DESIGN_SIZE = 32
ICON_SIZES = (16, 32, 48, 64, 128, 256)
SUB = 4  # sub-samples per pixel side, for smooth edges


def icon_colour_at(x2, y2, unit):
    """The colour at the design point (x2 / unit, y2 / unit); unit is even."""

    # The glass: a ring centred at (19, 12), handle to the lower right.
    cx, cy = 19 * unit, 12 * unit
    dx, dy = x2 - cx, y2 - cy
    d2 = dx * dx + dy * dy
    outer = (8 * unit) ** 2
    inner = (6 * unit) ** 2
    # The handle: a thick segment from (24.5, 17.5) to (29.5, 28.5)
    # measured as the distance from the line through it, clipped to its length.
    ax, ay = 49 * unit // 2, 35 * unit // 2  # (24.5, 17.5) in these units
    bx, by = 59 * unit // 2, 57 * unit // 2  # (29.5, 28.5)
    vx, vy = bx - ax, by - ay
    wx, wy = x2 - ax, y2 - ay
    along = wx * vx + wy * vy
    length2 = vx * vx + vy * vy
    handle = False
    if 0 <= along <= length2:
        cross = wx * vy - wy * vx
        half = 2 * unit  # half thickness: 2 pixels
        handle = cross * cross <= half * half * length2

    if handle:
        return ORANGE_DARK
    if inner < d2 <= outer:
        return ORANGE

    # The bars, bottom-aligned on a base line, teal; under the lens lighter.
    bars = [(3, 6, 14), (8, 11, 22), (13, 16, 11), (18, 21, 25), (23, 26, 17)]
    base = 28 * unit
    colour = CREAM
    for left, right, height in bars:
        if left * unit <= x2 < right * unit and base - height * unit <= y2 < base:
            colour = TEAL
    if 2 * unit <= x2 < 30 * unit and base <= y2 < base + unit:
        colour = TEAL_DARK
    if d2 <= inner:
        colour = TEAL_LIGHT if colour == TEAL else (LENS if colour == CREAM else colour)
    return colour


def draw_icon(size):
    """Rows of (r, g, b) tuples, top row first, size pixels square."""
    # A sub-sample's centre, (2 * SUB * x + 2 * i + 1) / (2 * SUB) pixels, is
    # that times DESIGN_SIZE / size in design pixels: integral in these units.
    unit = 2 * SUB * size
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            total = [0, 0, 0]
            for j in range(SUB):
                for i in range(SUB):
                    c = icon_colour_at((2 * SUB * x + 2 * i + 1) * DESIGN_SIZE,
                                       (2 * SUB * y + 2 * j + 1) * DESIGN_SIZE, unit)
                    for k in range(3):
                        total[k] += c[k]
            n = SUB * SUB
            row.append(tuple((t + n // 2) // n for t in total))
        rows.append(row)
    return rows


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def zlib_stored(data):
    """A zlib stream of stored (uncompressed) deflate blocks: byte-identical whatever the zlib build."""
    out = bytearray(b"\x78\x01")
    pos = 0
    while True:
        block = data[pos:pos + 65535]
        pos += len(block)
        final = 1 if pos >= len(data) else 0
        out += struct.pack("<BHH", final, len(block), len(block) ^ 0xFFFF)
        out += block
        if final:
            break
    out += struct.pack(">I", zlib.adler32(data) & 0xFFFFFFFF)
    return bytes(out)


def make_png(rows):
    height = len(rows)
    width = len(rows[0])
    raw = bytearray()
    for row in rows:
        raw.append(0)  # filter: none
        for r, g, b in row:
            raw += bytes((r, g, b))
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", ihdr)
            + png_chunk(b"IDAT", zlib_stored(bytes(raw))) + png_chunk(b"IEND", b""))


def make_ico(rows):
    height = len(rows)
    width = len(rows[0])
    xor = bytearray()
    for row in reversed(rows):  # bottom-up, blue-green-red
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        while len(line) % 4:
            line.append(0)
        xor += line
    and_row = ((width + 31) // 32) * 4
    mask = bytes(and_row * height)  # every pixel opaque
    info = struct.pack("<IiiHHIIiiII", 40, width, 2 * height, 1, 24, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = info + bytes(xor) + mask
    header = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 24, len(image), 6 + 16)
    return header + entry + image


# ---------------------------------------------------------------------------
# The banner: a teal gradient with a row of byte bars rising and falling; one
# run of them, the "match", in orange.

BANNER_W = 489
BANNER_H = 108

# Palette: 0-127 the background gradient, 128-191 the bars (light at the top,
# teal-tinted at the foot), 192-255 the matched bars in orange.
BG_FROM = (10, 70, 78)
BG_TO = (38, 150, 148)
BAR_TOP = (250, 248, 240)
BAR_FOOT = (170, 214, 210)
MATCH_TOP = (252, 196, 120)
MATCH_FOOT = (222, 106, 30)


def banner_palette():
    pal = []
    for i in range(128):
        pal.append(mix(BG_FROM, BG_TO, i, 127))
    for i in range(64):
        pal.append(mix(BAR_TOP, BAR_FOOT, i, 63))
    for i in range(64):
        pal.append(mix(MATCH_TOP, MATCH_FOOT, i, 63))
    return pal


# Bar heights in pixels: a slow wave with a byte-like jitter, all written out
# so that no floating-point library can change a pixel.
BAR_HEIGHTS = [
    34, 42, 51, 47, 58, 66, 61, 70, 77, 72, 64, 69, 57, 49, 53, 41,
    33, 38, 29, 36, 45, 40, 52, 60, 68, 63, 74, 81, 76, 70, 62, 66,
    55, 47, 50, 39, 31, 35, 44, 39,
]
MATCH_FIRST = 22  # the orange run: bars 22 to 27, rising like a pattern
MATCH_LAST = 27
BAR_PITCH = 12
BAR_WIDTH = 9
BAR_LEFT = (BANNER_W - (len(BAR_HEIGHTS) * BAR_PITCH - (BAR_PITCH - BAR_WIDTH))) // 2
BASE_LINE = 96  # bars stand on this row


def banner_index(x, y):
    """The palette index of pixel (x, y)."""
    # Background: diagonal gradient, light towards the upper right.
    t = (x * 2 * 127 + (BANNER_H - 1 - y) * 127) // (2 * (BANNER_W - 1) + (BANNER_H - 1))
    background = t
    rel = x - BAR_LEFT
    if rel < 0:
        return background
    bar, offset = divmod(rel, BAR_PITCH)
    if bar >= len(BAR_HEIGHTS) or offset >= BAR_WIDTH:
        if BASE_LINE + 2 <= y < BASE_LINE + 4 and 0 <= bar < len(BAR_HEIGHTS):
            return 128 + 40  # the base line, a soft light strip
        return background
    top = BASE_LINE - BAR_HEIGHTS[bar]
    if BASE_LINE + 2 <= y < BASE_LINE + 4:
        return 128 + 40
    if top <= y < BASE_LINE:
        shade = (y - top) * 63 // max(1, BAR_HEIGHTS[bar] - 1)
        if MATCH_FIRST <= bar <= MATCH_LAST:
            return 192 + shade
        return 128 + shade
    return background


def draw_banner():
    return [[banner_index(x, y) for x in range(BANNER_W)] for y in range(BANNER_H)]


def lzw_encode(indices, min_code_size=8):
    """GIF's variable-width LZW, codes packed least significant bit first."""
    clear = 1 << min_code_size
    end = clear + 1
    out = bytearray()
    bit_buffer = 0
    bit_count = 0

    def emit(code, width):
        nonlocal bit_buffer, bit_count
        bit_buffer |= code << bit_count
        bit_count += width
        while bit_count >= 8:
            out.append(bit_buffer & 0xFF)
            bit_buffer >>= 8
            bit_count -= 8

    def fresh():
        return {(-1, k): k for k in range(clear)}

    table = fresh()
    next_code = end + 1
    width = min_code_size + 1
    emit(clear, width)
    prefix = None
    for k in indices:
        if prefix is None:
            prefix = k
            continue
        key = (prefix, k)
        if key in table:
            prefix = table[key]
            continue
        emit(prefix, width)
        if next_code < 4096:
            table[key] = next_code
            # The decoder learns this code one step later, so widen once
            # the code just added no longer fits the current width.
            if next_code == (1 << width) and width < 12:
                width += 1
            next_code += 1
        else:
            emit(clear, width)
            table = fresh()
            next_code = end + 1
            width = min_code_size + 1
        prefix = k
    if prefix is not None:
        emit(prefix, width)
    emit(end, width)
    if bit_count:
        out.append(bit_buffer & 0xFF)
    return bytes(out)


def lzw_decode(data, min_code_size=8):
    """A plain decoder to check the encoder against: the list of indices."""
    clear = 1 << min_code_size
    end = clear + 1
    pos = 0
    bit_buffer = 0
    bit_count = 0
    width = min_code_size + 1
    table = [bytes((k,)) for k in range(clear)] + [b"", b""]
    result = bytearray()
    previous = None
    while True:
        while bit_count < width:
            if pos >= len(data):
                raise ValueError("LZW data ends before the end code")
            bit_buffer |= data[pos] << bit_count
            pos += 1
            bit_count += 8
        code = bit_buffer & ((1 << width) - 1)
        bit_buffer >>= width
        bit_count -= width
        if code == clear:
            table = table[:end + 1]
            width = min_code_size + 1
            previous = None
            continue
        if code == end:
            return list(result)
        if code < len(table):
            entry = table[code]
        elif code == len(table) and previous is not None:
            entry = previous + previous[:1]
        else:
            raise ValueError("bad LZW code %d" % code)
        result += entry
        if previous is not None and len(table) < 4096:
            table.append(previous + entry[:1])
            if len(table) == (1 << width) and width < 12:
                width += 1
        previous = entry


def make_gif(rows, palette):
    height = len(rows)
    width = len(rows[0])
    flat = [i for row in rows for i in row]
    data = lzw_encode(flat)
    if lzw_decode(data) != flat:
        raise SystemExit("make_pictures.py: the LZW round trip failed")
    out = bytearray(b"GIF89a")
    # Global colour table present, 8 bits of colour resolution, 256 entries.
    out += struct.pack("<HHBBB", width, height, 0xF7, 0, 0)
    for r, g, b in palette:
        out += bytes((r, g, b))
    out += b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0)
    out.append(8)
    for start in range(0, len(data), 255):
        block = data[start:start + 255]
        out.append(len(block))
        out += block
    out.append(0)
    out.append(0x3B)
    return bytes(out)


def main(argv):
    target = argv[1] if len(argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(target, exist_ok=True)
    icon = draw_icon(DESIGN_SIZE)
    palette = banner_palette()
    assert len(palette) == 256
    files = {
        "kinfold-search.png": make_png(icon),
        "kinfold-search.ico": make_ico(icon),
        "banner.gif": make_gif(draw_banner(), palette),
    }
    # The desktop's icon sizes; the 32-pixel one is kinfold-search.png itself.
    for size in ICON_SIZES:
        if size != DESIGN_SIZE:
            files[os.path.join("icons", "kinfold-search-%d.png" % size)] = make_png(draw_icon(size))
    for name, data in files.items():
        path = os.path.join(target, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
