#!/usr/bin/env python3
"""Draws the client's pictures, icon and alert sounds into a directory.

Everything is made here from arithmetic, so the repository holds no binary art and the
build needs nothing beyond Python's standard library:
  banner.bmp      790 x 100  lobby banner
  roombanner.bmp  632 x 56   battle room banner
  splash.bmp      471 x 173  start-up picture
  minimap.bmp     200 x 150  the battle room's map picture
  ardentis.ico    32 x 32 and 16 x 16
  bb.wav          a short double beep
  warning.wav     a rising and falling alarm
Usage: make_resources.py OUTPUT_DIRECTORY
"""

import math
import os
import struct
import sys
import wave

# A 5 x 7 pixel font for the few capitals the pictures spell.
GLYPHS = {
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "B": ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    "D": ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "G": ["01110", "10001", "10000", "10111", "10001", "10001", "01111"],
    "I": ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "Y": ["10001", "10001", "01010", "00100", "00100", "00100", "00100"],
    " ": ["00000"] * 7,
}


class Canvas:
    """A 24-bit picture, rows top to bottom, pixels as (r, g, b)."""

    def __init__(self, width, height, colour=(0, 0, 0)):
        self.width = width
        self.height = height
        self.pixels = [[colour] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def blend(self, x, y, colour, alpha):
        if 0 <= x < self.width and 0 <= y < self.height:
            old = self.pixels[y][x]
            self.pixels[y][x] = tuple(int(o + (c - o) * alpha) for o, c in zip(old, colour))

    def rect(self, x0, y0, w, h, colour):
        for y in range(y0, y0 + h):
            for x in range(x0, x0 + w):
                self.put(x, y, colour)

    def text(self, x, y, message, scale, colour, shadow=None):
        for dx, dy, c in ([(2, 2, shadow)] if shadow else []) + [(0, 0, colour)]:
            cx = x + dx * max(1, scale // 3)
            for ch in message:
                for row, bits in enumerate(GLYPHS[ch]):
                    for col, bit in enumerate(bits):
                        if bit == "1":
                            self.rect(cx + col * scale, y + dy * max(1, scale // 3) + row * scale,
                                      scale, scale, c)
                cx += 6 * scale

    @staticmethod
    def text_width(message, scale):
        return len(message) * 6 * scale - scale

    def write_bmp(self, path):
        row_size = (self.width * 3 + 3) & ~3
        data = bytearray()
        for row in reversed(self.pixels):
            line = bytearray()
            for r, g, b in row:
                line += bytes((b, g, r))
            line += b"\0" * (row_size - len(line))
            data += line
        header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
        info = struct.pack("<IiiHHIIiiII", 40, self.width, self.height, 1, 24, 0, len(data),
                           2835, 2835, 0, 0)
        with open(path, "wb") as out:
            out.write(header + info + data)


def mix(a, b, t):
    return tuple(int(x + (y - x) * t) for x, y in zip(a, b))


def ridge(x, seed):
    """A mountain skyline made of a few sines, between 0 and 1."""
    return 0.5 + 0.25 * math.sin(x * 0.013 + seed) + 0.15 * math.sin(x * 0.041 + 2 * seed) \
        + 0.08 * math.sin(x * 0.11 + 3 * seed)


def noise(x, y, seed):
    """Smooth value noise for the mini map's land and water."""
    total = 0.0
    for octave, (fx, fy) in enumerate(((0.031, 0.027), (0.067, 0.071), (0.15, 0.13))):
        total += math.sin(x * fx + seed * (octave + 1)) * math.cos(y * fy - seed * 0.7) \
            / (octave + 1)
    return total


def sky(canvas, top, bottom):
    for y in range(canvas.height):
        colour = mix(top, bottom, y / max(1, canvas.height - 1))
        for x in range(canvas.width):
            canvas.pixels[y][x] = colour


def stars(canvas, count, seed):
    state = seed
    for _ in range(count):
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        x = state % canvas.width
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        y = state % max(1, canvas.height * 2 // 3)
        canvas.blend(x, y, (255, 255, 230), 0.35 + (state % 50) / 100)


def mountains(canvas, seed, colour, base):
    for x in range(canvas.width):
        top = int(canvas.height * (base - 0.25 * ridge(x, seed)))
        for y in range(max(0, top), canvas.height):
            canvas.put(x, y, colour)


def banner(width, height, path):
    c = Canvas(width, height)
    sky(c, (12, 20, 48), (160, 70, 30))
    stars(c, width // 6, 7)
    mountains(c, 1.3, (52, 34, 40), 0.95)
    mountains(c, 4.1, (24, 18, 26), 1.1)
    scale = max(2, height // 14)
    c.text(16, (height - 7 * scale) // 2, "ARDENTIS", scale, (255, 200, 80), (40, 10, 0))
    small = max(1, scale // 3)
    label = "BATTLE LOBBY"
    c.text(width - Canvas.text_width(label, small) - 16, height - 7 * small - 10, label, small,
           (230, 230, 240))
    c.write_bmp(path)


def splash(path):
    c = Canvas(471, 173)
    sky(c, (8, 12, 36), (110, 50, 60))
    stars(c, 140, 3)
    mountains(c, 2.2, (40, 28, 44), 1.0)
    mountains(c, 5.7, (18, 14, 22), 1.15)
    title = "ARDENTIS"
    c.text((471 - Canvas.text_width(title, 7)) // 2, 36, title, 7, (255, 205, 90), (60, 20, 0))
    sub = "BATTLE LOBBY"
    c.text((471 - Canvas.text_width(sub, 2)) // 2, 100, sub, 2, (235, 235, 245))
    c.rect(135, 150, 201, 6, (30, 30, 40))
    c.rect(136, 151, 140, 4, (255, 170, 60))
    c.write_bmp(path)


def minimap(path):
    c = Canvas(200, 150)
    for y in range(150):
        for x in range(200):
            h = noise(x, y, 1.7)
            if h < -0.35:
                colour = mix((16, 40, 110), (40, 90, 160), (h + 1.5) / 1.15)
            elif h < -0.25:
                colour = (194, 178, 128)
            elif h < 0.55:
                colour = mix((60, 120, 50), (110, 140, 60), (h + 0.25) / 0.8)
            else:
                colour = mix((120, 110, 100), (230, 230, 230), min(1.0, (h - 0.55) / 0.6))
            c.pixels[y][x] = colour
    for sx, sy in ((30, 30), (170, 120), (170, 30), (30, 120)):
        c.rect(sx - 3, sy - 3, 7, 7, (255, 255, 255))
        c.rect(sx - 2, sy - 2, 5, 5, (220, 40, 30))
    for x in range(200):
        c.put(x, 0, (0, 0, 0))
        c.put(x, 149, (0, 0, 0))
    for y in range(150):
        c.put(0, y, (0, 0, 0))
        c.put(199, y, (0, 0, 0))
    c.write_bmp(path)


def icon_image(size):
    """BGRA rows bottom-up and the AND mask, for one icon entry."""
    pixels = []
    centre = (size - 1) / 2
    for y in range(size):
        row = []
        for x in range(size):
            distance = abs(x - centre) + abs(y - centre)
            if distance <= size / 2 - 0.5:
                t = y / size
                r, g, b = mix((255, 190, 70), (190, 70, 20), t)
                edge = distance > size / 2 - 2
                row.append((40, 20, 10, 255) if edge else (b, g, r, 255))
            else:
                row.append((0, 0, 0, 0))
        pixels.append(row)
    scale = max(1, size // 16)
    glyph = GLYPHS["A"]
    ox = int(centre - 2.5 * scale) + 1
    oy = int(centre - 3.5 * scale) + 1
    for gy, bits in enumerate(glyph):
        for gx, bit in enumerate(bits):
            if bit == "1":
                for py in range(scale):
                    for px in range(scale):
                        pixels[oy + gy * scale + py][ox + gx * scale + px] = (30, 16, 12, 255)
    xor = bytearray()
    for row in reversed(pixels):
        for p in row:
            xor += bytes(p)
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray(mask_row * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask),
                         0, 0, 0, 0)
    return header + xor + mask


def icon(path):
    images = [icon_image(32), icon_image(16)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip((32, 16), images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


RATE = 11025


def tone(frequency, seconds, volume=0.6):
    count = int(RATE * seconds)
    fade = max(1, int(RATE * 0.01))
    samples = []
    for i in range(count):
        envelope = min(1.0, i / fade, (count - 1 - i) / fade)
        samples.append(volume * envelope * math.sin(2 * math.pi * frequency * i / RATE))
    return samples


def silence(seconds):
    return [0.0] * int(RATE * seconds)


def write_wave(path, samples):
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(1)
        out.setframerate(RATE)
        out.writeframes(bytes(int(128 + 127 * s) for s in samples))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    target = sys.argv[1]
    os.makedirs(target, exist_ok=True)
    banner(790, 100, os.path.join(target, "banner.bmp"))
    banner(632, 56, os.path.join(target, "roombanner.bmp"))
    splash(os.path.join(target, "splash.bmp"))
    minimap(os.path.join(target, "minimap.bmp"))
    icon(os.path.join(target, "ardentis.ico"))
    write_wave(os.path.join(target, "bb.wav"), tone(880, 0.12) + silence(0.06) + tone(880, 0.12))
    siren = []
    for step in range(4):
        siren += tone(660 if step % 2 == 0 else 990, 0.15, 0.7)
    write_wave(os.path.join(target, "warning.wav"), siren)


if __name__ == "__main__":
    main()
