#!/usr/bin/python3
"""Interface pieces: the window panel, wipes, scanlines, highlights, arrows
and the achievement badge."""
import numpy as np
from PIL import Image, ImageDraw

from common import (BG, GREEN, MINT, WHITE, blur, flat_rgba, light_to_rgba, over,
                    rng, save, text_mask, to_image, add, font)

AMBER = np.array([1.0, 0.62, 0.0])
FLAT = (6, 26, 18)          # deep phosphor green-black


def rect_dist(h, w, inset):
    """Distance (px) of each pixel from the rectangle inset by `inset` (0 inside)."""
    yy, xx = np.mgrid[0:h, 0:w].astype(np.float32) + 0.5
    dx = np.maximum(np.maximum(inset - xx, xx - (w - inset)), 0)
    dy = np.maximum(np.maximum(inset - yy, yy - (h - inset)), 0)
    return np.hypot(dx, dy)


def rect_inner(h, w, inset):
    """Distance inward from the rectangle inset by `inset` (0 outside)."""
    yy, xx = np.mgrid[0:h, 0:w].astype(np.float32) + 0.5
    d = np.minimum.reduce([xx - inset, (w - inset) - xx, yy - inset, (h - inset) - yy])
    return np.maximum(d, 0)


def frame_line(h, w, inset, width):
    """Anti-aliased square outline: distance to the border of the inset rectangle."""
    yy, xx = np.mgrid[0:h, 0:w].astype(np.float32) + 0.5
    x0, x1, y0, y1 = inset, w - inset, inset, h - inset
    # distance to the rectangle's boundary
    dx = np.maximum(np.maximum(x0 - xx, xx - x1), 0)
    dy = np.maximum(np.maximum(y0 - yy, yy - y1), 0)
    outside = np.hypot(dx, dy)
    inside = np.minimum.reduce([xx - x0, x1 - xx, yy - y0, y1 - yy])
    d = np.where(inside > 0, inside, outside)
    return np.clip(width / 2.0 + 0.5 - d, 0, 1)


def make_overlay():
    n = 930
    yy, xx = np.mgrid[0:n, 0:n].astype(np.float32)
    edge = np.minimum.reduce([xx, n - 1 - xx, yy, n - 1 - yy])
    # the dark glass of the window
    panel = flat_rgba(n, n, np.array([0.012, 0.045, 0.03]), 0)
    inside = np.clip(rect_inner(n, n, 21) + 0.5, 0, 1)
    panel[..., 3] = inside * 0.86
    light = np.zeros((n, n, 3), np.float32)
    outer = frame_line(n, n, 26, 2.6)
    inner = frame_line(n, n, 33, 2.0)
    light += outer[..., None] * (GREEN * 0.85 + MINT * 0.15)
    light += inner[..., None] * (GREEN * 0.75)
    # a glow inside the frame that is gone well before the corners end (70 px)
    din = rect_inner(n, n, 34)
    light += (np.exp(-din / 9.0) * (din > 0) * 0.07)[..., None] * GREEN
    # a faint glow outside, vanishing at the picture's edge
    dout = rect_dist(n, n, 26)
    light += (np.exp(-dout / 7.0) * 0.22 * (dout > 0) * np.clip(edge / 10.0, 0, 1) ** 2)[..., None] * GREEN
    # corner rivets and ticks: corners are drawn unscaled, so they may carry detail
    for cx in (26, n - 26):
        for cy in (26, n - 26):
            d = np.hypot(xx + 0.5 - cx, yy + 0.5 - cy)
            light += (np.clip(3.6 - d, 0, 1))[..., None] * MINT * 1.2
            light += (np.exp(-(d / 8.0) ** 2) * 0.35)[..., None] * GREEN
    for (x0, y0, sx, sy) in ((12, 12, 1, 1), (n - 13, 12, -1, 1), (12, n - 13, 1, -1), (n - 13, n - 13, -1, -1)):
        for k in range(16):
            light[y0, x0 + sx * (4 + k)] += MINT * 0.45 * (1 - k / 16)
            light[y0 + sy * (4 + k), x0] += MINT * 0.45 * (1 - k / 16)
    light = light + blur(light, 1.2) * 0.5 + blur(light, 4.0) * 0.25
    # keep the stretched centre perfectly flat
    c0, c1 = 70, n - 70
    light[c0:c1, c0:c1] = 0
    return over(light_to_rgba(light), panel)


def make_flat():
    return Image.new("RGB", (64, 64), FLAT)


def make_shade():
    """Black with an alpha channel: the game sets how much of it shows."""
    return Image.new("RGBA", (8, 8), (0, 0, 0, 255))


def make_stripes():
    h, w = 512, 64
    y = np.arange(h)
    a = np.where(y % 4 == 3, 0.30, np.where(y % 4 == 2, 0.12, 0.0))
    a = a + 0.035 * (0.5 + 0.5 * np.cos(2 * np.pi * y / h))   # a slow refresh band
    out = np.zeros((h, w, 4), np.float32)
    out[..., :3] = np.array([0.0, 0.02, 0.01])
    out[..., 3] = a[:, None]
    return out


def make_back():
    n = 64
    u = (np.arange(n) + 0.5) / n
    rim = np.exp(-((u - 0.05) / 0.04) ** 2) + np.exp(-((u - 0.95) / 0.04) ** 2)
    body = 0.16 + 0.06 * np.cos((u - 0.5) * np.pi)
    a = np.clip(body + 0.32 * rim, 0, 1) * np.clip(np.minimum(u, 1 - u) / 0.03, 0, 1)
    out = np.zeros((n, n, 4), np.float32)
    out[..., :3] = np.array([1.0, 0.70, 0.22])
    out[..., 3] = a[None, :]
    return out


def _poly_mask(size, pts, ss=8):
    w, h = size
    im = Image.new("L", (w * ss, h * ss), 0)
    ImageDraw.Draw(im).polygon([(x * ss, y * ss) for x, y in pts], fill=255)
    return np.asarray(im.resize((w, h), Image.BOX), dtype=np.float32) / 255.0


def arrow_cell(direction):
    """A 23 x 23 glowing arrow, like the screen's ► ◄ ▼ ▲."""
    s = 23
    pts = [(7.0, 4.5), (17.5, 11.5), (7.0, 18.5)]
    m = _poly_mask((s, s), pts)
    light = m[..., None] * (MINT * 0.45 + GREEN * 0.55)
    light = light + blur(light, 1.2) * 0.6 + blur(light, 3.0) * 0.4
    rgba = light_to_rgba(light)
    # a dark rim so it reads over bright menus too
    sh = blur(m, 1.0)
    dark = flat_rgba(s, s, BG * 0.5, 0)
    dark[..., 3] = np.clip(sh * 1.5, 0, 0.7)
    rgba = over(rgba, dark)
    return _rot(rgba, direction)


def _rot(a, direction):
    if direction == "right":
        return a
    if direction == "left":
        return a[:, ::-1]
    if direction == "down":
        return np.transpose(a, (1, 0, 2))
    return np.transpose(a, (1, 0, 2))[::-1]


def make_minimap():
    out = np.zeros((173, 92, 4), np.float32)
    for i, d in enumerate(("right", "left", "down", "up")):
        out[150:173, i * 23:(i + 1) * 23] = arrow_cell(d)
    return out


def make_arrow():
    m = _poly_mask((7, 10), [(0.5, 0.5), (6.8, 5.0), (0.5, 9.5)])
    out = np.zeros((10, 7, 4), np.float32)
    out[..., :3] = np.array([0.82, 1.0, 0.88])
    out[..., 3] = m
    return out


def make_achievement_icon():
    n = 96
    yy, xx = np.mgrid[0:n, 0:n].astype(np.float32)
    # a little terminal window
    box = np.zeros((n, n), np.float32)
    x0, y0, x1, y1 = 12, 14, 84, 82

    def rr(ss=4, inset=0):
        im = Image.new("L", (n * ss, n * ss), 0)
        ImageDraw.Draw(im).rounded_rectangle(
            [(x0 + inset) * ss, (y0 + inset) * ss, (x1 - inset) * ss, (y1 - inset) * ss],
            radius=(8 - inset * 0.5) * ss, fill=255)
        return np.asarray(im.resize((n, n), Image.BOX), dtype=np.float32) / 255.0

    body = rr()
    screen = flat_rgba(n, n, np.array([0.015, 0.06, 0.035]), 0)
    screen[..., 3] = body * 0.97
    light = np.zeros((n, n, 3), np.float32)
    ring = np.clip(rr() - rr(inset=2.2), 0, 1)
    ring2 = np.clip(rr(inset=4.5) - rr(inset=6.0), 0, 1)
    light += ring[..., None] * GREEN * 0.95 + ring2[..., None] * GREEN * 0.5
    # lines of code; one of them rewritten, in the bit's colour
    R = rng(55)
    rows = [26, 34, 42, 50]
    for i, y in enumerate(rows):
        x = 22
        for wlen in ([10, 14, 6] if i % 2 == 0 else [6, 18, 8])[: 2 + (i % 2)]:
            col = AMBER * 1.0 if i == 2 else GREEN * 0.55
            light[y:y + 4, x:x + wlen] += col
            x += wlen + 4
        if i == 2:
            light[y - 1:y + 5, x:x + 4] += AMBER * 1.2   # the cursor at the edit
    # the prompt ">_" in bold
    pm = text_mask(">_", 26, bold=True)
    add(light, pm, 24, 56, MINT, 1.0)
    light = light + blur(light, 1.0) * 0.4 + blur(light, 3.0) * 0.35
    light *= (1 - 0.22 * ((yy.astype(int) % 2) == 1))[..., None]     # scanlines
    outglow = blur(ring[..., None] * GREEN, 3.0) * 0.6
    outglow *= (1 - body)[..., None]
    rgba = over(light_to_rgba(light), screen)
    return over(rgba, light_to_rgba(outglow))


def make_achievement_glow():
    n = 96
    yy, xx = np.mgrid[0:n, 0:n].astype(np.float32) + 0.5
    d = np.hypot(xx - n / 2, yy - n / 2)
    ang = np.arctan2(yy - n / 2, xx - n / 2)
    fade = np.clip((47.0 - d) / 10.0, 0, 1) ** 1.5
    halo = np.exp(-(d / 34.0) ** 2) * 0.8 + np.exp(-((d - 38) / 7.0) ** 2) * 0.3
    rays = (0.5 + 0.5 * np.cos(ang * 12)) ** 4 * np.exp(-d / 30.0) * 0.45
    gold = np.array([1.0, 0.8, 0.3])
    light = (halo[..., None] * (GREEN * 0.75 + gold * 0.25) + rays[..., None] * gold) * fade[..., None]
    return light_to_rgba(light)


def make_all():
    save(to_image(make_overlay(), 21, dither=False), "overlay.png")
    save(make_flat(), "flat.png")
    save(make_shade(), "shade.png")
    save(to_image(make_stripes(), 22, dither=False), "stripes.png")
    save(to_image(make_back(), 23, dither=False), "back.png")
    save(to_image(make_minimap(), 24), "minimap.png")
    save(to_image(make_arrow(), 25), "arrow.png")
    save(to_image(make_achievement_icon(), 26), "achievement_icon.png")
    save(to_image(make_achievement_glow(), 27), "achievement_glow.png")


if __name__ == "__main__":
    make_all()
