#!/usr/bin/python3
"""Make the game's sound effects into assets/audio/sfx/ (44100 Hz, 16-bit mono).

    /usr/bin/python3 tools/sound/make_sounds.py

Every sound is synthesized here from chip-style voices; random parts use
fixed seeds, so each run writes the same files.
"""
import os
import sys

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from synth import (AUDIO, chip_noise, env_exp, fade, midi_hz, normalise, osc,  # noqa: E402
                   spectral, white, write_wav)

SR = 44100

# Peaks in dBFS. One-off sounds peak at -3; the sounds that repeat while playing sit
# lower, so that a walk (up to 30 steps a second) or a running program does not tire
# the ear, and the music (played at the same mixer volume) stays beneath the one-offs.
STEP_PEAK = -12.0  # move8 and move6b, on every step
CPU_PEAK = -10.0   # every instruction the program runs
BUMP_PEAK = -8.0   # every refused step while a direction is held


def n_of(sec):
    return int(round(sec * SR))


def note(kind, midi, dur, tau=None, duty=0.5, cutoff=None, vib=0.0, glide=None, attack=0.002):
    n = n_of(dur)
    t = np.arange(n) / SR
    f = midi_hz(midi) * np.ones(n)
    if glide is not None:
        f = midi_hz(midi + glide * np.clip(t / dur, 0, 1))
    if vib:
        f = f * (1 + vib * np.sin(2 * np.pi * 6.0 * t))
    x = osc(kind, f, n, SR, duty=duty, cutoff=cutoff)
    e = env_exp(n, SR, tau, attack) if tau else np.ones(n)
    return x * e


def place(buf, x, at):
    i = n_of(at)
    buf[i:i + len(x)] += x[:max(0, len(buf) - i)]
    return buf


def echo(x, delay, gain, times=2, hi=3000):
    out = np.concatenate([x, np.zeros(n_of(delay * times))])
    src = out.copy()
    for k in range(1, times + 1):
        d = n_of(delay * k)
        out[d:] += spectral(src, SR, hi=hi)[:len(out) - d] * gain ** k
    return out


def finish(x, name, peak=-3.0, fin=0.002, fout=0.008):
    x = normalise(fade(x, SR, fin, fout), peak)
    write_wav(os.path.join(AUDIO, "sfx", name), x, SR)


def jump():
    """Page flip: a glide upward through a swish of noise."""
    dur = 0.26
    n = n_of(dur)
    t = np.arange(n) / SR
    f = midi_hz(60 + 24 * (1 - np.exp(-t / 0.06)))
    tone = osc("pulse", f, n, SR, duty=0.25, cutoff=5000) * env_exp(n, SR, 0.07, 0.003)
    sw = spectral(white(n, 11), SR, lo=1500, hi=7000) * np.sin(np.pi * np.clip(t / dur, 0, 1)) ** 2
    x = tone * 0.7 + sw * 0.35
    x = place(np.zeros(n_of(0.36)), x, 0)
    finish(echo(x, 0.06, 0.25, 1)[:n_of(0.36)], "jump.wav")


def disabled():
    """Not possible: two low, dull buzzes falling a fourth."""
    buf = np.zeros(n_of(0.24))
    for i, m in enumerate((50, 45)):
        x = note("square", m, 0.09, tau=0.035, cutoff=700, attack=0.003)
        x += note("triangle", m - 12, 0.09, tau=0.05, attack=0.003) * 0.6
        place(buf, fade(x, SR, 0.003, 0.01), i * 0.1)
    finish(buf, "disabled.wav")


def bump2():
    """Bumping into an occupied byte: a soft thud with a tiny blip on top."""
    dur = 0.13
    n = n_of(dur)
    t = np.arange(n) / SR
    f = 55 + 140 * np.exp(-t / 0.018)
    body = osc("triangle", f, n, SR) * env_exp(n, SR, 0.04, 0.001)
    click = spectral(white(n, 3), SR, hi=1200) * env_exp(n, SR, 0.006, 0.0005) * 0.5
    blip = note("sine", 79, dur, tau=0.012) * 0.18
    finish(body + click + blip, "bump2.wav", peak=BUMP_PEAK, fout=0.02)


def move8():
    """First step of a walk: a small rounded tick."""
    n = n_of(0.045)
    t = np.arange(n) / SR
    f = midi_hz(76) * (1 + 0.08 * np.exp(-t / 0.004))
    x = osc("triangle", f, n, SR) * env_exp(n, SR, 0.009, 0.0015)
    x += spectral(white(n, 8), SR, lo=2000, hi=6000) * env_exp(n, SR, 0.002, 0.0003) * 0.15
    finish(x, "move8.wav", peak=STEP_PEAK, fout=0.012)


def move6b():
    """The following steps: softer and shorter still, easy on the ear."""
    n = n_of(0.032)
    x = osc("sine", midi_hz(72), n, SR) * env_exp(n, SR, 0.006, 0.0015)
    x += osc("sine", midi_hz(84), n, SR) * env_exp(n, SR, 0.003, 0.0015) * 0.25
    finish(x, "move6b.wav", peak=STEP_PEAK, fout=0.01)


def cpu():
    """An instruction runs: two quick, thin processor blips."""
    buf = np.zeros(n_of(0.09))
    for i, m in enumerate((88, 93)):
        x = note("pulse", m, 0.03, tau=0.012, duty=0.125, cutoff=6000)
        place(buf, fade(x, SR, 0.001, 0.004), i * 0.035)
    finish(buf, "cpu.wav", peak=CPU_PEAK)


def add():
    """ADD: a bright little upward fifth."""
    buf = np.zeros(n_of(0.2))
    for i, m in enumerate((76, 83)):
        x = note("pulse", m, 0.11, tau=0.05, duty=0.25, cutoff=5500)
        x += note("triangle", m - 12, 0.11, tau=0.05) * 0.5
        place(buf, fade(x, SR, 0.002, 0.01), i * 0.055)
    finish(buf, "add.wav")


def swap():
    """The bit goes into (or out of) a register: a wobbling there-and-back glide."""
    dur = 0.2
    n = n_of(dur)
    t = np.arange(n) / SR
    f = midi_hz(67 + 12 * np.sin(np.pi * t / dur) ** 1.5)
    # the chip's pulse-width sweep, made by cross-fading two pulse widths
    a = osc("pulse", f, n, SR, duty=0.5, cutoff=4000)
    b = osc("pulse", f, n, SR, duty=0.15, cutoff=4000)
    mix = 0.5 + 0.5 * np.sin(2 * np.pi * 14 * t)
    x = (a * mix + b * (1 - mix)) * np.sin(np.pi * np.clip(t / dur, 0, 1)) ** 0.6 * np.exp(-t / 0.12)
    finish(x, "swap.wav", fout=0.02)


def pop31():
    """Menu selection moves: a small pop."""
    n = n_of(0.06)
    t = np.arange(n) / SR
    f = 480 + 620 * np.exp(-t / 0.012)
    x = osc("sine", f, n, SR) * env_exp(n, SR, 0.018, 0.001)
    finish(x, "pop31.wav", fout=0.012)


def pop41():
    """Menu activation: a rounder, fuller pop."""
    n = n_of(0.1)
    t = np.arange(n) / SR
    f = 300 + 500 * np.exp(-t / 0.016)
    x = osc("sine", f, n, SR) * env_exp(n, SR, 0.03, 0.001)
    x += osc("triangle", 2 * f, n, SR) * env_exp(n, SR, 0.015, 0.001) * 0.3
    finish(x, "pop41.wav", fout=0.02)


def select():
    """Confirm: a two-note chime with a short echo."""
    buf = np.zeros(n_of(0.24))
    for i, m in enumerate((76, 83)):
        x = note("square", m, 0.16, tau=0.07, cutoff=3500)
        x += note("sine", m + 12, 0.16, tau=0.05) * 0.3
        place(buf, fade(x, SR, 0.002, 0.01), i * 0.07)
    finish(echo(buf, 0.075, 0.3, 2), "select.wav", fout=0.03)


def select_name():
    """A value changes left or right: a short tick."""
    n = n_of(0.05)
    x = note("pulse", 86, 0.05, tau=0.01, duty=0.25, cutoff=5000)
    x += note("sine", 98, 0.05, tau=0.004) * 0.3
    finish(x[:n], "select_name.wav", fout=0.01)


def tik():
    """Volume tick."""
    n = n_of(0.03)
    x = osc("sine", 1760, n, SR) * env_exp(n, SR, 0.005, 0.0008)
    x += osc("sine", 3520, n, SR) * env_exp(n, SR, 0.002, 0.0008) * 0.3
    finish(x, "tik.wav", fout=0.008)


def ach1():
    """Achievement unlocked: an arpeggio up to a shimmering chord, with sparkles."""
    dur = 1.7
    buf = np.zeros(n_of(dur))
    arp = (72, 76, 79, 84, 88)
    for i, m in enumerate(arp):
        x = note("pulse", m, 0.22, tau=0.09, duty=0.25, cutoff=6000)
        place(buf, fade(x, SR, 0.002, 0.02), i * 0.07)
    t0 = 0.36
    chord = np.zeros(n_of(dur - t0))
    for m, dt in ((84, 0.0), (88, 0.0), (91, 0.0), (96, 0.0)):
        chord += note("pulse", m, dur - t0, tau=0.45, duty=0.125 if m > 90 else 0.25,
                      cutoff=7000, vib=0.004, attack=0.004) * (0.6 if m > 90 else 0.8)
    chord += note("triangle", 60, dur - t0, tau=0.5) * 0.9
    place(buf, chord, t0)
    r = np.random.default_rng(5)
    for k in range(9):
        m = int(r.choice([96, 98, 100, 103, 105, 108]))
        at = t0 + 0.05 + k * 0.1 + r.random() * 0.04
        x = note("sine", m, 0.12, tau=0.03) * (0.35 - 0.025 * k)
        place(buf, fade(x, SR, 0.001, 0.01), at)
    out = echo(buf, 0.12, 0.28, 2, hi=4000)[:n_of(dur)]
    finish(out, "ach1.wav", fout=0.25)


ALL = [jump, disabled, bump2, move8, move6b, cpu, add, swap, pop31, pop41, select,
       select_name, tik, ach1]

if __name__ == "__main__":
    for fn in ALL:
        fn()
