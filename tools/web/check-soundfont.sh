#!/bin/sh
# The page's cut-down bank must play every bundled piece exactly as the full bank does: each
# piece rendered offline by FluidSynth with both banks gives the same samples, byte for byte.
#   tools/web/check-soundfont.sh TRIMMED.sf2
set -e
trimmed=$1
full=/usr/share/sounds/sf2/TimGM6mb.sf2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for piece in assets/*.mid; do
    name=$(basename "$piece" .mid)
    fluidsynth -ni -q -g 0.5 -r 44100 -F "$work/full.wav" "$full" "$piece" >/dev/null 2>&1
    fluidsynth -ni -q -g 0.5 -r 44100 -F "$work/trimmed.wav" "$trimmed" "$piece" >/dev/null 2>&1
    if ! cmp -s "$work/full.wav" "$work/trimmed.wav"; then
        echo "check-soundfont: $name sounds different with $trimmed" >&2
        exit 1
    fi
    echo "ok: $name sounds the same with the cut-down bank ($(stat -c %s "$work/full.wav") bytes)"
done
