#!/usr/bin/python3
"""The studio's mark (Orvando) and the game's title lettering (VANTREL)."""
import numpy as np
from PIL import Image, ImageDraw

from common import (BG, GREEN, MINT, WHITE, blur, flat_rgba, font, light_to_rgba,
                    over, rng, save, text_mask, to_image, add)

BIT = np.array([1.0, 0.62, 0.0])

# ------------------------------------------------------------- Orvando ---
SS = 4  # supersampling for the drawn shapes


def _shape(size, draw_fn):
    w, h = size
    im = Image.new("L", (w * SS, h * SS), 0)
    draw_fn(ImageDraw.Draw(im), SS)
    return np.asarray(im.resize((w, h), Image.LANCZOS), dtype=np.float32).clip(0, 255) / 255.0


def make_orvando():
    w, h = 300, 214
    ink = np.array([0.07, 0.08, 0.09])
    shell = np.array([0.93, 0.91, 0.84])
    shell_dark = np.array([0.78, 0.75, 0.66])

    def rr(box, rad, grow=0):
        def f(d, s):
            x0, y0, x1, y1 = box
            d.rounded_rectangle([(x0 - grow) * s, (y0 - grow) * s, (x1 + grow) * s, (y1 + grow) * s],
                                radius=(rad + grow) * s, fill=255)
        return f

    def poly(pts, grow=0):
        def f(d, s):
            d.polygon([(x * s, y * s) for x, y in pts], fill=255)
            if grow:
                d.line([(x * s, y * s) for x, y in pts + pts[:1]], fill=255, width=int(grow * 2 * s), joint="curve")
        return f

    body_box = (22, 8, 278, 168)
    screen_box = (40, 24, 260, 138)
    neck = [(126, 166), (174, 166), (184, 186), (116, 186)]
    base_box = (78, 184, 222, 204)

    body = _shape((w, h), rr(body_box, 22))
    body_o = _shape((w, h), rr(body_box, 22, 4))
    base = _shape((w, h), rr(base_box, 9))
    base_o = _shape((w, h), rr(base_box, 9, 4))
    neckm = _shape((w, h), poly(neck))
    neck_o = _shape((w, h), poly(neck, 4))
    screen = _shape((w, h), rr(screen_box, 14))
    screen_o = _shape((w, h), rr(screen_box, 14, 3))

    yy, xx = np.mgrid[0:h, 0:w].astype(np.float32)
    img = np.zeros((h, w, 4), np.float32)

    # soft shadow so the badge sits on the yellow splash
    sil = np.maximum.reduce([body_o, base_o, neck_o])
    sh = np.roll(blur(sil, 3.0), (4, 3), axis=(0, 1))
    img = over(flat_rgba(h, w, ink, 0.0), img)
    shadow = flat_rgba(h, w, ink, 0)
    shadow[..., 3] = sh * 0.35
    img = over(shadow, img)

    # outline, then the plastic shell with a little shading
    out = flat_rgba(h, w, ink, 0)
    out[..., 3] = sil
    img = over(out, img)
    shade = np.clip((yy - 8) / 160.0, 0, 1)[..., None]
    plastic = shell * (1 - 0.35 * shade) + shell_dark * 0.35 * shade
    top_hl = np.exp(-((yy - 14) / 4.0) ** 2)[..., None] * 0.08
    for m in (neckm, base, body):
        layer = np.concatenate([np.clip(plastic + top_hl, 0, 1), m[..., None]], -1)
        img = over(layer, img)
    # the stand's neck meets the body under a small shadow
    neck_shadow = flat_rgba(h, w, ink, 0)
    neck_shadow[..., 3] = neckm * np.clip(1 - (yy - 166) / 8.0, 0, 1) * 0.35 * (yy >= 166)
    img = over(neck_shadow, img)

    # screen bezel edge and the glass
    bez = flat_rgba(h, w, ink, 0)
    bez[..., 3] = screen_o
    img = over(bez, img)
    cx, cy = (screen_box[0] + screen_box[2]) / 2, (screen_box[1] + screen_box[3]) / 2
    vign = 1 - 0.5 * (((xx - cx) / 120) ** 2 + ((yy - cy) / 66) ** 2)
    glass = BG * 1.2 + np.array([0.0, 0.05, 0.03]) * np.clip(vign, 0, 1)[..., None]

    light = np.zeros((h, w, 3), np.float32)
    word = text_mask("ORVANDO", 40, bold=True)
    th, tw = word.shape
    cur_w = 20
    tx = int(cx - (tw + 8 + cur_w) / 2)
    ty = int(cy - th / 2) + 2
    add(light, word, tx, ty, MINT, 1.0)
    light[ty:ty + th, tx + tw + 8:tx + tw + 8 + cur_w] += GREEN * 0.9      # the cursor
    small = text_mask("READY.", 12)
    add(light, small, screen_box[0] + 14, screen_box[1] + 10, GREEN, 0.6)
    light = light + blur(light, 1.5) * 0.6 + blur(light, 5) * 0.45 + blur(light, 14) * 0.25
    scan = (1 - 0.28 * ((yy.astype(int) % 3) == 2))[..., None]
    screen_rgb = np.clip(glass + light * scan, 0, 1)
    # glass reflection
    refl = np.clip(1 - ((xx - 70) / 140) - ((yy - 30) / 40), 0, 1) * 0.06
    screen_rgb = np.clip(screen_rgb + refl[..., None], 0, 1)
    img = over(np.concatenate([screen_rgb, screen[..., None]], -1), img)

    # power light and a few vents on the bezel
    led = np.exp(-(((xx - 250) ** 2 + (yy - 153) ** 2) / 6.0))
    led_ring = _shape((w, h), lambda d, s: d.ellipse([245 * s, 148 * s, 255 * s, 158 * s], fill=255))
    img = over(np.concatenate([np.tile(ink, (h, w, 1)), (led_ring * 0.9)[..., None]], -1), img)
    ledc = np.concatenate([np.tile(np.array([0.35, 1.0, 0.5]), (h, w, 1)),
                           np.clip(led * 1.3 + blur(led, 1.2) * 0.8, 0, 1)[..., None]], -1)
    img = over(ledc, img)
    for i in range(5):
        vx = 48 + i * 12
        vent = _shape((w, h), lambda d, s, vx=vx: d.rounded_rectangle(
            [vx * s, 148 * s, (vx + 6) * s, 158 * s], radius=3 * s, fill=255))
        img = over(np.concatenate([np.tile(shell_dark * 0.8, (h, w, 1)), vent[..., None] * 0.9], -1), img)
    return img


# -------------------------------------------------------------- VANTREL ---
LETTERS = {
    "V": ["XX..XX", "XX..XX", "XX..XX", "XX..XX", "XX..XX", ".XXXX.", "..XX.."],
    "A": [".XXXX.", "XX..XX", "XX..XX", "XXXXXX", "XX..XX", "XX..XX", "XX..XX"],
    "N": ["XX..XX", "XXX.XX", "XXXXXX", "XX.XXX", "XX..XX", "XX..XX", "XX..XX"],
    "T": ["XXXXXX", "..XX..", "..XX..", "..XX..", "..XX..", "..XX..", "..XX.."],
    "R": ["XXXXX.", "XX..XX", "XX..XX", "XXXXX.", "XX.XX.", "XX..XX", "XX..XX"],
    "E": ["XXXXXX", "XX....", "XX....", "XXXXX.", "XX....", "XX....", "XXXXXX"],
    "L": ["XX....", "XX....", "XX....", "XX....", "XX....", "XX....", "XXXXXX"],
}


def make_logo():
    w, h = 560, 201
    cw, chh = 10, 16
    word = "VANTREL"
    cols = len(word) * 7 - 1
    x0 = (w - cols * cw) // 2
    y0 = 22
    cells = []
    for i, letter in enumerate(word):
        for r, row in enumerate(LETTERS[letter]):
            for c, v in enumerate(row):
                if v == "X":
                    cells.append((r, i * 7 + c))
    bit_cell = (6, (len(word) - 1) * 7 + 5)          # the last brick of the L
    mask = np.zeros((h, w), np.float32)
    yy, xx = np.mgrid[0:h, 0:w].astype(np.float32)
    face = np.zeros((h, w, 3), np.float32)
    depth = np.zeros((h, w, 3), np.float32)
    bitl = np.zeros((h, w, 3), np.float32)
    for (r, c) in cells:
        px, py = x0 + c * cw, y0 + r * chh
        mask[py:py + chh, px:px + cw] = 1
        # the block, with a hair of gap like a character cell
        v = np.linspace(0, 1, chh - 1)[:, None]
        grad = ((MINT * 0.5 + GREEN * 0.4) * (1 - v[..., None]) + GREEN * 0.55 * v[..., None])[:, 0]
        block = np.repeat(grad[:, None, :], cw, axis=1)
        block = np.concatenate([block, block[-1:] * 0.55], axis=0)
        block[:, -1] *= 0.55                      # a hair of gap: character cells
        if (r, c) == bit_cell:
            bitl[py:py + chh, px:px + cw] = BIT * 1.1
            continue
        face[py:py + chh, px:px + cw] = block
        # extruded side in a dim shade pattern, like ▒ behind the letters
        for k in range(1, 8):
            dy, dx = py + k, px + k
            depth[dy:dy + chh, dx:dx + cw] = np.maximum(
                depth[dy:dy + chh, dx:dx + cw], GREEN * (0.42 - 0.03 * k))
    facemask = (face.max(-1) > 0).astype(np.float32)
    depth *= (1 - facemask)[..., None]
    # shade pattern on the extrusion
    depth *= (((xx.astype(int) // 2 + yy.astype(int) // 2) % 2) * 0.6 + 0.4)[..., None]
    # scanlines
    scan = (1 - 0.22 * (yy.astype(int) % 2 == 1))[..., None]
    light = (face + depth + bitl) * scan
    light = light + blur(face, 2.0) * 0.3 + blur(face, 7) * 0.22 + blur(face, 22) * 0.18
    light += blur(bitl, 2.5) * 0.8 + blur(bitl, 9) * 0.6 + blur(bitl, 25) * 0.35

    # the word again in binary, under the letters from their left edge; it ends short
    # of x 455, where the menu writes the version number over the logo (at y 146)
    binary = " ".join(format(ord(ch), "08b") for ch in word)
    sub = text_mask(binary, 11)
    sh, sw = sub.shape
    sub_light = np.zeros((h, w, 3), np.float32)
    sx, sy = x0, y0 + 7 * chh + 24
    add(sub_light, sub, sx, sy, GREEN, 0.8)
    light += sub_light + blur(sub_light, 3) * 0.5

    # a dark cushion behind it all so it reads over the busy wall
    sub_full = np.zeros((h, w), np.float32)
    sub_full[sy:sy + sh, sx:sx + sw] = sub
    cushion = np.clip(blur(mask, 12) * 2.2 + blur(sub_full, 8) * 1.5, 0, 1)
    edge = np.minimum.reduce([xx, w - 1 - xx, yy, h - 1 - yy])
    cushion *= np.clip(edge / 12.0, 0, 1)
    dark = flat_rgba(h, w, BG * 0.6, 0)
    dark[..., 3] = cushion * 0.85
    edge_fade = np.clip(edge / 10.0, 0, 1)[..., None]
    return over(light_to_rgba(light * edge_fade), dark)


def make_all():
    save(to_image(make_orvando(), 11), "orvando.png")
    save(to_image(make_logo(), 12), "logo.png")


if __name__ == "__main__":
    make_all()
