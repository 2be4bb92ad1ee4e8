#!/usr/bin/env python3
"""Draws the status lights red.png and green.png (48x48, RGBA) with the standard library only.

Run from this folder to regenerate them: python3 draw-status-lights.py
"""
import math
import struct
import zlib

SIZE = 48
SAMPLES = 4  # per axis, for smooth edges

COLOURS = {
    "red": ((0xF2, 0x5C, 0x54), (0xB0, 0x1E, 0x1E)),
    "green": ((0x5E, 0xD8, 0x5A), (0x1E, 0x8C, 0x2A)),
}


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def shade(x, y, light, dark):
    """Colour and coverage of one sample point; the lamp fills a disc with a thin rim."""
    c = SIZE / 2
    r = SIZE / 2 - 2
    d = math.hypot(x - c, y - c)
    if d > r:
        return None
    # Body: lighter towards the upper left, darker at the rim.
    t = min(1.0, math.hypot(x - c * 0.8, y - c * 0.7) / (r * 1.25))
    colour = mix(light, dark, t)
    if d > r - 2.2:  # rim
        colour = mix(colour, (0x30, 0x30, 0x30), 0.45)
    # Soft highlight near the top.
    hx, hy, hrx, hry = c, c - r * 0.45, r * 0.55, r * 0.32
    hd = ((x - hx) / hrx) ** 2 + ((y - hy) / hry) ** 2
    if hd < 1.0:
        colour = mix(colour, (255, 255, 255), 0.55 * (1.0 - hd))
    return colour


def draw(light, dark):
    rows = []
    for py in range(SIZE):
        row = bytearray([0])  # PNG filter: none
        for px in range(SIZE):
            acc = [0.0, 0.0, 0.0]
            hits = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    s = shade(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES, light, dark)
                    if s is not None:
                        hits += 1
                        acc = [a + v for a, v in zip(acc, s)]
            if hits:
                rgb = [round(a / hits) for a in acc]
                alpha = round(255 * hits / SAMPLES ** 2)
            else:
                rgb, alpha = [0, 0, 0], 0
            row += bytes(rgb + [alpha])
        rows.append(bytes(row))
    return b"".join(rows)


def png(pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(pixels, 9)) + chunk(b"IEND", b""))


for name, (light, dark) in COLOURS.items():
    with open(name + ".png", "wb") as f:
        f.write(png(draw(light, dark)))
