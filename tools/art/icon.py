#!/usr/bin/python3
"""The desktop icon: the V of the VANTREL lettering on a dark text-mode screen,
with the sentient bit glowing amber at its point. Written to desktop/icons/ in
the sizes the desktop asks for; the installer puts them under share/icons."""
import os

import numpy as np
from PIL import Image, ImageDraw

from common import BG, GREEN, MINT, ROOT, blur, light_to_rgba, over, to_image
from logos import BIT, LETTERS

SIZES = (16, 24, 32, 48, 64, 128, 256, 512)
ICONS = os.path.join(ROOT, "desktop", "icons")
SS = 4  # the screen's rounded corners are drawn this much larger, then reduced


def screen_mask(size, inset, radius):
    big = Image.new("L", (size * SS, size * SS), 0)
    ImageDraw.Draw(big).rounded_rectangle(
        [inset * SS, inset * SS, (size - inset) * SS - 1, (size - inset) * SS - 1], radius=radius * SS, fill=255)
    return np.asarray(big.resize((size, size), Image.LANCZOS), dtype=np.float32) / 255.0


def make_icon(size=512):
    """The icon at full size; smaller ones are reductions of it."""
    cell_w, cell_h = 56, 50                     # the letter's bricks, 6 wide and 7 high
    rows = LETTERS["V"]
    x0 = (size - 6 * cell_w) // 2 - 8
    y0 = (size - 7 * cell_h) // 2 - 10
    bit_cell = (6, 3)                           # the right brick of the point
    face = np.zeros((size, size, 3), np.float32)
    depth = np.zeros((size, size, 3), np.float32)
    bit = np.zeros((size, size, 3), np.float32)
    yy, xx = np.mgrid[0:size, 0:size].astype(np.float32)
    for r, row in enumerate(rows):
        for c, mark in enumerate(row):
            if mark != "X":
                continue
            px, py = x0 + c * cell_w, y0 + r * cell_h
            if (r, c) == bit_cell:
                bit[py:py + cell_h - 4, px:px + cell_w - 4] = BIT * 1.1
                continue
            v = np.linspace(0, 1, cell_h - 4)[:, None, None]
            block = (MINT * 0.5 + GREEN * 0.4) * (1 - v) + GREEN * 0.55 * v
            face[py:py + cell_h - 4, px:px + cell_w - 4] = block
            # the extruded side, as in the title lettering
            for k in range(1, 16):
                dy, dx = py + k, px + k
                depth[dy:dy + cell_h, dx:dx + cell_w] = np.maximum(
                    depth[dy:dy + cell_h, dx:dx + cell_w], GREEN * (0.40 - 0.015 * k))
    facemask = (face.max(-1) > 0) | (bit.max(-1) > 0)
    depth *= (1 - facemask)[..., None]
    depth *= (((xx.astype(int) // 4 + yy.astype(int) // 4) % 2) * 0.6 + 0.4)[..., None]
    scan = (1 - 0.2 * (yy.astype(int) % 4 >= 2))[..., None]
    light = (face + depth + bit) * scan
    light += blur(face, 4) * 0.3 + blur(face, 14) * 0.2
    light += blur(bit, 5) * 0.9 + blur(bit, 18) * 0.7 + blur(bit, 48) * 0.4

    # the dark screen with a thin phosphor rim, under the glowing letter
    inset, radius = 16, 72
    screen = screen_mask(size, inset, radius)
    rim = np.clip(screen - screen_mask(size, inset + 10, radius - 10), 0, 1)
    glass = np.zeros((size, size, 4), np.float32)
    glass[..., :3] = BG * 1.4 + np.array([0.0, 0.05, 0.03]) * rim[..., None] * 3
    glass[..., 3] = screen
    glowing = light_to_rgba(light * screen[..., None])
    glowing[..., 3] *= screen
    return over(glowing, glass)


def make_all():
    full = to_image(make_icon(), 21)
    os.makedirs(ICONS, exist_ok=True)
    for size in SIZES:
        picture = full if size == full.width else full.resize((size, size), Image.LANCZOS)
        path = os.path.join(ICONS, "vantrel-%d.png" % size)
        picture.save(path, optimize=True)
        print("wrote", os.path.relpath(path, ROOT), picture.size)


if __name__ == "__main__":
    make_all()
