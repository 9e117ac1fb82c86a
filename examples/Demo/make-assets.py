#!/usr/bin/env python3
"""Draws the demo game's pictures and synthesises its sounds and music.

    make-assets.py RESOURCES_DIR

writes Default.png into RESOURCES_DIR and the game's pictures and sounds into
RESOURCES_DIR/Demo.gameproj. Everything is computed here from first
principles (standard library only), so the output is the same on every run.
"""
import math
import os
import struct
import sys
import wave
import zlib

# ---------------------------------------------------------------- pictures


def write_png(path, width, height, pixel):
    """pixel(x, y) -> (r, g, b, a) in 0..255, y counted from the top."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)  # no filter
        for x in range(width):
            rows.extend(bytes(max(0, min(255, int(round(c)))) for c in pixel(x, y)))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", header))
        f.write(chunk(b"IDAT", zlib.compress(bytes(rows), 9)))
        f.write(chunk(b"IEND", b""))


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


SKY_TOP = (70, 130, 220, 255)
SKY_BOTTOM = (180, 220, 250, 255)
WOOD = (196, 136, 64, 255)
WOOD_DARK = (112, 70, 28, 255)


def sky(x, y, height=64):
    return mix(SKY_TOP, SKY_BOTTOM, y / (height - 1))


def cloud(x, y):
    # A soft ellipse: opaque inside, fading out over its last fifth.
    d = math.hypot((x - 31.5) / 31.5, (y - 15.5) / 15.5)
    alpha = 255 * max(0.0, min(1.0, (1.0 - d) * 5))
    return (255, 255, 255, alpha)


def grass(x, y):
    # Blades every 4 pixels on the top rows, earth-green below.
    if y < 6:
        return (90, 190, 70, 255) if (x + y) % 4 < 2 else (60, 150, 50, 255)
    return (60, 150, 50, 255) if (x // 8 + y // 8) % 2 else (52, 138, 44, 255)


def wicker(x, y):
    # Woven strips: horizontal and vertical bands alternate in a checker.
    over = ((x // 8) + (y // 8)) % 2 == 0
    stripe = (y % 8) if over else (x % 8)
    shade = 0.75 + 0.25 * math.sin(stripe / 7 * math.pi)
    return tuple(c * shade for c in (200, 140, 70)) + (255,)


def crate(x, y, size=32):
    border = 3
    if x < border or y < border or x >= size - border or y >= size - border:
        return WOOD_DARK
    if abs(x - y) < 2:  # the diagonal brace
        return WOOD_DARK
    return WOOD if (y // 6) % 2 else tuple(c * 0.9 for c in WOOD[:3]) + (255,)


def hook(x, y):
    # The crane's trolley: a grey block with a yellow warning stripe and a
    # claw hanging below it.
    if y < 14:
        if 5 <= y < 9:
            return (240, 200, 40, 255) if (x // 4) % 2 else (40, 40, 40, 255)
        return (120, 124, 130, 255)
    if 14 <= y < 24 and 14 <= x < 18:
        return (80, 80, 86, 255)
    if 24 <= y < 28 and 8 <= x < 24:
        return (80, 80, 86, 255)
    return (0, 0, 0, 0)


def star(x, y):
    d = math.hypot(x - 7.5, y - 7.5) / 7.5
    glow = max(0.0, 1.0 - d) ** 1.5
    return (255, 240, 160, 255 * glow)


def loading(x, y):
    # The loading picture: the game's sky, grass and one big crate.
    if y >= 280:
        return grass(x % 32, (y - 280) % 32)
    if 176 <= x < 304 and 120 <= y < 248:
        return crate((x - 176) // 4, (y - 120) // 4)
    return sky(x, y * 63 // 279)


# ---------------------------------------------------------------- sounds

RATE = 22050


def write_wav(path, samples):
    with wave.open(path, "wb") as f:
        f.setnchannels(1)
        f.setsampwidth(2)
        f.setframerate(RATE)
        f.writeframes(b"".join(struct.pack("<h", max(-32767, min(32767, int(s * 32767)))) for s in samples))


def thud():
    # A low knock: 110 Hz dying away quickly.
    n = int(RATE * 0.3)
    return [0.8 * math.sin(2 * math.pi * 110 * i / RATE) * math.exp(-i / (RATE * 0.07)) for i in range(n)]


def chime():
    # A bright bell: two partials high above the music's notes.
    n = int(RATE * 0.5)
    return [0.5 * (math.sin(2 * math.pi * 1760 * i / RATE) + 0.5 * math.sin(2 * math.pi * 2637 * i / RATE))
            * math.exp(-i / (RATE * 0.12)) / 1.5 for i in range(n)]


def music():
    # Eight seconds that loop: a melody on a pentatonic scale over a soft
    # chord, nothing below 260 Hz (the knock owns the low end).
    scale = [523.25, 587.33, 659.25, 783.99, 880.00]
    melody = [0, 2, 4, 2, 3, 1, 0, 1, 2, 4, 3, 4, 2, 1, 0, 0]
    beat = 0.5
    n = int(RATE * beat * len(melody))
    out = []
    for i in range(n):
        t = i / RATE
        k = int(t / beat)
        into = t - k * beat
        envelope = min(1.0, into / 0.02) * math.exp(-into / 0.25)
        tone = math.sin(2 * math.pi * scale[melody[k]] * t)
        pad = sum(math.sin(2 * math.pi * f * t) for f in (261.63, 329.63, 392.00)) / 3
        out.append(0.3 * envelope * tone + 0.08 * pad)
    return out


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make-assets.py RESOURCES_DIR")
    resources = sys.argv[1]
    project = os.path.join(resources, "Demo.gameproj")
    os.makedirs(project, exist_ok=True)

    write_png(os.path.join(resources, "Default.png"), 480, 320, loading)
    pictures = {
        "sky.png": (4, 64, sky),
        "cloud.png": (64, 32, cloud),
        "grass.png": (32, 32, grass),
        "wicker.png": (16, 16, wicker),
        "crate.png": (32, 32, crate),
        "hook.png": (32, 32, hook),
        "star.png": (16, 16, star),
    }
    for name, (w, h, pixel) in pictures.items():
        write_png(os.path.join(project, name), w, h, pixel)
    for name, make in (("thud.wav", thud), ("chime.wav", chime), ("music.wav", music)):
        write_wav(os.path.join(project, name), make())


if __name__ == "__main__":
    main()
