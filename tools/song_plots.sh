#!/bin/bash
# Renders the show's song with our player (vorlane-xm) and with openmpt123
# as a measuring peer, and writes for each a spectrogram and an onset plot
# with the cue rows marked, then compares the two renderings.
#
# usage: tools/song_plots.sh [OUT_DIR]   (default: build/song_plots)
# VORLANE_XM names our player (default: build/vorlane-xm); without it only
# the peer's rendering is made. Needs sox, openmpt123 and python3 with
# numpy and matplotlib (Debian: sox openmpt123 python3-numpy python3-matplotlib).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/song_plots}
player=${VORLANE_XM:-$root/build/vorlane-xm}
song=$root/data/song.xm
python=/usr/bin/python3
mkdir -p "$out"

spectrogram() {  # WAV PNG TITLE
    sox "$1" -n spectrogram -x 1800 -y 513 -z 90 -t "$3" -o "$2"
}

cp "$song" "$out/song.xm"
openmpt123 --quiet --render --force --samplerate 44100 --no-float --filter 2 "$out/song.xm"
mv "$out/song.xm.wav" "$out/openmpt123.wav"
spectrogram "$out/openmpt123.wav" "$out/spectrogram_openmpt123.png" "data/song.xm, openmpt123"
$python "$root/tools/song_plots.py" onsets "$out/openmpt123.wav" "$root/data/cue_table.cpp" \
    "$out/onsets_openmpt123.png" "openmpt123"

if [ -x "$player" ]; then
    "$player" render "$song" "$out/vorlane.wav"
    spectrogram "$out/vorlane.wav" "$out/spectrogram_vorlane.png" "data/song.xm, vorlane-xm"
    $python "$root/tools/song_plots.py" onsets "$out/vorlane.wav" "$root/data/cue_table.cpp" \
        "$out/onsets_vorlane.png" "vorlane-xm"
    $python "$root/tools/song_plots.py" compare "$out/vorlane.wav" "$out/openmpt123.wav"
else
    echo "no player at $player: set VORLANE_XM to compare with our rendering" >&2
fi
echo "plots in $out"
