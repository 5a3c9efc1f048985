#!/usr/bin/python3
"""Shared drawing helpers for the Vantrel picture generators.

Everything is drawn as *light*: float RGB arrays where 0 is black and 1 is
full phosphor.  Light is blurred for the CRT bloom, then turned into an RGBA
picture (alpha = brightest channel), so the glow blends over any background.
Text-mode glyphs come from DejaVu Sans Mono, the game's own font; box-drawing
and shade blocks are drawn by hand so that they join up cell to cell like on
a real text-mode screen.
"""
import os

import numpy as np
from PIL import Image, ImageDraw, ImageFont

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
GFX = os.path.join(ROOT, "assets", "gfx")

FONT_DIR = "/usr/share/fonts/truetype/dejavu/"
MONO = FONT_DIR + "DejaVuSansMono.ttf"
MONO_BOLD = FONT_DIR + "DejaVuSansMono-Bold.ttf"

# The 256 characters of code page 437, as the screen shows them.
CP437 = (" ☺☻♥♦♣♠•◘○◙♂♀♪♫☼►◄↕‼¶§▬↨↑↓→←∟↔▲▼"
         + "".join(chr(i) for i in range(32, 127)) + "⌂"
         + bytes(range(128, 256)).decode("cp437"))

# Palette (light values, 0..1 per channel).
GREEN = np.array([0.30, 1.00, 0.52])
LEAF = np.array([0.55, 1.00, 0.45])     # yellowish phosphor for text
TEAL = np.array([0.18, 0.90, 0.78])     # circuitry
MINT = np.array([0.75, 1.00, 0.84])     # hot / highlighted
WHITE = np.array([1.00, 1.00, 1.00])
AMBER = np.array([1.00, 0.62, 0.00])    # the sentient bit
GOLD = np.array([1.00, 0.82, 0.25])
BG = np.array([0.010, 0.035, 0.022])    # screen black, slightly green


def rng(seed):
    return np.random.default_rng(seed)


_fonts = {}


def font(size, bold=False):
    key = (size, bold)
    if key not in _fonts:
        _fonts[key] = ImageFont.truetype(MONO_BOLD if bold else MONO, size)
    return _fonts[key]


# ---------------------------------------------------------------- glyphs ---
# Box drawing arms: (up, down, left, right); 1 = single line, 2 = double.
ARMS = {
    "─": (0, 0, 1, 1), "│": (1, 1, 0, 0), "┌": (0, 1, 0, 1), "┐": (0, 1, 1, 0),
    "└": (1, 0, 0, 1), "┘": (1, 0, 1, 0), "├": (1, 1, 0, 1), "┤": (1, 1, 1, 0),
    "┬": (0, 1, 1, 1), "┴": (1, 0, 1, 1), "┼": (1, 1, 1, 1),
    "═": (0, 0, 2, 2), "║": (2, 2, 0, 0), "╔": (0, 2, 0, 2), "╗": (0, 2, 2, 0),
    "╚": (2, 0, 0, 2), "╝": (2, 0, 2, 0), "╠": (2, 2, 0, 2), "╣": (2, 2, 2, 0),
    "╦": (0, 2, 2, 2), "╩": (2, 0, 2, 2), "╬": (2, 2, 2, 2),
    "╞": (1, 1, 0, 2), "╡": (1, 1, 2, 0), "╤": (0, 1, 2, 2), "╧": (1, 0, 2, 2),
    "╪": (1, 1, 2, 2), "╟": (2, 2, 0, 1), "╢": (2, 2, 1, 0), "╥": (0, 2, 1, 1),
    "╨": (2, 0, 1, 1), "╫": (2, 2, 1, 1),
}
SHADES = {"░": 0.25, "▒": 0.5, "▓": 0.75}
BLOCKS = {"█": (0, 0, 1, 1), "▀": (0, 0, 1, 0.5), "▄": (0, 0.5, 1, 1),
          "▌": (0, 0, 0.5, 1), "▐": (0.5, 0, 1, 1)}


def _box_segments(ch, w, h, g):
    """Line segments (x0, y0, x1, y1) of a box-drawing character."""
    u, d, l, r = ARMS[ch]
    cx, cy = w / 2.0, h / 2.0
    segs = []
    hd = l == 2 or r == 2
    vd = u == 2 or d == 2
    # horizontal strokes
    if l or r:
        offs = (-g, g) if hd else (0,)
        for oy in offs:
            y = cy + oy
            if hd and vd:
                blocked = (u if oy < 0 else d) > 0
                if l and r:
                    if blocked:
                        segs += [(0, y, cx - g, y), (cx + g, y, w, y)]
                    else:
                        segs.append((0, y, w, y))
                elif r:
                    segs.append((cx + g if blocked else cx - g, y, w, y))
                else:
                    segs.append((0, y, cx - g if blocked else cx + g, y))
            else:
                stop = g if vd else 0
                if l and r:
                    segs.append((0, y, w, y))
                elif r:
                    segs.append((cx + stop, y, w, y))
                else:
                    segs.append((0, y, cx - stop, y))
    if u or d:
        offs = (-g, g) if vd else (0,)
        for ox in offs:
            x = cx + ox
            if hd and vd:
                blocked = (l if ox < 0 else r) > 0
                if u and d:
                    if blocked:
                        segs += [(x, 0, x, cy - g), (x, cy + g, x, h)]
                    else:
                        segs.append((x, 0, x, h))
                elif d:
                    segs.append((x, cy + g if blocked else cy - g, x, h))
                else:
                    segs.append((x, 0, x, cy - g if blocked else cy + g))
            else:
                stop = g if hd else 0
                if u and d:
                    segs.append((x, 0, x, h))
                elif d:
                    segs.append((x, cy + stop, x, h))
                else:
                    segs.append((x, 0, x, cy - stop))
    return segs


_glyph_cache = {}


def glyph(ch, w, h, size=None, bold=False, thick=None):
    """Float mask (h, w) of one character cell."""
    key = (ch, w, h, size, bold, thick)
    if key in _glyph_cache:
        return _glyph_cache[key]
    if size is None:
        size = int(round(h * 0.9))
    if ch in ARMS:
        ss = 4
        im = Image.new("L", (w * ss, h * ss), 0)
        dr = ImageDraw.Draw(im)
        t = (thick if thick else max(1.2, w / 8.0)) * ss
        g = max(1.6, w / 6.0) * ss
        for x0, y0, x1, y1 in _box_segments(ch, w * ss, h * ss, g):
            if y0 == y1:
                xa, xb = min(x0, x1), max(x0, x1)
                xa = xa - t / 2 if xa > 0 else xa
                xb = xb + t / 2 if xb < w * ss else xb
                dr.rectangle([xa, y0 - t / 2, xb - 1, y0 + t / 2 - 1], fill=255)
            else:
                ya, yb = min(y0, y1), max(y0, y1)
                ya = ya - t / 2 if ya > 0 else ya
                yb = yb + t / 2 if yb < h * ss else yb
                dr.rectangle([x0 - t / 2, ya, x0 + t / 2 - 1, yb - 1], fill=255)
        m = np.asarray(im.resize((w, h), Image.BOX), dtype=np.float32) / 255.0
    elif ch in SHADES:
        yy, xx = np.mgrid[0:h, 0:w]
        a, b = (xx // 2) % 2, (yy // 2) % 2
        lvl = SHADES[ch]
        if lvl == 0.5:
            m = ((a + b) % 2 == 0).astype(np.float32)
        elif lvl == 0.25:
            m = (((xx // 2) + 2 * ((yy // 2) % 2)) % 4 == 0).astype(np.float32)
        else:
            m = 1.0 - (((xx // 2) + 2 * ((yy // 2) % 2)) % 4 == 2).astype(np.float32)
        m = m * 0.9
    elif ch in BLOCKS:
        x0, y0, x1, y1 = BLOCKS[ch]
        m = np.zeros((h, w), np.float32)
        m[int(round(y0 * h)):int(round(y1 * h)), int(round(x0 * w)):int(round(x1 * w))] = 1.0
    else:
        f = font(size, bold)
        im = Image.new("L", (w, h), 0)
        dr = ImageDraw.Draw(im)
        cap = size * 0.729
        base = h / 2.0 + cap / 2.0
        adv = f.getlength(ch)
        dr.text(((w - adv) / 2.0, base), ch, font=f, fill=255, anchor="ls")
        m = np.asarray(im, dtype=np.float32) / 255.0
    _glyph_cache[key] = m
    return m


def text_mask(text, size, bold=False, pad=0, spacing=0.0):
    """Tight float mask of a line of text (DejaVu Sans Mono)."""
    f = font(size, bold)
    adv = f.getlength("0") + spacing
    w = int(np.ceil(adv * len(text))) + 2 * pad + 2
    asc, desc = f.getmetrics()
    h = asc + desc + 2 * pad
    im = Image.new("L", (w, h), 0)
    dr = ImageDraw.Draw(im)
    for i, c in enumerate(text):
        dr.text((pad + i * adv, pad), c, font=f, fill=255)
    m = np.asarray(im, dtype=np.float32) / 255.0
    ys, xs = np.nonzero(m > 0.01)
    if len(xs) == 0:
        return m
    return m[max(0, ys.min() - pad):ys.max() + 1 + pad, max(0, xs.min() - pad):xs.max() + 1 + pad]


# --------------------------------------------------------------- compose ---
def add(canvas, mask, x, y, color, gain=1.0, wrap=False):
    """Add a mask (h, w) of light in `color` at (x, y) top-left."""
    h, w = mask.shape
    H, W = canvas.shape[:2]
    col = np.asarray(color, dtype=np.float32) * gain
    if wrap:
        ys = (np.arange(h) + y) % H
        xs = (np.arange(w) + x) % W
        canvas[np.ix_(ys, xs)] += mask[..., None] * col
        return
    x0, y0 = max(0, x), max(0, y)
    x1, y1 = min(W, x + w), min(H, y + h)
    if x1 <= x0 or y1 <= y0:
        return
    canvas[y0:y1, x0:x1] += mask[y0 - y:y1 - y, x0 - x:x1 - x, None] * col


def stamp(canvas, mask, cx, cy, color, gain=1.0):
    """Add a mask centred at float position (cx, cy) (sub-pixel by shifting)."""
    h, w = mask.shape
    add(canvas, mask, int(round(cx - w / 2.0)), int(round(cy - h / 2.0)), color, gain)


def blur(a, sigma, wrap=False):
    """Gaussian blur through the FFT; `wrap` keeps a tile seamless."""
    if sigma <= 0:
        return a.copy()
    squeeze = a.ndim == 2
    if squeeze:
        a = a[..., None]
    pad = 0 if wrap else int(3.5 * sigma) + 2
    if pad:
        a = np.pad(a, ((pad, pad), (pad, pad), (0, 0)))
    H, W = a.shape[:2]
    fy = np.fft.fftfreq(H)[:, None]
    fx = np.fft.rfftfreq(W)[None, :]
    G = np.exp(-2.0 * (np.pi * sigma) ** 2 * (fx ** 2 + fy ** 2))
    out = np.fft.irfft2(np.fft.rfft2(a, axes=(0, 1)) * G[..., None], s=(H, W), axes=(0, 1))
    if pad:
        out = out[pad:-pad, pad:-pad]
    out = np.maximum(out, 0).astype(np.float32)
    return out[..., 0] if squeeze else out


def bloom(light, wrap=False, amounts=((1.5, 0.55), (5.0, 0.35), (16.0, 0.22), (40.0, 0.10))):
    out = light.copy()
    for s, g in amounts:
        out += blur(light, s, wrap) * g
    return out


def hot(light, spill=0.55):
    """Over-bright light bleeds into the other channels (white-hot cores)."""
    excess = np.maximum(light.max(axis=-1) - 1.0, 0.0)
    return light + excess[..., None] * spill


def light_to_rgba(light):
    """Emissive light -> straight-alpha RGBA (floats)."""
    light = hot(np.maximum(light, 0))
    a = np.clip(light.max(axis=-1), 0.0, 1.0)
    rgb = np.where(a[..., None] > 1e-6, light / np.maximum(a[..., None], 1e-6), 0.0)
    return np.concatenate([np.clip(rgb, 0, 1), a[..., None]], axis=-1).astype(np.float32)


def over(top, bottom):
    """Straight-alpha 'over' of two float RGBA images."""
    ta, ba = top[..., 3:4], bottom[..., 3:4]
    oa = ta + ba * (1 - ta)
    rgb = (top[..., :3] * ta + bottom[..., :3] * ba * (1 - ta)) / np.maximum(oa, 1e-6)
    return np.concatenate([rgb, oa], axis=-1)


def flat_rgba(h, w, color, alpha):
    out = np.zeros((h, w, 4), np.float32)
    out[..., :3] = color
    out[..., 3] = alpha
    return out


def to_image(arr, seed=7, dither=True):
    """Float RGB/RGBA 0..1 -> 8-bit PIL image, lightly dithered against banding."""
    arr = np.asarray(arr, dtype=np.float32)
    noise = rng(seed).uniform(-0.5, 0.5, arr.shape).astype(np.float32) if dither else 0.0
    q = np.clip(np.floor(arr * 255.0 + 0.5 + noise), 0, 255).astype(np.uint8)
    if arr.shape[-1] == 4:
        q[..., 3][arr[..., 3] <= 0.0] = 0
        q[q[..., 3] == 0] = 0          # fully clear pixels carry no colour
        return Image.fromarray(q, "RGBA")
    return Image.fromarray(q, "RGB")


def save(img, name):
    path = os.path.join(GFX, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    img.save(path, optimize=True)
    print("wrote", os.path.relpath(path, ROOT), img.size)
    return path
