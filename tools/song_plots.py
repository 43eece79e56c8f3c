#!/usr/bin/python3
"""Looks at rendered songs: an onset plot with the show's cue rows marked,
and a comparison of two renderings of the same song.

usage: song_plots.py onsets SONG.wav CUE_TABLE.cpp OUT.png [TITLE]
       song_plots.py compare A.wav B.wav

The onset strength is the positive spectral flux below 5 kHz of 10 ms frames. Each cue
(order, row) is drawn at its sound time: one row is 6 ticks of 1102 frames
at 44100 Hz. The plot has one panel per part of the show, so single rows
stay readable; a report line gives how many cues have an onset peak within
one row after their start.
"""
import re
import sys
import wave

import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt
import numpy as np

ROW_SECONDS = 6 * 1102 / 44100
PARTS = [("part 1", 0, 4), ("part 2", 4, 12), ("part 3", 12, 18), ("part 4", 18, 30), ("part 5", 30, 39)]
CUE_COLOURS = ["tab:red", "tab:blue", "tab:green", "tab:orange", "tab:purple", "tab:brown"]


def read_wav(path):
    with wave.open(path, "rb") as w:
        rate = w.getframerate()
        frames = w.readframes(w.getnframes())
        width = w.getsampwidth()
        channels = w.getnchannels()
    dtype = {2: np.int16, 4: np.int32}[width]
    data = np.frombuffer(frames, dtype=dtype).astype(np.float64)
    data = data.reshape(-1, channels).mean(axis=1) / float(np.iinfo(dtype).max)
    return rate, data


def onset_strength(rate, data, hop_seconds=0.01):
    hop = int(rate * hop_seconds)
    size = 1024
    window = np.hanning(size)
    count = (len(data) - size) // hop
    frames = np.lib.stride_tricks.as_strided(
        data, shape=(count, size), strides=(data.strides[0] * hop, data.strides[0]))
    # Below 5 kHz: the kicks, snares, claps and toms of the accents rather
    # than the hats, which would otherwise fill the plot.
    spectrum = np.log1p(100.0 * np.abs(np.fft.rfft(frames * window, axis=1))[:, :size * 5000 // rate])
    flux = np.maximum(spectrum[1:] - spectrum[:-1], 0.0).sum(axis=1)
    times = (np.arange(1, count) * hop + size / 2) / rate
    return times, flux / flux.max()


def read_cues(path):
    text = open(path).read()
    cues = [tuple(map(int, m)) for m in re.findall(r"\{(\d+), (\d+), (\d+)\}", text)]
    return [c for c in cues if c[0] != 255]


def band_energies(rate, data, hop_seconds=0.05):
    """Log energy in 24 bands (a third of an octave apart from 50 Hz) per
    50 ms frame."""
    hop = int(rate * hop_seconds)
    size = 4096
    count = (len(data) - size) // hop
    frames = np.lib.stride_tricks.as_strided(
        data, shape=(count, size), strides=(data.strides[0] * hop, data.strides[0]))
    power = np.abs(np.fft.rfft(frames * np.hanning(size), axis=1)) ** 2
    freqs = np.fft.rfftfreq(size, 1.0 / rate)
    edges = 50.0 * 2.0 ** (np.arange(25) / 3.0)
    bands = [power[:, (freqs >= lo) & (freqs < hi)].sum(axis=1) for lo, hi in zip(edges[:-1], edges[1:])]
    return 10.0 * np.log10(np.array(bands).T + 1e-3)


def compare(path_a, path_b):
    rate_a, a = read_wav(path_a)
    rate_b, b = read_wav(path_b)
    n = min(len(a), len(b))
    a, b = a[:n], b[:n]
    # Players differ in overall gain; compare shapes, not levels.
    a = a / np.sqrt(np.mean(a ** 2))
    b = b / np.sqrt(np.mean(b ** 2))
    ea, eb = band_energies(rate_a, a), band_energies(rate_b, b)
    # Frames where either rendering has sound in the band.
    audible = np.maximum(ea, eb) > ea.max() - 60
    diff = np.abs(ea - eb)[audible]
    corr = np.corrcoef(ea[audible], eb[audible])[0, 1]
    _, fa = onset_strength(rate_a, a)
    _, fb = onset_strength(rate_b, b)
    onset_corr = np.corrcoef(fa, fb)[0, 1]
    row = 6 * 1102
    per_order = [20 * np.log10(np.sqrt(np.mean(x[o * 32 * row:(o + 1) * 32 * row] ** 2)) + 1e-9)
                 for x in (a, b) for o in range(n // (32 * row))]
    half = len(per_order) // 2
    order_diff = np.abs(np.array(per_order[:half]) - np.array(per_order[half:]))
    print(f"band energy: correlation {corr:.3f}, median difference {np.median(diff):.2f} dB, "
          f"90th percentile {np.percentile(diff, 90):.2f} dB")
    print(f"onset strength correlation {onset_corr:.3f}")
    print(f"loudness per order position: largest difference {order_diff.max():.2f} dB "
          f"(order {int(order_diff.argmax())}), mean {order_diff.mean():.2f} dB")


def onsets(wav_path, cue_path, out_path, title):
    rate, data = read_wav(wav_path)
    times, flux = onset_strength(rate, data)
    cues = read_cues(cue_path)
    cue_times = [((o * 32 + r) * ROW_SECONDS, v) for o, r, v in cues]

    # A cue is heard when the flux peaks within a row after it, above the
    # median of its surroundings.
    heard = 0
    for t, _ in cue_times:
        near = (times >= t - 0.02) & (times < t + ROW_SECONDS)
        around = (times >= t - 2) & (times < t + 2)
        if near.any() and flux[near].max() > 2.0 * np.median(flux[around]):
            heard += 1

    # Contrast: the median onset peak on cue rows against that on the other
    # rows of the orders that have cues.
    cue_rows = {(o, r) for o, r, _ in cues}
    cue_orders = {o for o, _, _ in cues}
    on_cue, off_cue = [], []
    for o in sorted(cue_orders):
        for r in range(32):
            t = (o * 32 + r) * ROW_SECONDS
            near = (times >= t - 0.02) & (times < t + ROW_SECONDS / 2)
            if near.any():
                (on_cue if (o, r) in cue_rows else off_cue).append(flux[near].max())
    contrast = np.median(on_cue) / np.median(off_cue)

    fig, axes = plt.subplots(len(PARTS), 1, figsize=(18, 3 * len(PARTS)))
    for ax, (name, first, end) in zip(axes, PARTS):
        t0, t1 = first * 32 * ROW_SECONDS, end * 32 * ROW_SECONDS
        sel = (times >= t0) & (times < t1)
        ax.plot(times[sel], flux[sel], color="black", linewidth=0.6)
        for t, v in cue_times:
            if t0 <= t < t1:
                ax.axvline(t, color=CUE_COLOURS[v], alpha=0.6, linewidth=1.0)
        for order in range(first, end + 1):
            ax.axvline(order * 32 * ROW_SECONDS, color="grey", linestyle=":", linewidth=0.8)
            if order < end:
                ax.text(order * 32 * ROW_SECONDS + 0.05, 0.95, str(order), fontsize=8, va="top")
        ax.set_xlim(t0, t1)
        ax.set_ylim(0, 1)
        ax.set_ylabel(name)
    axes[0].set_title(f"{title}: onset strength, cues by value "
                      "(0 red, 1 blue, 2 green, 3 orange, 4 purple, 5 brown); orders dotted")
    axes[-1].set_xlabel("seconds of sound")
    fig.tight_layout()
    fig.savefig(out_path, dpi=80)
    print(f"{out_path}: {heard} of {len(cue_times)} cues have an onset within one row; "
          f"onsets on cue rows are {contrast:.2f} times those on other rows")


if __name__ == "__main__":
    if len(sys.argv) >= 5 and sys.argv[1] == "onsets":
        onsets(sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5] if len(sys.argv) > 5 else sys.argv[2])
    elif len(sys.argv) == 4 and sys.argv[1] == "compare":
        compare(sys.argv[2], sys.argv[3])
    else:
        sys.exit(__doc__)
