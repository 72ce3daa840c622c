#!/usr/bin/env python3
"""Draws the four 64 x 64 browser button pictures of the download help.

Plain geometric marks in each browser's colours, not the makers' logos:
  chrome.png   174  three sectors round a blue centre
  edge.png     175  a teal-to-blue disc with a white "e"
  firefox.png  176  an orange crescent wrapped round a violet globe
  safari.png   178  a blue compass with a red and white needle
Only the Python standard library is used; the files are committed, run this
only to change them.
"""
import math
import os
import struct
import zlib

SIZE = 64
SAMPLES = 4  # per axis, for smooth edges


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def hexrgb(text):
    return tuple(int(text[i:i + 2], 16) / 255.0 for i in (1, 3, 5))


def chrome(u, v):
    r = math.hypot(u, v)
    if r > 0.94:
        return None
    if r < 0.34:
        return hexrgb("#1A73E8")
    if r < 0.44:
        return (1.0, 1.0, 1.0)
    a = math.degrees(math.atan2(v, u)) % 360  # 0 right, clockwise (y down)
    if 210 <= a < 330:
        return hexrgb("#DB4437")
    if 90 <= a < 210:
        return hexrgb("#0F9D58")
    return hexrgb("#F4B400")


def edge(u, v):
    r = math.hypot(u, v)
    if r > 0.94:
        return None
    back = mix(hexrgb("#2CC2A5"), hexrgb("#1565C0"), (u - v + 1.4) / 2.8)
    # A lower-case "e": a ring open at the lower right, and its bar.
    cu, cv = 0.02, 0.02
    rr = math.hypot(u - cu, v - cv)
    a = math.degrees(math.atan2(v - cv, u - cu)) % 360
    ring = 0.30 <= rr <= 0.52 and not (5 <= a <= 55)
    bar = -0.06 <= v - cv <= 0.08 and -0.45 <= u - cu <= 0.45
    if ring or bar:
        return (1.0, 1.0, 1.0)
    return back


def firefox(u, v):
    r = math.hypot(u, v)
    if r > 0.94:
        return None
    # Violet globe, seen through the opening of the crescent.
    gu, gv = 0.16, -0.10
    if math.hypot(u - gu, v - gv) < 0.58:
        return mix(hexrgb("#7542E5"), hexrgb("#3A2FC0"), (v + 0.7) / 1.4)
    return mix(hexrgb("#FFC93C"), hexrgb("#FF3D2E"), (v + 1.0) / 2.0 + (u + 1.0) / 6.0)


def safari(u, v):
    r = math.hypot(u, v)
    if r > 0.94:
        return None
    if r > 0.86:
        return hexrgb("#C9D3DE")
    # The needle: a thin diamond along the diagonal, red towards the upper right.
    d = (u - v) / math.sqrt(2)        # along the needle
    p = (u + v) / math.sqrt(2)        # across it
    half = 0.70
    if abs(d) < half and abs(p) < 0.13 * (1 - abs(d) / half):
        return hexrgb("#E53935") if d > 0 else (1.0, 1.0, 1.0)
    a = math.degrees(math.atan2(v, u)) % 360
    if 0.72 < r < 0.82 and (a % 30) < 3.0:
        return (1.0, 1.0, 1.0)
    return mix(hexrgb("#5AC8FA"), hexrgb("#1E6FE0"), (v + 0.9) / 1.8)


def render(shape):
    rows = []
    for y in range(SIZE):
        row = bytearray([0])  # filter: none
        for x in range(SIZE):
            acc = [0.0, 0.0, 0.0]
            hits = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    u = ((x + (sx + 0.5) / SAMPLES) / SIZE) * 2 - 1
                    v = ((y + (sy + 0.5) / SAMPLES) / SIZE) * 2 - 1
                    c = shape(u, v)
                    if c is not None:
                        hits += 1
                        for i in range(3):
                            acc[i] += c[i]
            alpha = hits / (SAMPLES * SAMPLES)
            if hits:
                rgb = [round(255 * acc[i] / hits) for i in range(3)]
            else:
                rgb = [255, 255, 255]
            row += bytes(rgb + [round(255 * alpha)])
        rows.append(bytes(row))
    return b"".join(rows)


def write_png(path, pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)  # 8-bit RGBA
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", header))
        f.write(chunk(b"IDAT", zlib.compress(pixels, 9)))
        f.write(chunk(b"IEND", b""))


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    for name, shape in (("chrome", chrome), ("edge", edge), ("firefox", firefox), ("safari", safari)):
        write_png(os.path.join(here, name + ".png"), render(shape))
