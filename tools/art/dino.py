#!/usr/bin/python3
"""The crash screen's friend: a small pixel dinosaur, sorry to have pulled
the plug.  Shapes are laid out on a coarse grid of big pixels, outlined
automatically, then given a face and drawn as bevelled screen pixels."""
import numpy as np
from PIL import Image, ImageDraw

from common import blur, font, rng, save, to_image
from common import over as over_rgba

W, H = 401, 562
CELL = 13
GW, GH = 30, 43
OX, OY = (W - GW * CELL) // 2, (H - GH * CELL) // 2

PAL = {
    "K": (16, 42, 58),      # outline
    "G": (126, 224, 152),   # body
    "g": (88, 184, 124),    # body in shade
    "h": (176, 244, 190),   # body in light
    "Y": (228, 246, 198),   # belly
    "y": (196, 222, 170),   # belly in shade
    "S": (255, 170, 40),    # back plates, in the colour of the bit
    "s": (214, 122, 22),
    "W": (252, 253, 250),   # eye
    "P": (16, 42, 58),      # pupil
    "C": (255, 150, 164),   # cheek
    "T": (186, 232, 255),   # tear
    "D": (72, 84, 96),      # plug
    "d": (44, 54, 64),      # cable
    "L": (206, 212, 218),   # plug pins
}


def ell(x, y, cx, cy, rx, ry):
    return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def build():
    g = [["." for _ in range(GW)] for _ in range(GH)]
    yy, xx = np.mgrid[0:GH, 0:GW] + 0.5

    def paint(mask, ch):
        for y, x in zip(*np.nonzero(mask)):
            g[y][x] = ch

    # plates along the back, behind everything
    for (px, py, r) in ((9.5, 4.0, 1.6), (6.8, 7.3, 1.8), (5.2, 11.3, 1.9), (4.8, 15.8, 1.9),
                        (4.6, 20.5, 1.9), (3.6, 25.0, 1.8), (2.6, 29.3, 1.6)):
        paint(np.abs(xx - px) + np.abs(yy - py) * 0.9 <= r, "S")
    # tail, body, neck, head, snout
    paint(ell(xx, yy, 6.6, 33.5, 4.6, 2.6) | ell(xx, yy, 3.4, 35.0, 2.2, 1.4), "G")
    paint(ell(xx, yy, 14.0, 27.5, 8.8, 9.6), "G")
    paint(ell(xx, yy, 13.5, 17.5, 5.5, 6.0), "G")
    paint(ell(xx, yy, 15.5, 9.5, 8.5, 6.8), "G")
    paint(ell(xx, yy, 22.0, 11.2, 6.2, 4.6), "G")
    # legs and feet
    paint((xx > 7.5) & (xx < 12.5) & (yy > 33) & (yy < 40), "G")
    paint((xx > 15.5) & (xx < 20.5) & (yy > 33) & (yy < 40), "G")
    paint(ell(xx, yy, 9.8, 39.8, 3.4, 1.6), "G")
    paint(ell(xx, yy, 18.6, 39.8, 3.4, 1.6), "G")
    # belly
    paint(ell(xx, yy, 16.5, 28.0, 5.2, 7.6), "Y")
    # shading: lower right of the body, the far leg, the tail's underside
    for y in range(GH):
        for x in range(GW):
            if g[y][x] == "G":
                if (y > 31 and x < 8) or (x > 15.5 and y > 33) or (y >= 15 and y < 19 and x > 16):
                    g[y][x] = "g"
                elif ell(x + 0.5, y + 0.5, 12.5, 6.5, 5.5, 3.0):
                    g[y][x] = "h"
            if g[y][x] == "Y" and (y > 32 or x > 20):
                g[y][x] = "y"
    for y in range(GH):
        for x in range(GW):
            if g[y][x] == "S" and (x + y) % 3 == 0:
                g[y][x] = "s"
    # the plug it pulled
    for (x, y) in ((22, 19), (23, 19), (24, 19), (22, 20), (23, 20), (24, 20), (22, 21), (23, 21), (24, 21)):
        g[y][x] = "D"
    g[19][25] = "L"
    g[21][25] = "L"
    # outline everything that is drawn (no wrapping round the picture's edges)
    filled = np.array([[c != "." for c in row] for row in g])
    pad = np.pad(filled, 1)
    out = pad[:-2, 1:-1] | pad[2:, 1:-1] | pad[1:-1, :-2] | pad[1:-1, 2:]
    for y in range(GH):
        for x in range(GW):
            if out[y, x] and not filled[y, x]:
                g[y][x] = "K"
    # a little arm reaching out to hold the plug, outlined against the belly
    for (x, y) in ((18, 21), (19, 21), (20, 21), (21, 21), (21, 20)):
        g[y][x] = "h"
    for (x, y) in ((17, 21), (18, 22), (19, 22), (20, 22), (21, 22), (18, 20), (19, 20), (20, 20)):
        g[y][x] = "K"
    # the cable runs from the plug down to the floor and away to the wall
    cable = [(23, 22), (23, 23), (24, 24), (25, 25), (25, 26), (26, 27), (26, 28), (26, 29),
             (26, 30), (26, 31), (26, 32), (26, 33), (26, 34), (26, 35), (26, 36), (26, 37),
             (26, 38), (27, 39), (27, 40), (28, 40), (29, 40)]
    for x, y in cable:
        g[y][x] = "d"
    # the face: a big worried eye, brow tilted up, a tear, a wobbly frown
    for (x, y) in ((18, 7), (19, 7), (20, 7), (18, 8), (19, 8), (20, 8), (18, 9), (19, 9), (20, 9),
                   (19, 6)):
        g[y][x] = "W"
    for (x, y) in ((19, 9), (20, 9), (19, 8), (20, 8)):
        g[y][x] = "P"
    g[8][20] = "W"  # glint
    for (x, y) in ((17, 5), (18, 5), (19, 4), (20, 4)):
        g[y][x] = "K"
    g[11][18] = "C"
    g[11][19] = "C"
    g[10][21] = "T"
    g[11][21] = "T"
    g[12][21] = "T"
    for (x, y) in ((22, 13), (23, 12), (24, 12), (25, 13)):
        g[y][x] = "K"
    g[9][26] = "K"       # nostril
    g[9][25] = "K"
    return g


def render(g):
    img = np.zeros((H, W, 4), np.float32)
    # a soft shadow on the floor
    yy, xx = np.mgrid[0:H, 0:W].astype(np.float32)
    fy = OY + 41.6 * CELL
    shadow = np.exp(-(((xx - (OX + 15 * CELL)) / (12.5 * CELL)) ** 2 + ((yy - fy) / (0.9 * CELL)) ** 2) * 2.5)
    img[..., :3] = np.array([10, 40, 60]) / 255.0
    img[..., 3] = shadow * 0.35
    for y in range(GH):
        for x in range(GW):
            c = g[y][x]
            if c == ".":
                continue
            col = np.array(PAL[c], np.float32) / 255.0
            x0, y0 = OX + x * CELL, OY + y * CELL
            tile = np.ones((CELL, CELL, 3), np.float32) * col
            if c not in "KPd":
                # bevel: each big pixel lit from the top left, like a glass screen pixel
                tile[0, :] = np.minimum(col + 0.10, 1)
                tile[:, 0] = np.minimum(col + 0.07, 1)
                tile[-1, :] = col * 0.86
                tile[:, -1] = col * 0.90
            img[y0:y0 + CELL, x0:x0 + CELL, :3] = tile
            img[y0:y0 + CELL, x0:x0 + CELL, 3] = 1.0
    # a question mark, and some bits floating away like thoughts
    marks = Image.new("L", (W, H), 0)
    d = ImageDraw.Draw(marks)
    d.text((OX + 26.0 * CELL, OY + 0.3 * CELL), "?", font=font(46, True), fill=255)
    R = rng(77)
    for i, (bx, by, s) in enumerate(((2.0, 1.2, 22), (4.6, 0.2, 16), (26.6, 21.5, 18),
                                      (27.8, 26.0, 14), (0.8, 5.0, 14))):
        d.text((OX + bx * CELL, OY + by * CELL), "01"[i % 2], font=font(s, True), fill=int(200 - 25 * i))
    m = np.asarray(marks, dtype=np.float32) / 255.0
    ink = np.zeros((H, W, 4), np.float32)
    ink[..., :3] = 1.0
    ink[..., 3] = m
    sh = blur(m, 2.0)
    shadow = np.zeros((H, W, 4), np.float32)
    shadow[..., :3] = np.array([10, 40, 60]) / 255.0
    shadow[..., 3] = np.clip(sh * 0.6, 0, 0.5)
    img = over_rgba(ink, over_rgba(shadow, img))
    return img


def make_all():
    save(to_image(render(build()), 31), "dino.png")


if __name__ == "__main__":
    make_all()
