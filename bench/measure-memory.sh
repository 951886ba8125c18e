#!/usr/bin/env bash
# Peak resident memory of one whole match against the computer in the headless driver:
# start-up, the title, a match played to its end, the match-over effect, the result screen
# and back to the title. Reports; never fails on the figure.
#   bench/measure-memory.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build-release}
here=$(cd "$(dirname "$0")" && pwd)
[ -x /usr/bin/time ] || { echo "measure-memory: /usr/bin/time is missing (package time), skipped"; exit 0; }
out=$(mktemp)
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
    /usr/bin/time -v "$build/kanaburst-sim" "$here/full-match.sim" >"$out.trace" 2>"$out"
kb=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$out")
echo "full match in the driver: peak resident memory $((kb / 1024)) MB (target < 80 MB)"
rm -f "$out" "$out.trace"
