#!/usr/bin/python3
"""Onset plot of a rendered song with the show's cue rows marked.

usage: song_plots.py SONG.wav CUE_TABLE.cpp OUT.png [TITLE]

The onset strength is the positive spectral flux of 10 ms frames. Each cue
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
    spectrum = np.log1p(100.0 * np.abs(np.fft.rfft(frames * window, axis=1)))
    flux = np.maximum(spectrum[1:] - spectrum[:-1], 0.0).sum(axis=1)
    times = (np.arange(1, count) * hop + size / 2) / rate
    return times, flux / flux.max()


def read_cues(path):
    text = open(path).read()
    cues = [tuple(map(int, m)) for m in re.findall(r"\{(\d+), (\d+), (\d+)\}", text)]
    return [c for c in cues if c[0] != 255]


def main():
    wav_path, cue_path, out_path = sys.argv[1:4]
    title = sys.argv[4] if len(sys.argv) > 4 else wav_path
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
    print(f"{out_path}: {heard} of {len(cue_times)} cues have an onset within one row")


if __name__ == "__main__":
    main()
