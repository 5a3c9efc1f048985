#!/usr/bin/python3
"""The birth of the bit: 16 frames (A..P) of a burst of light, 32 per second.

A white-hot flash turns amber, a ring of light runs out through memory,
sparks streak away and the byte's neighbours, zeros and ones and a few other
code page 437 characters, are thrown out spinning, all fading out by frame P.
"""
import numpy as np
from PIL import Image, ImageDraw

from common import (AMBER, GOLD, GREEN, MINT, WHITE, blur, font, light_to_rgba,
                    rng, save, stamp, to_image)

W, H = 500, 462
CX, CY = W / 2.0, H / 2.0
FRAMES = 16
FPS = 32.0
SPARK = np.array([1.0, 0.75, 0.30])
BIT = np.array([1.0, 0.62, 0.0])


def rotated_glyph(ch, size, angle, bold=True):
    f = font(size, bold)
    s = size * 2
    im = Image.new("L", (s, s), 0)
    ImageDraw.Draw(im).text((s / 2.0, s / 2.0), ch, font=f, fill=255, anchor="mm")
    im = im.rotate(angle, resample=Image.BICUBIC)
    return np.asarray(im, dtype=np.float32) / 255.0


def splat(canvas, x, y, color, gain, sigma=1.1):
    r = int(3 * sigma) + 1
    xi, yi = int(round(x)), int(round(y))
    x0, x1 = max(0, xi - r), min(W, xi + r + 1)
    y0, y1 = max(0, yi - r), min(H, yi + r + 1)
    if x1 <= x0 or y1 <= y0:
        return
    yy, xx = np.mgrid[y0:y1, x0:x1]
    k = np.exp(-((xx - x) ** 2 + (yy - y) ** 2) / (2 * sigma ** 2))
    canvas[y0:y1, x0:x1] += k[..., None] * (np.asarray(color) * gain)


def travel(v, drag, t):
    return v / drag * (1 - np.exp(-drag * t))


def make_frames(seed=1981):
    R = rng(seed)
    yy, xx = np.mgrid[0:H, 0:W].astype(np.float32)
    dist = np.hypot(xx - CX, yy - CY)
    ang = np.arctan2(yy - CY, xx - CX)
    # ragged edge of the ring
    ring_noise = np.zeros_like(ang)
    for k, ph, a in ((3, R.random() * 6.28, 0.18), (7, R.random() * 6.28, 0.14),
                     (13, R.random() * 6.28, 0.1), (29, R.random() * 6.28, 0.08)):
        ring_noise += a * np.sin(k * ang + ph)
    # soft fade before the picture's edges
    edge = np.minimum.reduce([xx, W - 1 - xx, yy, H - 1 - yy])
    edge_fade = np.clip(edge / 28.0, 0, 1) ** 1.5

    n_sparks = 120
    sp_ang = R.uniform(0, 2 * np.pi, n_sparks)
    sp_v = R.uniform(500, 1500, n_sparks) * R.choice([0.45, 1.0], n_sparks, p=[0.35, 0.65])
    sp_drag = R.uniform(3.0, 6.0, n_sparks)
    sp_life = R.uniform(0.15, 0.40, n_sparks)
    sp_born = R.uniform(0.0, 0.05, n_sparks)

    n_bits = 54
    glyphs = ["0", "1"] * 12 + list("♦☺•◘▲►♪░▒÷Σ·") + ["0", "1"] * 9
    gl_ang = R.uniform(0, 2 * np.pi, n_bits)
    gl_v = R.uniform(260, 950, n_bits)
    gl_drag = R.uniform(3.0, 5.0, n_bits)
    gl_spin = R.normal(0, 420, n_bits)
    gl_rot0 = R.normal(0, 15, n_bits)
    gl_size = R.integers(15, 32, n_bits)
    gl_ch = [glyphs[i % len(glyphs)] for i in range(n_bits)]
    gl_hot = R.random(n_bits) < 0.25
    gl_flick = R.uniform(0, 2 * np.pi, n_bits)

    frames = []
    for f in range(FRAMES):
        t = f / FPS
        tau = f / (FRAMES - 1)
        light = np.zeros((H, W, 3), np.float32)

        # the flash, wide enough to swallow the byte it comes from: on the zoomed-in
        # wall one character cell is about 40 pixels
        core = [0.75, 1.0, 0.95, 0.8, 0.6, 0.45, 0.32, 0.22, 0.15, 0.1, 0.065, 0.04, 0.025, 0.012, 0.005, 0.0][f]
        s1 = 20 + 50 * tau
        light += (np.exp(-(dist / s1) ** 2) * core * 1.6)[..., None] * WHITE
        light += (np.exp(-(dist / (s1 * 2.6)) ** 2) * core * 0.9)[..., None] * AMBER
        light += (np.exp(-(dist / (s1 * 3.5)) ** 2) * core * 0.35)[..., None] * GOLD

        # anamorphic streaks, like an overdriven beam
        st = max(0.0, 1 - f / 6.0) ** 1.5
        if st > 0:
            light += (np.exp(-((yy - CY) / 1.6) ** 2) * np.exp(-np.abs(xx - CX) / (90 + 300 * tau)) * st * 1.2)[..., None] * MINT
            light += (np.exp(-((xx - CX) / 1.4) ** 2) * np.exp(-np.abs(yy - CY) / (60 + 160 * tau)) * st * 0.7)[..., None] * MINT

        # the ring running out through memory
        if f >= 1:
            rr = 12 + 215 * (1 - (1 - min(1.0, (f - 1) / 13.0)) ** 2.2)
            thick = 3 + 9 * tau
            ri = (1 - tau) ** 2.0 * 1.0 * np.clip(1 + 2.2 * ring_noise, 0.05, 2.0)
            ring = np.exp(-((dist - rr) / thick) ** 2) * ri
            inner = np.exp(-((dist - rr * 0.8) / (thick * 2.5)) ** 2) * ri * 0.25
            colr = GOLD * (1 - tau) + GREEN * tau
            light += (ring[..., None] * (colr * 0.8 + WHITE * 0.2 * (1 - tau)))
            light += inner[..., None] * GREEN

        # sparks
        spark = np.zeros((H, W, 3), np.float32)
        for i in range(n_sparks):
            age = t - sp_born[i]
            if age <= 0 or age > sp_life[i]:
                continue
            life = age / sp_life[i]
            gain = (1 - life) ** 1.2 * 0.9
            d0 = travel(sp_v[i], sp_drag[i], max(0.0, age - 0.05))
            d1 = travel(sp_v[i], sp_drag[i], age)
            c, s = np.cos(sp_ang[i]), np.sin(sp_ang[i])
            n = max(2, int((d1 - d0) / 1.5))
            colr = WHITE * (1 - life) + SPARK * life
            for k in range(n):
                q = k / (n - 1)
                d = d0 + (d1 - d0) * q
                splat(spark, CX + c * d, CY + s * d * 0.92, colr, gain * (0.25 + 0.75 * q), 0.9)
        light += spark + blur(spark, 3) * 0.8

        # zeros and ones thrown out
        if f >= 1:
            digits = np.zeros((H, W, 3), np.float32)
            for i in range(n_bits):
                age = t - 0.02
                d = 10 + travel(gl_v[i], gl_drag[i], age)
                x = CX + np.cos(gl_ang[i]) * d
                y = CY + np.sin(gl_ang[i]) * d * 0.92
                rot = gl_rot0[i] + gl_spin[i] * age
                fade = (1 - tau) ** 1.1 * (0.75 + 0.25 * np.cos(gl_flick[i] + f * 2.1))
                sz = int(gl_size[i] * (1.0 - 0.25 * tau))
                m = rotated_glyph(gl_ch[i], sz, rot)
                colr = (WHITE * 0.4 + BIT * 0.6) if (gl_hot[i] and f < 6) else (MINT if gl_hot[i] else GREEN)
                stamp(digits, m, x, y, colr, fade * 1.1)
            light += digits + blur(digits, 2.5) * 0.7 + blur(digits, 8) * 0.35

        # the whole burst fades away towards the last frame
        fade = 1.0 if tau < 0.55 else np.cos((tau - 0.55) / 0.45 * np.pi / 2) ** 1.5
        light *= fade
        light *= edge_fade[..., None]
        # scanlines of the screen
        light *= (1 - 0.18 * (yy % 3 == 0))[..., None]
        frames.append(light_to_rgba(light))
    return frames


def make_all():
    for i, fr in enumerate(make_frames()):
        save(to_image(fr, 100 + i), "explode/%s.png" % chr(ord("A") + i))


if __name__ == "__main__":
    make_all()
