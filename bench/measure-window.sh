#!/usr/bin/env bash
# The real game window under a virtual X server: start-up to the first frame, processor use
# on the title and during a match against the computer, the spacing of frame starts, the
# window program's peak memory and how fast it answers a network peer. Reports figures;
# never fails on them.
#   bench/measure-window.sh [BUILD_DIR] [SECONDS_PER_PHASE]
# Needs xvfb-run and xdotool (make bench installs them).
set -euo pipefail
build=${1:-build-release}
seconds=${2:-10}
here=$(cd "$(dirname "$0")" && pwd)
for tool in xvfb-run xdotool python3; do
    command -v "$tool" >/dev/null || { echo "measure-window: $tool is missing, skipped"; exit 0; }
done
# SDL's dummy audio driver still mixes and synthesises the music in real time, as a sound
# card would make it; a build machine has no sound card of its own.
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
# The matches played here are kept in a record of their own, not the player's.
XDG_DATA_HOME=$(mktemp -d)
export XDG_DATA_HOME
trap 'rm -rf "$XDG_DATA_HOME"' EXIT
# Twice: with SDL's own choice of renderer (under Xvfb that is OpenGL drawn by Mesa's llvmpipe,
# which brings LLVM into the process) and with SDL's software renderer.
for renderer in default software; do
    echo "-- renderer: $renderer"
    if [ "$renderer" = software ]; then export SDL_RENDER_DRIVER=software; fi
    xvfb-run -a -s "-screen 0 1024x768x24" \
        python3 "$here/measure_window.py" "$build/kanaburst" "$seconds"
done
echo "-- network replies (the window program as server)"
# The relay's peer needs Debian's python3-paho-mqtt, whatever python3 comes first on PATH.
xvfb-run -a -s "-screen 0 1024x768x24" /usr/bin/python3 "$here/measure_net_latency.py" "$build/kanaburst"
