#!/usr/bin/env python3
"""CPU seconds per minute of audio for vorlane-xm, openmpt123 and xmp
rendering the same modules to 44100 Hz 16-bit stereo WAV files (each
player loops the song to fill the same length, 60 s unless told), best of
three runs; and the ratios against ours.

usage: bench/music_speed.py [BUILD_DIR] [SECONDS]   (default: build, 60)"""

import os
import subprocess
import sys
import wave

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import music_modules  # noqa: E402


def cpu_seconds(command):
    """User + system CPU time of one run of command."""
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    if os.waitstatus_to_exitcode(status) != 0:
        raise RuntimeError("failed: " + " ".join(command))
    return usage.ru_utime + usage.ru_stime


def audio_minutes(path):
    with wave.open(path) as w:
        return w.getnframes() / w.getframerate() / 60.0


def commands(player, module, out, ours, seconds):
    length = str(seconds)
    if player == "vorlane-xm":
        return [ours, "render", module, out, "--seconds", length]
    if player == "openmpt123":
        # Linear interpolation and 16-bit output, as ours.
        return ["openmpt123", "--render", "--force", "--quiet", "--samplerate", "44100",
                "--no-float", "--filter", "2", "--repeat", "-1", "--end-time", length,
                "--output-type", "wav", module]
    return ["xmp", "--quiet", "-l", "-t", length, "-i", "linear", "-f", "44100", "-o", out, module]


def output_of(player, module, out):
    return module + ".wav" if player == "openmpt123" else out


def main():
    seconds, ours, scratch = music_modules.start(sys.argv)
    players = ["vorlane-xm", "openmpt123", "xmp"]
    print("CPU seconds per minute of audio (best of 3), 44100 Hz stereo, %g s per module" % seconds)
    print("%-34s %7s %10s %10s %10s %8s %8s %9s" % (
        "module", "minutes", "vorlane", "openmpt", "xmp", "mpt/ours", "xmp/ours", "realtime"))
    for module in music_modules.all_modules(scratch):
        # openmpt123 writes beside its input: work on a copy in the scratch folder.
        local = os.path.join(scratch, "speed-" + os.path.basename(module))
        with open(module, "rb") as src, open(local, "wb") as dst:
            dst.write(src.read())
        per_minute = {}
        minutes = 0.0
        for player in players:
            out = os.path.join(scratch, "speed-%s.wav" % player)
            best = min(cpu_seconds(commands(player, local, out, ours, seconds)) for _ in range(3))
            m = audio_minutes(output_of(player, local, out))
            per_minute[player] = best / m if m > 0 else float("nan")
            if player == "vorlane-xm":
                minutes = m
        ours_cpu = per_minute["vorlane-xm"]
        print("%-34s %7.2f %10.4f %10.4f %10.4f %8.1f %8.1f %8.0fx" % (
            os.path.basename(module)[:34], minutes, ours_cpu, per_minute["openmpt123"],
            per_minute["xmp"], per_minute["openmpt123"] / ours_cpu, per_minute["xmp"] / ours_cpu,
            60.0 / ours_cpu))


if __name__ == "__main__":
    main()
