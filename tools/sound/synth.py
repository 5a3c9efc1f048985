#!/usr/bin/python3
"""A tiny chip-style synthesizer shared by the sound and music generators.

Oscillators are built from their harmonics (band-limited, so no aliasing
fizz), with an optional soft low-pass applied harmonic by harmonic.  Filters
work in the frequency domain; for music loops they are circular, so a loop's
end flows into its start.
"""
import os
import wave

import numpy as np

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
AUDIO = os.path.join(ROOT, "assets", "audio")


def midi_hz(m):
    return 440.0 * 2.0 ** ((np.asarray(m, dtype=np.float64) - 69) / 12.0)


def harmonics(kind, duty=0.5):
    """Amplitude of harmonic k (k >= 1) for a waveform, as a function."""
    if kind == "sine":
        return lambda k: 1.0 if k == 1 else 0.0
    if kind == "square":
        return lambda k: (4 / np.pi / k) if k % 2 else 0.0
    if kind == "pulse":
        return lambda k: 2 / (np.pi * k) * np.sin(np.pi * k * duty) * 2
    if kind == "saw":
        return lambda k: 2 / (np.pi * k) * (-1) ** (k + 1)
    if kind == "triangle":
        return lambda k: (8 / np.pi ** 2 / k ** 2) * (-1) ** ((k - 1) // 2) if k % 2 else 0.0
    raise ValueError(kind)


def osc(kind, freq, n, sr, duty=0.5, cutoff=None, max_harm=64, phase0=0.0, cos_phase=False):
    """Band-limited oscillator.  `freq` is a number or an array of n values (Hz)."""
    f = np.broadcast_to(np.asarray(freq, dtype=np.float64), (n,))
    phase = 2 * np.pi * (np.cumsum(f) / sr) + phase0
    fmax = float(f.max()) if n else 1.0
    amp = harmonics(kind, duty)
    out = np.zeros(n)
    top = int(min(max_harm, (sr / 2 * 0.92) // max(fmax, 1.0)))
    for k in range(1, max(1, top) + 1):
        a = amp(k)
        if a == 0:
            continue
        if cutoff:
            a = a / np.sqrt(1 + (k * fmax / cutoff) ** 4)
            if abs(a) < 1e-4:
                break
        out += a * np.sin(k * phase)
    return out


def env_adsr(n, sr, a=0.005, d=0.05, s=0.7, r=0.05, hold=None):
    """Attack-decay-sustain-release envelope; the release starts at `hold` seconds."""
    t = np.arange(n) / sr
    hold = (n / sr - r) if hold is None else hold
    e = np.where(t < a, t / max(a, 1e-6), s + (1 - s) * np.exp(-(t - a) / max(d, 1e-6)))
    rel = np.clip(1 - (t - hold) / max(r, 1e-6), 0, 1)
    e = np.where(t > hold, e * rel, e)
    return e


def env_exp(n, sr, tau, attack=0.002):
    t = np.arange(n) / sr
    return np.minimum(t / attack, 1.0) * np.exp(-t / tau)


def chip_noise(n, sr, rate, seed=0):
    """Sample-and-hold noise at `rate` Hz, like an 8-bit sound chip's noise channel."""
    r = np.random.default_rng(seed)
    hold = max(1, int(sr / rate))
    vals = r.choice([-1.0, 1.0], n // hold + 2)
    return np.repeat(vals, hold)[:n]


def white(n, seed=0):
    return np.random.default_rng(seed).uniform(-1, 1, n)


def spectral(x, sr, lo=None, hi=None, order=2, circular=False):
    """Zero-phase high/low-pass with a soft Butterworth-like slope."""
    n = len(x)
    pad = 0 if circular else min(n, int(sr * 0.05))
    y = np.pad(x, (pad, pad)) if pad else x
    X = np.fft.rfft(y, axis=0)
    f = np.fft.rfftfreq(len(y), 1 / sr)
    g = np.ones_like(f)
    if hi:
        g = g / np.sqrt(1 + (f / hi) ** (2 * order))
    if lo:
        g = g * (1 - 1 / np.sqrt(1 + (f / lo) ** (2 * order)))
    if X.ndim == 2:
        g = g[:, None]
    y = np.fft.irfft(X * g, n=len(y), axis=0)
    return y[pad:pad + n] if pad else y


def fade(x, sr, fin=0.002, fout=0.006):
    x = x.copy()
    a, b = int(sr * fin), int(sr * fout)
    if a:
        x[:a] *= np.sin(np.linspace(0, np.pi / 2, a)) ** 2
    if b:
        x[-b:] *= np.cos(np.linspace(0, np.pi / 2, b)) ** 2
    return x


def normalise(x, peak_db=-3.0):
    p = np.max(np.abs(x))
    return x * (10 ** (peak_db / 20) / p) if p > 0 else x


def write_wav(path, x, sr):
    """16-bit WAV, mono (1-D) or stereo (n x 2)."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    x = np.asarray(x)
    ch = 1 if x.ndim == 1 else x.shape[1]
    q = np.clip(np.round(x * 32767), -32768, 32767).astype("<i2")
    with wave.open(path, "wb") as w:
        w.setnchannels(ch)
        w.setsampwidth(2)
        w.setframerate(sr)
        w.writeframes(q.tobytes())
    print("wrote", os.path.relpath(path, ROOT), "%.2f s" % (len(x) / sr))
