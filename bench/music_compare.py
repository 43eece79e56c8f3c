#!/usr/bin/env python3
"""Compares our rendering of each module with openmpt123's: both render the
first S seconds (default 60) at 44100 Hz with linear interpolation; the
mono RMS envelope of each is taken over 50 ms windows and the script prints
the correlation of the two envelopes and their level difference, so that
modules that sound very different get looked at.

usage: bench/music_compare.py [BUILD_DIR] [SECONDS]"""

import audioop
import math
import os
import subprocess
import sys
import wave

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import music_modules  # noqa: E402

WINDOW_MS = 50


def envelope(path, seconds):
    with wave.open(path) as w:
        rate = w.getframerate()
        frames = w.readframes(int(seconds * rate))
        width = w.getsampwidth()
    mono = audioop.tomono(frames, width, 0.5, 0.5)
    step = rate * WINDOW_MS // 1000 * width
    return [audioop.rms(mono[i:i + step], width) for i in range(0, len(mono) - step + 1, step)]


def correlation(a, b):
    n = min(len(a), len(b))
    a, b = a[:n], b[:n]
    ma, mb = sum(a) / n, sum(b) / n
    cov = sum((x - ma) * (y - mb) for x, y in zip(a, b))
    va = sum((x - ma) ** 2 for x in a)
    vb = sum((y - mb) ** 2 for y in b)
    return cov / math.sqrt(va * vb) if va > 0 and vb > 0 else float("nan")


def level_db(a, b):
    ra = math.sqrt(sum(x * x for x in a) / len(a))
    rb = math.sqrt(sum(x * x for x in b) / len(b))
    return 20 * math.log10(ra / rb) if ra > 0 and rb > 0 else float("nan")


def main():
    seconds, ours, scratch = music_modules.start(sys.argv)
    print("RMS envelope (%d ms windows) of vorlane-xm against openmpt123, first %g s" % (
        WINDOW_MS, seconds))
    print("%-34s %12s %14s" % ("module", "correlation", "level (dB)"))
    for module in music_modules.all_modules(scratch):
        local = os.path.join(scratch, "compare-" + os.path.basename(module))
        with open(module, "rb") as src, open(local, "wb") as dst:
            dst.write(src.read())
        our_wav = os.path.join(scratch, "compare-ours.wav")
        subprocess.run([ours, "render", local, our_wav, "--seconds", str(seconds)], check=True,
                       stdout=subprocess.DEVNULL)
        subprocess.run(["openmpt123", "--render", "--force", "--quiet", "--samplerate", "44100",
                        "--no-float", "--filter", "2", "--end-time", str(seconds),
                        "--output-type", "wav", local], check=True, stdout=subprocess.DEVNULL)
        a = envelope(our_wav, seconds)
        b = envelope(local + ".wav", seconds)
        print("%-34s %12.3f %14.1f" % (os.path.basename(module)[:34], correlation(a, b),
                                         level_db(a, b)))


if __name__ == "__main__":
    main()
