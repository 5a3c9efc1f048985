#!/usr/bin/python3
"""Compose and render the game's three music loops into assets/audio/
(22050 Hz, 16-bit stereo):

    intro.wav  menus and story: A minor, 76 bpm, calm memory-world ambience
    level.wav  while playing:   D minor, 100 bpm, a thoughtful puzzle groove
    boss.wav   tense variant:   D harmonic minor, 132 bpm, driving

    /usr/bin/python3 tools/sound/make_music.py [intro|level|boss ...]

Each song is a whole number of bars.  Every note is written into a circular
buffer (a tail running past the end comes back in at the start), and the
reverb and echo are circular convolutions, so the loop has no seam.
"""
import os
import sys

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from synth import (AUDIO, chip_noise, env_adsr, env_exp, midi_hz, osc, spectral,  # noqa: E402
                   white, write_wav)

SR = 22050


class Song:
    def __init__(self, bpm, bars, seed):
        self.beat = 60.0 / bpm
        self.bars = bars
        self.n = int(round(bars * 4 * self.beat * SR))
        self.dry = np.zeros((self.n, 2))
        self.verb = np.zeros((self.n, 2))
        self.dly = np.zeros((self.n, 2))
        self.rng = np.random.default_rng(seed)

    def at(self, bar, beat):
        return (bar * 4 + beat) * self.beat

    def put(self, x, t, pan=0.0, gain=1.0, verb=0.0, delay=0.0):
        """Mix a mono sound in at time t (seconds), wrapping round the loop."""
        th = (pan + 1) * np.pi / 4
        lr = np.array([np.cos(th), np.sin(th)]) * gain
        start = int(round(t * SR)) % self.n
        x = np.asarray(x)
        i = 0
        while i < len(x):
            s = (start + i) % self.n
            k = min(len(x) - i, self.n - s)
            seg = x[i:i + k, None] * lr
            self.dry[s:s + k] += seg
            if verb:
                self.verb[s:s + k] += seg * verb
            if delay:
                self.dly[s:s + k] += seg * delay
            i += k

    def render(self, rt60=2.0, verb_gain=1.0, echo_beats=0.75, echo_fb=0.35, echo_gain=0.6,
               hi=9000, seed=9):
        n = self.n
        # reverb: a decaying stereo noise tail, convolved circularly
        ln = min(int(rt60 * 1.2 * SR), n - 1)
        t = np.arange(ln) / SR
        r = np.random.default_rng(seed)
        ir = np.zeros((n, 2))
        decay = np.exp(-6.9 * t / rt60)
        for c in range(2):
            tail = r.normal(0, 1, ln) * decay
            tail = spectral(tail, SR, hi=5000, lo=150)
            tail[: int(0.02 * SR)] *= np.linspace(0, 1, int(0.02 * SR))
            ir[int(0.018 * SR): int(0.018 * SR) + ln, c] = tail[: n - int(0.018 * SR)]
        ir /= np.sqrt((ir ** 2).sum(axis=0, keepdims=True)) * 3.0
        wet = np.fft.irfft(np.fft.rfft(self.verb, axis=0) * np.fft.rfft(ir, axis=0), n=n, axis=0)
        # ping-pong echo, also circular
        d = int(round(echo_beats * self.beat * SR))
        eir = np.zeros((n, 2))
        for k in range(1, 9):
            pos = (d * k) % n
            eir[pos, (k + 1) % 2] += echo_fb ** (k - 1)
        echo = np.fft.irfft(np.fft.rfft(self.dly, axis=0) * np.fft.rfft(eir, axis=0), n=n, axis=0)
        echo = spectral(echo, SR, hi=3500, lo=200, circular=True)
        mix = self.dry + wet * verb_gain + echo * echo_gain
        mix = spectral(mix, SR, hi=hi, lo=25, circular=True)
        # gentle bus compression: soft knee on the peaks, then normalise
        mix = np.tanh(mix / (np.max(np.abs(mix)) * 0.8)) * 0.8
        return mix / np.max(np.abs(mix)) * 10 ** (-1.0 / 20)


# ---------------------------------------------------------------- voices ---
def _n(d):
    return max(1, int(round(d * SR)))


def v_lead(m, d, duty=0.25, cutoff=3200, vib=0.006, attack=0.01, rel=0.12):
    n = _n(d + rel)
    t = np.arange(n) / SR
    vibr = vib * np.clip((t - 0.18) / 0.25, 0, 1) * np.sin(2 * np.pi * 5.3 * t)
    f = midi_hz(m) * (1 + vibr)
    x = osc("pulse", f, n, SR, duty=duty, cutoff=cutoff)
    return x * env_adsr(n, SR, a=attack, d=0.25, s=0.6, r=rel, hold=d)


def v_bass(m, d, bite=0.35, rel=0.05):
    n = _n(d + rel)
    f = midi_hz(m)
    x = osc("triangle", f, n, SR) + bite * osc("square", f, n, SR, cutoff=700)
    return x * env_adsr(n, SR, a=0.004, d=0.18, s=0.65, r=rel, hold=d)


def v_arp(m, d, tau=0.09, duty=0.25, cutoff=4200):
    n = _n(d + 0.25)
    x = osc("pulse", midi_hz(m), n, SR, duty=duty, cutoff=cutoff)
    return x * env_exp(n, SR, tau, 0.002)


def v_bell(m, d, tau=1.1):
    n = _n(d + tau * 3)
    t = np.arange(n) / SR
    f = midi_hz(m)
    idx = 1.6 * np.exp(-t / (tau * 0.35))
    x = np.sin(2 * np.pi * f * t + idx * np.sin(2 * np.pi * f * 3.5 * t))
    x += 0.25 * np.sin(2 * np.pi * f * 2 * t) * np.exp(-t / (tau * 0.4))
    return x * env_exp(n, SR, tau, 0.003)


def v_pad(chord, d, cutoff=1300, attack=0.7, rel=1.0, det=0.004, seed=0):
    n = _n(d + rel)
    x = np.zeros(n)
    r = np.random.default_rng(seed)
    t = np.arange(n) / SR
    for m in chord:
        for s in (-1, 1):
            f = midi_hz(m) * (1 + s * det) * (1 + 0.0015 * np.sin(2 * np.pi * 0.3 * t + r.random() * 6))
            x += osc("saw", f, n, SR, cutoff=cutoff, max_harm=24, phase0=r.random() * 6.28)
    x /= max(1, len(chord))
    return x * env_adsr(n, SR, a=attack, d=1.0, s=0.85, r=rel, hold=d)


def v_kick(gain=1.0, tau=0.16):
    n = _n(0.35)
    t = np.arange(n) / SR
    f = 44 + 110 * np.exp(-t / 0.035)
    x = np.sin(2 * np.pi * np.cumsum(f) / SR) * env_exp(n, SR, tau, 0.001)
    x += spectral(white(n, 1), SR, hi=2500) * env_exp(n, SR, 0.004, 0.0005) * 0.3
    return x * gain


def v_snare(seed, tau=0.09, tone=190):
    n = _n(0.3)
    x = spectral(chip_noise(n, SR, 9000, seed), SR, lo=900, hi=7000) * env_exp(n, SR, tau, 0.001)
    x += osc("triangle", tone, n, SR) * env_exp(n, SR, 0.04, 0.001) * 0.6
    return x


def v_hat(seed, tau=0.025):
    n = _n(tau * 6)
    return spectral(white(n, seed), SR, lo=6500) * env_exp(n, SR, tau, 0.0008)


def v_blip(m, seed):
    n = _n(0.09)
    return osc("pulse", midi_hz(m), n, SR, duty=0.125, cutoff=6000) * env_exp(n, SR, 0.025, 0.001)


def play_melody(song, bar0, notes, voice, pan=0.0, gain=0.3, verb=0.3, delay=0.25, **kw):
    """notes: list of (bar offset, beat, length in beats, midi)."""
    for bo, beat, length, m in notes:
        d = length * song.beat * 0.92
        song.put(voice(m, d, **kw), song.at(bar0 + bo, beat), pan, gain, verb, delay)


# ----------------------------------------------------------------- intro ---
def intro():
    s = Song(76, 16, seed=76)
    chords = [  # (pad voicing, bass root) -- eight bars, played twice
        ([57, 60, 64, 67, 71], 45),   # Am9
        ([53, 57, 59, 64], 41),       # Fmaj7#11
        ([55, 59, 60, 64, 67], 48),   # Cmaj7
        ([55, 59, 62, 64], 43),       # G6
        ([53, 57, 60, 64], 38),       # Dm9
        ([53, 57, 59, 64], 41),       # Fmaj7#11
        ([57, 60, 64, 67], 45),       # Am9
        ([52, 57, 59, 62], 40),       # E7sus4, then E7
    ]
    bar_len = 4 * s.beat
    patterns = [[0, 2, 4, 1, 3, 2, 4, 1], [0, 3, 1, 4, 2, 3, 1, 2]]
    for bar in range(16):
        pad, root = chords[bar % 8]
        if bar % 8 == 7:
            s.put(v_pad(pad, bar_len * 0.5, seed=bar), s.at(bar, 0), 0, 0.42, verb=0.6)
            s.put(v_pad([52, 56, 59, 62], bar_len * 0.5, attack=0.3, seed=bar + 50), s.at(bar, 2), 0, 0.42, verb=0.6)
        else:
            s.put(v_pad(pad, bar_len, seed=bar), s.at(bar, 0), 0, 0.42, verb=0.6)
        # a deep, quiet root
        s.put(v_bass(root - 12 if root > 44 else root, bar_len * 0.95, bite=0.1, rel=0.4),
              s.at(bar, 0), 0, 0.42, verb=0.1)
        # memory twinkling: a bell arpeggio over the chord
        up = sorted(set(pad + [p + 12 for p in pad]))[2:]
        if bar % 8 == 7:
            up = [64, 68, 71, 74, 76]
        pat = patterns[(bar // 2) % 2]
        for k, idx in enumerate(pat):
            if bar < 2 and k % 2:
                continue
            m = up[idx % len(up)] + 12
            vel = 0.12 + 0.05 * (k % 2 == 0) + 0.02 * s.rng.random()
            s.put(v_bell(m, 0.3), s.at(bar, k * 0.5), -0.45 if k % 2 else 0.45, vel, verb=0.5, delay=0.35)
        # far-off data chatter
        if bar >= 4:
            for k in range(16):
                if s.rng.random() < 0.22:
                    m = int(s.rng.choice([81, 84, 86, 88, 91, 93]))
                    s.put(v_blip(m, bar * 16 + k), s.at(bar, k * 0.25), s.rng.uniform(-0.8, 0.8),
                          0.035, verb=0.5, delay=0.4)
        # a slow heartbeat and soft ticks in the second half
        if bar >= 8:
            s.put(v_kick(0.5, 0.2), s.at(bar, 0), 0, 0.55, verb=0.15)
            s.put(v_kick(0.3, 0.2), s.at(bar, 2.5), 0, 0.5, verb=0.15)
        if bar >= 4:
            for k in range(4):
                s.put(v_hat(bar * 4 + k, 0.02), s.at(bar, k + 0.5), 0.3, 0.05 if bar < 8 else 0.07, verb=0.3)
    melody = [
        (0, 0, 2, 76), (0, 2, .5, 74), (0, 2.5, .5, 72), (0, 3, 1, 71),
        (1, 0, 2.5, 69), (1, 2.5, .5, 72), (1, 3, 1, 76),
        (2, 0, 1.5, 79), (2, 1.5, .5, 76), (2, 2, 1, 74), (2, 3, 1, 76),
        (3, 0, 3, 74),
        (4, 0, 1.5, 77), (4, 1.5, .5, 76), (4, 2, 1, 74), (4, 3, 1, 69),
        (5, 0, 2, 72), (5, 2, 1, 71), (5, 3, 1, 76),
        (6, 0, 1.5, 72), (6, 1.5, .5, 71), (6, 2, 2, 69),
        (7, 0, 2, 71), (7, 2, 2, 68),
    ]
    play_melody(s, 8, melody, v_lead, pan=-0.1, gain=0.2, verb=0.55, delay=0.3,
                duty=0.125, cutoff=2400, attack=0.04, rel=0.35)
    # a drone of quiet, filtered noise: the hum of the machine
    hum = spectral(white(s.n, 99), SR, hi=500, lo=60, circular=True)
    hum = hum / np.max(np.abs(hum))
    s.dry += np.stack([hum, np.roll(hum, SR // 3)], axis=1) * 0.03
    return s.render(rt60=2.6, verb_gain=1.0, echo_beats=0.75, echo_fb=0.4, echo_gain=0.55)


# ----------------------------------------------------------------- level ---
def level():
    s = Song(100, 16, seed=100)
    Dm7, Bb7, Gm7 = ([57, 60, 62, 65], 38), ([57, 58, 62, 65], 34), ([58, 62, 65, 67], 43)
    A7s, C, F7 = ([57, 62, 64, 67], 45), ([55, 60, 64, 67], 36), ([57, 60, 64, 65], 41)
    CE, Am7 = ([55, 60, 64, 67], 40), ([55, 60, 64, 69], 45)
    prog = [Dm7, Bb7, Gm7, A7s, Dm7, Bb7, Gm7, C, F7, CE, Dm7, Bb7, Gm7, Am7, Bb7, A7s]
    bar_len = 4 * s.beat
    for bar, (pad, root) in enumerate(prog):
        last = bar == 15
        if last:
            s.put(v_pad(pad, bar_len / 2, cutoff=1100, attack=0.25, rel=0.5, seed=bar), s.at(bar, 0), 0, 0.3, verb=0.45)
            s.put(v_pad([57, 61, 64, 67], bar_len / 2, cutoff=1100, attack=0.1, rel=0.5, seed=bar + 40),
                  s.at(bar, 2), 0, 0.3, verb=0.45)
        else:
            s.put(v_pad(pad, bar_len, cutoff=1100, attack=0.25, rel=0.5, seed=bar), s.at(bar, 0), 0, 0.3, verb=0.45)
        # bass groove
        for beat, length, iv in ((0, .75, 0), (1.5, .5, 0), (2, .75, 7), (3, .4, 12), (3.5, .5, 7)):
            r = root + iv
            if last and beat >= 2:
                r = 45 + iv
            s.put(v_bass(r, length * s.beat * 0.9), s.at(bar, beat), 0, 0.36, verb=0.05)
        # chip arpeggio
        tones = sorted(pad)
        if last:
            tones = [57, 61, 64, 67]
        seq = [0, 1, 2, 3, 2, 1, 2, 3]
        for k in range(16):
            m = tones[seq[k % 8]] + 12 + (12 if (k // 8) % 2 and bar % 2 else 0)
            acc = 1.0 if k % 4 == 0 else 0.7
            s.put(v_arp(m, 0.1, tau=0.07), s.at(bar, k * 0.25), 0.35 if k % 2 else -0.35,
                  0.11 * acc, verb=0.2, delay=0.3)
        # drums
        s.put(v_kick(0.9), s.at(bar, 0), 0, 0.45, verb=0.05)
        s.put(v_kick(0.7), s.at(bar, 2.5), 0, 0.4, verb=0.05)
        if bar >= 4:
            for beat in (1, 3):
                s.put(v_snare(bar * 4 + beat, tau=0.06), s.at(bar, beat), 0.05, 0.16, verb=0.25)
        for k in range(8):
            g = 0.1 if k % 2 else 0.06
            s.put(v_hat(bar * 8 + k), s.at(bar, k * 0.5), 0.25, g, verb=0.1)
        if last:
            for k in range(4):
                s.put(v_snare(900 + k, tau=0.04), s.at(bar, 3 + k * 0.25), -0.05, 0.07 + 0.02 * k, verb=0.2)
    melody = [
        (0, 0, 1, 69), (0, 1, .5, 72), (0, 1.5, 1.5, 74), (0, 3.5, .5, 77),
        (1, 0, 1.5, 77), (1, 1.5, .5, 74), (1, 2, 2, 69),
        (2, 0, .5, 67), (2, .5, .5, 70), (2, 1, 1, 74), (2, 2, .5, 72), (2, 2.5, .5, 70), (2, 3, 1, 69),
        (3, 0, 1.5, 67), (3, 1.5, .5, 64), (3, 2, 1, 67),
        (4, 0, 1, 72), (4, 1, .5, 76), (4, 1.5, 1, 77), (4, 2.5, 1.5, 81),
        (5, 0, 1.5, 79), (5, 1.5, .5, 76), (5, 2, 2, 72),
        (6, 0, .5, 74), (6, .5, .5, 77), (6, 1, 1, 81), (6, 2, .5, 79), (6, 2.5, .5, 77), (6, 3, 1, 76),
        (7, 0, 1.5, 77), (7, 1.5, .5, 74), (7, 2, 1, 70), (7, 3, 1, 69),
        (8, 0, 1, 70), (8, 1, .5, 74), (8, 1.5, 1.5, 79), (8, 3, 1, 77),
        (9, 0, 1.5, 76), (9, 1.5, .5, 72), (9, 2, 2, 69),
        (10, 0, .5, 74), (10, .5, .5, 77), (10, 1, 1, 81), (10, 2, .5, 79), (10, 2.5, .5, 77), (10, 3, 1, 74),
        (11, 0, 2, 76), (11, 2, 1, 73), (11, 3, 1, 69),
    ]
    play_melody(s, 4, melody, v_lead, pan=-0.05, gain=0.25, verb=0.35, delay=0.3,
                duty=0.5, cutoff=2600, vib=0.005)
    return s.render(rt60=1.5, verb_gain=0.9, echo_beats=0.75, echo_fb=0.35, echo_gain=0.45)


# ------------------------------------------------------------------ boss ---
def boss():
    s = Song(132, 16, seed=132)
    Dm, Bb, A = ([57, 62, 65], 38), ([58, 62, 65], 34), ([57, 61, 64], 33)
    Gm, A7, C = ([58, 62, 67], 43), ([57, 61, 64, 67], 45), ([55, 60, 64], 36)
    Edim = ([55, 58, 64], 40)
    prog = [Dm, Dm, Bb, A, Dm, Dm, Gm, A7, Bb, C, Dm, Dm, Gm, Edim, A, A7]
    bar_len = 4 * s.beat
    for bar, (pad, root) in enumerate(prog):
        s.put(v_pad([p - 12 for p in pad] + pad, bar_len, cutoff=900, attack=0.08, rel=0.3, det=0.006, seed=bar),
              s.at(bar, 0), 0, 0.24, verb=0.35)
        # pedal: the low D never lets go
        s.put(v_bass(26, bar_len * 0.98, bite=0.05, rel=0.05), s.at(bar, 0), 0, 0.1, verb=0.0)
        # driving octave bass in eighths
        for k in range(8):
            m = root + (12 if k % 2 else 0)
            s.put(v_bass(m, s.beat * 0.38, bite=0.6), s.at(bar, k * 0.5), 0, 0.32 if k % 2 == 0 else 0.26, verb=0.03)
        # arpeggio in sixteenths, climbing
        tones = pad + [p + 12 for p in pad]
        for k in range(16):
            m = tones[(k + bar) % len(tones)] + 12
            s.put(v_arp(m, 0.08, tau=0.05, duty=0.125), s.at(bar, k * 0.25), 0.45 if k % 2 else -0.45,
                  0.07 if k % 4 else 0.095, verb=0.15, delay=0.2)
        # drums
        kicks = [0, 2] + ([2.75, 3.5] if bar % 4 == 3 else [1.75] if bar % 2 else [])
        for b in kicks:
            s.put(v_kick(1.0, 0.12), s.at(bar, b), 0, 0.5, verb=0.03)
        for b in (1, 3):
            s.put(v_snare(bar * 7 + int(b), tau=0.1, tone=210), s.at(bar, b), 0, 0.26, verb=0.3)
        for k in range(16):
            g = 0.05 if k % 4 == 2 else 0.028
            s.put(v_hat(3000 + bar * 16 + k, 0.018 if k % 4 != 2 else 0.05), s.at(bar, k * 0.25), -0.25, g, verb=0.05)
        if bar == 15:
            for k in range(8):
                s.put(v_snare(700 + k, tau=0.05, tone=230), s.at(bar, 2 + k * 0.25), 0, 0.08 + 0.02 * k, verb=0.25)
    melody = [
        (0, 0, .5, 74), (0, .5, .5, 77), (0, 1, .5, 76), (0, 1.5, .5, 73), (0, 2, 1, 74), (0, 3, 1, 69),
        (1, 0, .5, 70), (1, .5, .5, 69), (1, 1, .5, 67), (1, 1.5, .5, 69), (1, 2, 2, 74),
        (2, 0, .5, 79), (2, .5, .5, 77), (2, 1, .5, 74), (2, 1.5, .5, 70), (2, 2, 1, 67), (2, 3, 1, 70),
        (3, 0, 1, 69), (3, 1, 1, 73), (3, 2, 1, 76), (3, 3, 1, 79),
        (4, 0, 1.5, 77), (4, 1.5, .5, 74), (4, 2, 1, 70), (4, 3, 1, 74),
        (5, 0, 1.5, 76), (5, 1.5, .5, 72), (5, 2, 1, 67), (5, 3, 1, 72),
        (6, 0, .5, 74), (6, .5, .5, 77), (6, 1, 1, 81), (6, 2, .5, 79), (6, 2.5, .5, 77), (6, 3, 1, 76),
        (7, 0, 2, 77), (7, 2, 1, 76), (7, 3, 1, 73),
        (8, 0, 1.5, 82), (8, 1.5, .5, 81), (8, 2, 1, 79), (8, 3, 1, 74),
        (9, 0, 1, 79), (9, 1, 1, 76), (9, 2, 1, 70), (9, 3, 1, 73),
        (10, 0, .5, 69), (10, .5, .5, 73), (10, 1, .5, 76), (10, 1.5, .5, 81), (10, 2, 1, 79), (10, 3, 1, 77),
        (11, 0, 2, 76), (11, 2, 1, 73), (11, 3, 1, 69),
    ]
    play_melody(s, 4, melody, v_lead, pan=0.0, gain=0.24, verb=0.3, delay=0.25,
                duty=0.25, cutoff=3400, vib=0.004, attack=0.005)
    low = [(b, bt, ln, m - 12) for b, bt, ln, m in melody]
    play_melody(s, 4, low, v_lead, pan=0.15, gain=0.09, verb=0.2, delay=0.0,
                duty=0.5, cutoff=1800, vib=0.0, attack=0.005)
    return s.render(rt60=1.1, verb_gain=0.8, echo_beats=0.5, echo_fb=0.3, echo_gain=0.35)


SONGS = {"intro": intro, "level": level, "boss": boss}

if __name__ == "__main__":
    for name in sys.argv[1:] or list(SONGS):
        write_wav(os.path.join(AUDIO, name + ".wav"), SONGS[name](), SR)
