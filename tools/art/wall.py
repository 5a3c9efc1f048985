#!/usr/bin/python3
"""The title wall: a seamless landscape of memory, and the story overlays.

The wall is a text-mode screen of 79 x 37 character cells (12 x 19 pixels,
three columns one pixel wider so the cells fill 951 x 703 exactly), laid out
on a torus so the picture tiles in both directions.  At its heart, at pixel
(453, 372), sits one byte of one memory page: the byte where the bit is born.
"""
import numpy as np

from common import (AMBER, BG, GOLD, GREEN, LEAF, MINT, TEAL, WHITE, CP437,
                    add, blur, bloom, glyph, light_to_rgba, over, rng, save,
                    to_image, flat_rgba)

W, H = 951, 703
COLS, ROWS = 79, 37
CH = 19
COL_W = [12] * COLS
for _c in (51, 53, 77):          # three blank-ish columns take the spare pixels
    COL_W[_c] = 13
COL_X = np.concatenate([[0], np.cumsum(COL_W)])
assert COL_X[-1] == W and ROWS * CH == H
OX, OY = 3, 2                    # shift of the grid inside the picture
FOCAL_RC = (19, 37)              # the cell of the bit
FONT = 17
BIT = np.array([1.0, 0.62, 0.0])   # the player's colour, (255, pulse, 0)


def cell_rect(r, c):
    """Pixel rectangle (x, y, w, h) of a cell in the final picture."""
    r %= ROWS
    c %= COLS
    return (int(COL_X[c]) + OX) % W, (r * CH + OY) % H, COL_W[c], CH


def focal_point():
    x, y, w, h = cell_rect(*FOCAL_RC)
    return x + w / 2.0, y + h / 2.0


class Grid:
    def __init__(self):
        self.ch = [[None] * COLS for _ in range(ROWS)]
        self.col = [[None] * COLS for _ in range(ROWS)]
        self.gain = np.zeros((ROWS, COLS), np.float32)
        self.bold = np.zeros((ROWS, COLS), bool)
        self.fill = np.zeros((ROWS, COLS, 3), np.float32)
        self.owner = np.zeros((ROWS, COLS), np.int32)  # 0 = free background

    def put(self, r, c, text, color, gain, bold=False):
        for i, t in enumerate(text):
            rr, cc = r % ROWS, (c + i) % COLS
            self.ch[rr][cc] = t
            self.col[rr][cc] = np.asarray(color, np.float32)
            self.gain[rr, cc] = gain
            self.bold[rr, cc] = bold

    def frame(self, r0, c0, r1, c1, double, color, gain, title=None, fill=0.035, owner=1):
        tl, tr, bl, br, hz, vt = ("╔╗╚╝═║" if double else "┌┐└┘─│")
        for r in range(r0, r1 + 1):
            for c in range(c0, c1 + 1):
                self.owner[r % ROWS, c % COLS] = owner
                self.put(r, c, " ", color, 0)
                self.fill[r % ROWS, c % COLS] = GREEN * fill
        for c in range(c0 + 1, c1):
            self.put(r0, c, hz, color, gain)
            self.put(r1, c, hz, color, gain)
        for r in range(r0 + 1, r1):
            self.put(r, c0, vt, color, gain)
            self.put(r, c1, vt, color, gain)
        self.put(r0, c0, tl, color, gain)
        self.put(r0, c1, tr, color, gain)
        self.put(r1, c0, bl, color, gain)
        self.put(r1, c1, br, color, gain)
        # one cell of margin around a window stays dark
        for r in range(r0 - 1, r1 + 2):
            for c in range(c0 - 1, c1 + 2):
                if self.owner[r % ROWS, c % COLS] == 0:
                    self.owner[r % ROWS, c % COLS] = -1
        if title:
            lt, rt = ("╡", "╞") if double else ("┤", "├")
            s = lt + " " + title + " " + rt
            c = c0 + (c1 - c0 + 1 - len(s)) // 2
            self.put(r0, c, lt, color, gain)
            self.put(r0, c + 1, " " + title + " ", MINT, gain * 1.1, bold=True)
            self.put(r0, c + len(s) - 1, rt, color, gain)

    def trace(self, points, color, gain):
        """A single-line trace through waypoints; ends joining window frames."""
        conn = {}

        def link(a, b, d):
            conn.setdefault(a, set()).add(d)

        cells = []
        for (r0, c0), (r1, c1) in zip(points[:-1], points[1:]):
            dr = int(np.sign(r1 - r0))
            dc = int(np.sign(c1 - c0))
            r, c = r0, c0
            while (r, c) != (r1, c1):
                nr, nc = r + dr, c + dc
                a, b = (r % ROWS, c % COLS), (nr % ROWS, nc % COLS)
                if dr:
                    link(a, b, "d" if dr > 0 else "u")
                    link(b, a, "u" if dr > 0 else "d")
                else:
                    link(a, b, "r" if dc > 0 else "l")
                    link(b, a, "l" if dc > 0 else "r")
                cells.append(a)
                r, c = nr, nc
            cells.append((r % ROWS, c % COLS))
        single = {frozenset(k): v for k, v in {
            "lr": "─", "ud": "│", "dr": "┌", "dl": "┐", "ur": "└", "ul": "┘",
            "udr": "├", "udl": "┤", "dlr": "┬", "ulr": "┴", "udlr": "┼"}.items()}
        for (r, c), dirs in conn.items():
            old = self.ch[r][c]
            if old in ("═", "║", "─", "│") and self.owner[r, c] > 0:
                # joining a window frame: turn the frame into a junction
                d = next(iter(dirs))
                j = {("═", "d"): "╤", ("═", "u"): "╧", ("║", "l"): "╢", ("║", "r"): "╟",
                     ("─", "d"): "┬", ("─", "u"): "┴", ("│", "l"): "┤", ("│", "r"): "├"}[(old, d)]
                self.put(r, c, j, self.col[r][c], self.gain[r, c])
                continue
            if len(dirs) == 1:
                self.put(r, c, "•", MINT, gain * 1.4)
            else:
                self.put(r, c, single[frozenset("".join(sorted(dirs)))], color, gain)
            if self.owner[r, c] == 0 or self.owner[r, c] == -1:
                self.owner[r, c] = 2


def hexs(v):
    return "%02X" % v


def build(seed=437):
    R = rng(seed)
    g = Grid()

    # --- the windows -----------------------------------------------------
    # central page, the birthplace of the bit
    g.frame(12, 25, 26, 49, True, GREEN, 0.95, title="PAGE 7F", fill=0.05, owner=1)
    data = R.integers(0, 256, 13)
    data[6] = 0x4D
    for i in range(13):
        r = 13 + i
        v = int(data[i])
        focal = r == FOCAL_RC[0]
        bits = format(v, "08b")
        gm = 1.0 if focal else 0.62
        g.put(r, 27, "%04X" % (0x7F16 + i), LEAF, 0.45 if not focal else 0.8)
        g.put(r, 33, bits, MINT if focal else GREEN, 1.05 if focal else 0.62 + 0.1 * (i % 2), bold=focal)
        g.put(r, 43, hexs(v), LEAF, 0.5 * gm + 0.2)
        ch = CP437[v]
        g.put(r, 47, ch, GREEN, 0.75 * gm + 0.1)
        if focal:
            g.put(r, 26, "►", MINT, 1.0)
            g.put(r, 48, "◄", MINT, 1.0)
            g.fill[r, 26:49] += GREEN * 0.07
            g.fill[r, FOCAL_RC[1]] += GREEN * 0.10

    # hex dump of the page before
    g.frame(2, 2, 10, 22, False, GREEN, 0.6, title="7E00", fill=0.03, owner=3)
    for i in range(7):
        row = "%04X " % (0x7E40 + 5 * i) + " ".join(hexs(int(b)) for b in R.integers(0, 256, 5))
        g.put(3 + i, 3, row[:4], LEAF, 0.35)
        g.put(3 + i, 8, row[5:], LEAF, 0.5 + 0.1 * R.random())

    # registers
    g.frame(16, 3, 26, 20, False, GREEN, 0.6, title="REGS", fill=0.03, owner=4)
    for i, name in enumerate("ABCD"):
        v = int(R.integers(0, 256))
        bits = format(v, "08b")
        n = bin(v).count("1")
        meter = ("█" * (n // 2) + "▓▒░" + "    ")[:4]
        g.put(17 + i, 4, name, MINT, 0.8, bold=True)
        g.put(17 + i, 7, bits, GREEN, 0.6)
        g.put(17 + i, 16, meter, TEAL, 0.3)
    g.put(21, 4, "─" * 16, GREEN, 0.25)
    for i, line in enumerate(["PC  7F08", "SP  7FEE", "IR  JNZ 7F00", "FL  Z0 C1 N0"]):
        g.put(22 + i, 4, line[:2], MINT, 0.7, bold=True)
        g.put(22 + i, 8, line[4:], LEAF, 0.55)

    # the character set
    g.frame(1, 56, 18, 73, False, GREEN, 0.6, title="CHARSET", fill=0.03, owner=5)
    hi = set(ord(x) for x in "VANTREL") | {0x4D, 0x01, 0x02, 0x10}
    for i in range(256):
        r, c = 2 + i // 16, 57 + i % 16
        gn = 0.95 if i in hi else 0.32 + 0.25 * R.random()
        g.put(r, c, CP437[i], MINT if i in hi else GREEN, gn)

    # the program
    g.frame(23, 54, 33, 76, False, GREEN, 0.6, title="CODE", fill=0.03, owner=6)
    code = [("7F00", "MOV A,(7F1C)"), ("7F03", "ADD A,01"), ("7F05", "SWP A,B"),
            ("7F06", "CMP A,FF"), ("7F08", "JNZ 7F00"), ("7F0A", "NOP"),
            ("7F0B", "MOV (7F1C),A"), ("7F0E", "JMP 7F00"), ("7F10", "HLT")]
    for i, (a, ins) in enumerate(code):
        cur = i == 4
        g.put(24 + i, 55, a, LEAF, 0.4 if not cur else 0.8)
        if cur:
            g.put(24 + i, 60, "►", MINT, 1.0)
            g.fill[24 + i, 55:76] += GREEN * 0.07
        g.put(24 + i, 62, ins, MINT if cur else GREEN, 0.95 if cur else 0.55, bold=cur)

    # a chip on the bus
    g.frame(30, 31, 32, 43, True, TEAL, 0.6, fill=0.03, owner=7)
    g.put(31, 33, "CPU  8 BIT", MINT, 0.8, bold=True)

    # --- circuitry ---------------------------------------------------------
    g.trace([(10, 6), (16, 6)], TEAL, 0.5)
    g.trace([(20, 20), (20, 25)], TEAL, 0.5)
    g.trace([(15, 49), (15, 52), (9, 52), (9, 56)], TEAL, 0.5)
    g.trace([(23, 49), (23, 51), (27, 51), (27, 54)], TEAL, 0.5)
    g.trace([(18, 71), (23, 71)], TEAL, 0.5)
    g.trace([(26, 37), (29, 37)], TEAL, 0.5)
    g.trace([(33, 35), (35, 35)], TEAL, 0.5)
    g.trace([(33, 39), (35, 39)], TEAL, 0.5)
    g.trace([(2, 16), (-2, 16)], TEAL, 0.5)
    g.trace([(33, 70), (35, 70)], TEAL, 0.5)
    for c in range(33, 42, 2):        # the chip's legs
        g.put(30, c, "╧", TEAL, 0.6)
        g.put(32, c, "╤", TEAL, 0.6)
        for r in (29, 33):
            g.put(r, c, "│", TEAL, 0.5 if c in (35, 37, 39) else 0.3)
            g.owner[r, c] = 7
    # the bus, all the way round
    for c in range(COLS):
        r = 35
        if g.ch[r][c] is None or g.owner[r, c] <= 0:
            g.put(r, c, "═", TEAL, 0.42)
            g.owner[r, c] = 8
    for c in (16, 35, 39, 70):
        above = g.ch[34][c] == "│"
        below = g.ch[36][c] == "│"
        g.put(35, c, "╪" if (above and below) else ("╧" if above else "╤"), TEAL, 0.5)
    for c in range(3, COLS, 9):
        if g.ch[35][c] == "═":
            g.put(35, c, "◘", MINT, 0.6)

    # --- falling bits --------------------------------------------------------
    for c, head, length in ((0, 5, 13), (23, 27, 11), (53, 17, 15), (77, 31, 12), (50, 3, 8)):
        for r in range(ROWS):
            if g.owner[r, c] > 0:
                continue
            k = (head - r) % ROWS
            if k < length:
                t = 1 - k / length
                g.put(r, c, "01"[int(R.integers(0, 2))], MINT if k == 0 else GREEN,
                      0.15 + 0.85 * t ** 1.5, bold=k == 0)
                g.owner[r, c] = 9

    # --- the rest is memory: a faint, endless hex dump ------------------------
    yy, xx = np.mgrid[0:ROWS, 0:COLS]
    field = (np.sin(2 * np.pi * (xx / COLS * 2 + yy / ROWS * 1) + 0.7)
             + 0.7 * np.sin(2 * np.pi * (xx / COLS * 1 - yy / ROWS * 2) + 2.1)
             + 0.5 * np.sin(2 * np.pi * (xx / COLS * 5 + yy / ROWS * 3) + 4.0))
    field = (field - field.min()) / (field.max() - field.min())
    for r in range(ROWS):
        addr = 0x8000 + r * 0x20
        parts = []
        while sum(len(p) for p in parts) < COLS + 10:
            b = R.integers(0, 256, 8)
            parts.append("%04X  " % addr + " ".join(hexs(int(v)) for v in b) + "  "
                         + "".join(CP437[int(v)] if v >= 32 else "·" for v in b) + "   ")
            addr += 8
        line = "".join(parts)
        shift = int(R.integers(0, 40))
        for c in range(COLS):
            if g.owner[r, c] != 0 or g.ch[r][c] is not None:
                continue
            t = line[(c + shift) % len(line)]
            gn = 0.07 + 0.26 * field[r, c] ** 1.6
            if R.random() < 0.015:
                gn = 0.55
            g.put(r, c, t, LEAF if R.random() < 0.5 else GREEN, gn)
    return g


def render_cells(g, only=None, gains=None):
    """Light of the grid, in grid coordinates (before the picture shift)."""
    light = np.zeros((H, W, 3), np.float32)
    for r in range(ROWS):
        for c in range(COLS):
            if only is not None and (r, c) not in only:
                continue
            t = g.ch[r][c]
            if not t or t == " ":
                continue
            gn = g.gain[r, c] if gains is None else gains.get((r, c), g.gain[r, c])
            if gn <= 0:
                continue
            m = glyph(t, COL_W[c], CH, FONT, bool(g.bold[r, c]))
            add(light, m, int(COL_X[c]), r * CH, g.col[r][c], gn)
    return light


def shift(a):
    return np.roll(a, (OY, OX), axis=(0, 1))


def make_tile(g):
    light = render_cells(g)
    base = np.zeros((H, W, 3), np.float32) + BG
    for r in range(ROWS):
        for c in range(COLS):
            if g.fill[r, c].any():
                base[r * CH:(r + 1) * CH, COL_X[c]:COL_X[c + 1]] += g.fill[r, c]
    # the text cursor under the bit
    x0 = int(COL_X[FOCAL_RC[1]]) + 2
    y0 = FOCAL_RC[0] * CH + CH - 2
    light[y0:y0 + 2, x0:x0 + COL_W[FOCAL_RC[1]] - 4] += MINT * 0.9
    base = blur(base, 0.8, wrap=True)
    img = base + bloom(light, wrap=True)
    # faint text-mode line structure: every character row a touch darker at its foot
    rowshade = np.ones(H, np.float32)
    for r in range(ROWS):
        rowshade[r * CH + CH - 1] = 0.86
        rowshade[r * CH] = 0.93
    img = img * rowshade[:, None, None]
    rgb = np.clip(img + np.maximum(img.max(-1, keepdims=True) - 1, 0) * 0.5, 0, 1)
    return shift(rgb)


# ------------------------------------------------------------ overlays ----
def _dark_cells(g, cells, alpha=0.92):
    """RGBA that wipes some cells back to the bare screen colour."""
    out = np.zeros((H, W, 4), np.float32)
    for r, c in cells:
        x, y, w, h = cell_rect(r, c)
        out[y:y + h, x:x + w, :3] = BG + g.fill[r % ROWS, c % COLS]
        out[y:y + h, x:x + w, 3] = alpha
    a = blur(out[..., 3], 0.8)
    out[..., :3] = blur(out[..., :3] * out[..., 3:4], 0.8) / np.maximum(a[..., None], 1e-4)
    out[..., 3] = a
    return out


def _radial(cx, cy):
    yy, xx = np.mgrid[0:H, 0:W].astype(np.float32)
    return np.hypot(xx - cx, yy - cy), np.arctan2(yy - cy, xx - cx)


def _cell_light(g, cells, color=None, gain=None, dx=0, dy=0, angle_seed=None):
    light = np.zeros((H, W, 3), np.float32)
    for (r, c) in cells:
        t = g.ch[r % ROWS][c % COLS]
        if not t or t == " ":
            continue
        x, y, w, h = cell_rect(r, c)
        m = glyph(t, COL_W[c % COLS], CH, FONT, True)
        add(light, m, x + dx, y + dy, g.col[r % ROWS][c % COLS] if color is None else color,
            g.gain[r % ROWS, c % COLS] if gain is None else gain)
    return light


def _bit_light(color, gain, cx, cy, scale=1.0):
    light = np.zeros((H, W, 3), np.float32)
    w, h = int(12 * scale), int(CH * scale)
    m = glyph("1", w, h, int(FONT * scale), True)
    add(light, m, int(round(cx - w / 2)), int(round(cy - h / 2)), color, gain)
    return light


def make_overlay_glow(g):
    """Before the birth: the byte at the heart of the page starts to glow."""
    fx, fy = focal_point()
    r0, c0 = FOCAL_RC
    byte = [(r0, c) for c in range(33, 41) if c != c0]
    light = _cell_light(g, byte, MINT, 0.9)
    light += _cell_light(g, [FOCAL_RC], GOLD, 1.0)
    dist, ang = _radial(fx, fy)
    # the byte's cells light up from behind
    x0, y0, _, _ = cell_rect(r0, 33)
    x1, _, w1, _ = cell_rect(r0, 40)
    box = np.zeros((H, W, 3), np.float32)
    box[y0 - 2:y0 + CH + 2, x0 - 3:x1 + w1 + 3] = GREEN * 0.22
    box = blur(box, 4)
    light += box
    # a soft halo and thin rays along the grid lines
    halo = np.exp(-(dist / 60.0) ** 2)[..., None] * (GREEN * 0.16)
    halo += np.exp(-(dist / 11.0) ** 2)[..., None] * (AMBER * 0.3)
    halo += np.exp(-(dist / 160.0) ** 2)[..., None] * (GREEN * 0.10)
    yy, xx = np.mgrid[0:H, 0:W].astype(np.float32)
    rays = (np.exp(-((yy - fy - CH / 2.0) / 1.0) ** 2) + np.exp(-((yy - fy + CH / 2.0) / 1.0) ** 2)) \
        * np.exp(-np.abs(xx - fx) / 140.0) * 0.5 \
        + np.exp(-((xx - fx) / 1.0) ** 2) * np.exp(-np.abs(yy - fy) / 90.0) * 0.35
    light += halo + rays[..., None] * (MINT * 0.5)
    # a ripple running out through the memory
    for rad, a in ((95, 0.16), (170, 0.09), (250, 0.05)):
        light += (np.exp(-((dist - rad) / 5.0) ** 2) * a)[..., None] * GREEN
    # the neighbouring cells feel it and flicker awake
    R = rng(202)
    near = []
    for r in range(r0 - 6, r0 + 7):
        for c in range(c0 - 14, c0 + 15):
            d = np.hypot((r - r0) * 1.6, c - c0)
            if 2 < d < 14 and R.random() < 0.28 * (1 - d / 14):
                near.append((r, c))
    light += _cell_light(g, near, MINT, 0.5)
    light = bloom(light, amounts=((1.5, 0.5), (6.0, 0.3), (18.0, 0.2)))
    return light_to_rgba(light)


def make_overlay_born(g):
    """After the birth: an orange bit glows in the byte, memory knocked askew."""
    fx, fy = focal_point()
    r0, c0 = FOCAL_RC
    R = rng(303)
    dist, ang = _radial(fx, fy)
    dark_cells, moved = [], []
    for r in range(r0 - 9, r0 + 10):
        for c in range(c0 - 22, c0 + 23):
            d = np.hypot((r - r0) * 1.6, c - c0)
            if d > 20 or (r == r0 and 32 <= c <= 41):
                continue
            t = g.ch[r % ROWS][c % COLS]
            if not t or t == " ":
                continue
            p = 0.75 * (1 - d / 20) ** 0.7
            if R.random() < p:
                dark_cells.append((r, c))
                push = (1 - d / 22) * 9 + R.random() * 4
                ux, uy = (c - c0) / max(d, 1), (r - r0) * 1.6 / max(d, 1)
                moved.append(((r, c), int(ux * push + R.normal() * 1.5),
                              int(uy * push + R.normal() * 1.5)))
    dark = _dark_cells(g, dark_cells + [FOCAL_RC], 0.95)
    light = np.zeros((H, W, 3), np.float32)
    for (r, c), dx, dy in moved:
        t = g.ch[r % ROWS][c % COLS]
        if R.random() < 0.3:
            t = "01"[int(R.integers(0, 2))] if R.random() < 0.6 else CP437[int(R.integers(1, 256))]
        x, y, w, h = cell_rect(r, c)
        m = glyph(t, COL_W[c % COLS], CH, FONT, R.random() < 0.3)
        gain = g.gain[r % ROWS, c % COLS] * (0.8 + 0.6 * R.random())
        colr = g.col[r % ROWS][c % COLS] if g.col[r % ROWS][c % COLS] is not None else GREEN
        if R.random() < 0.12:
            colr, gain = MINT, 0.9
        add(light, m, x + dx, y + dy, colr, max(gain, 0.25))
    # the other seven bits stand bright around the newcomer
    others = [(r0, c) for c in range(33, 41) if c != c0]
    light += _cell_light(g, others, MINT, 0.9)
    # cracks of light run out from the byte
    cracks = np.zeros((H, W), np.float32)
    for k in range(9):
        a = 2 * np.pi * k / 9 + R.normal() * 0.25
        x, y = fx + 20 * np.cos(a), fy + 16 * np.sin(a)
        length = 60 + R.random() * 150
        steps = int(length)
        for s in range(steps):
            if s % 3 == 0:
                a += R.normal() * 0.18
            x += np.cos(a)
            y += np.sin(a) * 0.8
            xi, yi = int(x), int(y)
            if 0 <= xi < W and 0 <= yi < H:
                cracks[yi, xi] += (1 - s / steps) ** 0.8
    cracks = blur(cracks, 0.6) * 0.9
    light += cracks[..., None] * (MINT * 0.55 + AMBER * 0.25)
    # scorched ring where the burst went
    ring = np.exp(-((dist - 120) / 28.0) ** 2) * 0.05
    light += ring[..., None] * GOLD
    # the bit: alive, orange, glowing
    bit = _bit_light(BIT, 0.75, fx, fy, 1.3)
    halo = (np.exp(-(dist / 16.0) ** 2) * 0.22 + np.exp(-(dist / 45.0) ** 2) * 0.16
            + np.exp(-(dist / 120.0) ** 2) * 0.07)
    light += halo[..., None] * AMBER
    light = bloom(light + bit, amounts=((1.5, 0.6), (5.0, 0.5), (16.0, 0.3)))
    light += bit * 0.25
    return over(light_to_rgba(light), dark)


def make_overlay_exit(g):
    """The end: the bit looks out along a path that opens to the right."""
    fx, fy = focal_point()
    r0, c0 = FOCAL_RC
    dist, ang = _radial(fx, fy)
    # the way out: along the bit's row, through the page's wall, to a door of light
    door_c = 66
    path = [(r0, c) for c in range(c0 + 1, door_c)]
    parted = [(r, c) for r in range(r0 - 3, r0 + 4) for c in range(door_c - 2, door_c + 4)
              if abs(r - r0) + max(0, abs(c - door_c - 0.5) - 1.5) * 1.2 < 4.5]
    dark = _dark_cells(g, path + parted + [FOCAL_RC] + [(r0 + dr, 49) for dr in (-1, 0, 1)], 0.9)
    light = np.zeros((H, W, 3), np.float32)
    for c in range(c0 + 1, door_c):
        x, y, w, h = cell_rect(r0, c)
        k = c - c0
        if c in (49,):
            continue
        t = "►" if k % 3 == 1 else "·"
        gain = 0.35 + 0.5 * (k / (door_c - c0)) if t == "►" else 0.35
        add(light, glyph(t, w, h, FONT, True), x, y, MINT, gain)
    # the broken wall of the page: a glowing gap
    x, y, w, h = cell_rect(r0 - 1, 49)
    gap = np.zeros((H, W, 3), np.float32)
    gap[y + 6:y + 3 * h - 6, x + 3:x + w - 3] = MINT * 0.5
    light += blur(gap, 2.5)
    # the door: memory parts, and a doorway of pure light stands in the gap
    dx, dy, dw, dh = cell_rect(r0 - 2, door_c)
    door = np.zeros((H, W, 3), np.float32)
    dh5, dw2 = 5 * CH, 2 * dw
    yy, xx = np.mgrid[0:H, 0:W].astype(np.float32)
    inside = (xx >= dx) & (xx < dx + dw2) & (yy >= dy) & (yy < dy + dh5)
    v = np.clip((yy - dy) / dh5, 0, 1)
    door[inside] = (WHITE * 0.75 + MINT * 0.25) * 1.0
    door *= (0.75 + 0.25 * np.cos((v - 0.5) * np.pi))[..., None]
    edge = inside & ~((xx >= dx + 2) & (xx < dx + dw2 - 2) & (yy >= dy + 2) & (yy < dy + dh5 - 2))
    door[edge] = WHITE * 1.4
    door_c_x = dx + dw
    light += door + blur(door, 3) * 0.5 + blur(door, 12) * 0.35 + blur(door, 36) * 0.3
    # light from the door spills back along the path
    yy, xx = np.mgrid[0:H, 0:W].astype(np.float32)
    beam = (np.exp(-((yy - fy) / 26.0) ** 2) * np.clip((xx - fx) / (door_c_x - fx), 0, 1) ** 2
            * (xx < door_c_x))
    light += beam[..., None] * (MINT * 0.22)
    rays = np.zeros((H, W), np.float32)
    ddist, dang = np.hypot(xx - door_c_x, yy - (dy + 2.5 * CH)), np.arctan2(yy - (dy + 2.5 * CH), xx - door_c_x)
    rays = (0.5 + 0.5 * np.cos(dang * 10)) ** 8 * np.exp(-ddist / 120.0) * 0.16
    light += rays[..., None] * MINT
    # the bit, orange, looking that way
    bit = _bit_light(BIT, 0.75, fx, fy, 1.3)
    halo = np.exp(-(dist / 16.0) ** 2) * 0.22 + np.exp(-(dist / 45.0) ** 2) * 0.16
    light += halo[..., None] * AMBER
    light = bloom(light + bit, amounts=((1.5, 0.6), (5.0, 0.5), (16.0, 0.3)))
    light += bit * 0.25
    return over(light_to_rgba(light), dark)


def make_all():
    g = build()
    tile = make_tile(g)
    save(to_image(tile, 1), "titlescreen.png")
    save(to_image(make_overlay_glow(g), 2), "titlescreen2.png")
    save(to_image(make_overlay_born(g), 3), "titlescreen3.png")
    save(to_image(make_overlay_exit(g), 4), "titlescreen4.png")
    return g


if __name__ == "__main__":
    make_all()
