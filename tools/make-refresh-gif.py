#!/usr/bin/env python3
"""Draws the animated "refresh" indicator of each theme: a ring of dots whose bright head
goes round, as a looping GIF with opaque frames in the theme's own colours.

Run at author time after changing a theme's colours; the GIFs are checked in:

    tools/make-refresh-gif.py            # every host/themes/*.theme
    tools/make-refresh-gif.py dark       # one theme

Each theme file gives the colours: "color wnd_general_bg" (the page background the
indicator sits on) and "color refresh_indicator" (the dots). The output goes to
host/themes/<theme>/refresh.gif. Only the standard library is used: the GIF and its LZW
compression are written here.
"""
import math
import os
import re
import struct
import sys

SIZE = 20          # pixels, square
DOTS = 12          # dots on the ring, also the number of frames
RING = 7.0         # radius of the ring of dot centres
DOT = 1.9          # radius of a dot
DELAY = 8          # hundredths of a second per frame
LEVELS = 16        # palette: background blended towards the dot colour in 16 steps
SAMPLES = 4        # supersampling per axis for smooth dot edges

HERE = os.path.dirname(os.path.abspath(__file__))
THEMES = os.path.join(HERE, '..', 'host', 'themes')


def theme_color(text, key):
    m = re.search(r'^\s*color\s+%s\s*=\s*#([0-9A-Fa-f]{6})\s*$' % re.escape(key), text, re.M)
    if not m:
        raise SystemExit('theme lacks "color %s"' % key)
    v = int(m.group(1), 16)
    return (v >> 16) & 255, (v >> 8) & 255, v & 255


def palette(bg, fg):
    return [tuple(round(b + (f - b) * k / (LEVELS - 1)) for b, f in zip(bg, fg)) for k in range(LEVELS)]


def coverage(x, y, cx, cy):
    """Share of pixel (x, y) covered by the dot centred at (cx, cy)."""
    inside = 0
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            px = x + (sx + 0.5) / SAMPLES
            py = y + (sy + 0.5) / SAMPLES
            if (px - cx) ** 2 + (py - cy) ** 2 <= DOT * DOT:
                inside += 1
    return inside / (SAMPLES * SAMPLES)


def frame(head):
    """Palette indices of one frame, rows top-down; dot `head` is brightest, the rest fade behind it."""
    pixels = [0.0] * (SIZE * SIZE)
    c = SIZE / 2.0
    for dot in range(DOTS):
        angle = 2 * math.pi * dot / DOTS - math.pi / 2
        cx, cy = c + RING * math.cos(angle), c + RING * math.sin(angle)
        age = (head - dot) % DOTS
        strength = max(0.18, 1.0 - age / (DOTS * 0.75))
        for y in range(int(cy - DOT) - 1, int(cy + DOT) + 2):
            for x in range(int(cx - DOT) - 1, int(cx + DOT) + 2):
                if 0 <= x < SIZE and 0 <= y < SIZE:
                    value = coverage(x, y, cx, cy) * strength
                    pixels[y * SIZE + x] = max(pixels[y * SIZE + x], value)
    return [round(v * (LEVELS - 1)) for v in pixels]


def lzw(indices, min_size):
    """GIF's variable-width LZW, codes packed least significant bit first."""
    clear, end = 1 << min_size, (1 << min_size) + 1
    out, acc, nbits = bytearray(), 0, 0

    def emit(code, width):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += width
        while nbits >= 8:
            out.append(acc & 255)
            acc >>= 8
            nbits -= 8

    def fresh():
        return {(i,): i for i in range(clear)}, end + 1, min_size + 1

    table, next_code, width = fresh()
    emit(clear, width)
    word = ()
    for k in indices:
        longer = word + (k,)
        if longer in table:
            word = longer
            continue
        emit(table[word], width)
        if next_code < 4096:
            table[longer] = next_code
            next_code += 1
            # The decoder learns each entry one code later, so it widens one code later too.
            if next_code > (1 << width) and width < 12:
                width += 1
        else:
            emit(clear, width)
            table, next_code, width = fresh()
        word = (k,)
    if word:
        emit(table[word], width)
    emit(end, width)
    if nbits:
        out.append(acc & 255)
    return bytes(out)


def sub_blocks(data):
    parts = [bytes([len(data[i:i + 255])]) + data[i:i + 255] for i in range(0, len(data), 255)]
    return b''.join(parts) + b'\x00'


def gif(colors, frames):
    bits = max(1, (len(colors) - 1).bit_length())
    table = b''.join(bytes(c) for c in colors) + b'\x00\x00\x00' * ((1 << bits) - len(colors))
    data = b'GIF89a' + struct.pack('<HHBBB', SIZE, SIZE, 0x80 | 0x70 | (bits - 1), 0, 0) + table
    data += b'\x21\xFF\x0BNETSCAPE2.0\x03\x01' + struct.pack('<H', 0) + b'\x00'   # loop for ever
    min_size = max(2, bits)
    for indices in frames:
        # Graphic control: disposal 1 (frames are opaque and whole), no transparency.
        data += b'\x21\xF9\x04' + struct.pack('<BHB', 1 << 2, DELAY, 0) + b'\x00'
        data += b'\x2C' + struct.pack('<HHHHB', 0, 0, SIZE, SIZE, 0)
        data += bytes([min_size]) + sub_blocks(lzw(indices, min_size))
    return data + b'\x3B'


def make(theme):
    with open(os.path.join(THEMES, theme + '.theme'), encoding='utf-8') as f:
        text = f.read()
    colors = palette(theme_color(text, 'wnd_general_bg'), theme_color(text, 'refresh_indicator'))
    folder = os.path.join(THEMES, theme)
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, 'refresh.gif')
    with open(path, 'wb') as f:
        f.write(gif(colors, [frame(head) for head in range(DOTS)]))
    print(os.path.relpath(path))


def main():
    names = sys.argv[1:] or sorted(n[:-6] for n in os.listdir(THEMES) if n.endswith('.theme'))
    for name in names:
        make(name)


if __name__ == '__main__':
    main()
