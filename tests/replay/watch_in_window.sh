#!/bin/sh
# The window program plays a replay in a virtual display, as a player opens one: it waits for
# the window, presses End twice (to the match's end, then the replay's), takes a picture of the
# window with ImageMagick, leaves with Escape and waits for the title to run.
#   watch_in_window.sh GAME REPLAY PICTURE FRAMELOG    (run under xvfb-run)
set -eu
game=$1 replay=$2 picture=$3 frames=$4
KB_FRAME_LOG=$frames SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$game" --replay "$replay" \
    >"$picture.log" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
window=$(timeout 20 xdotool search --sync --name "Kanaburst Ver1.1" | head -n 1)
[ -n "$window" ] || { echo "no window"; exit 1; }
sleep 1
xdotool windowfocus --sync "$window" key End
sleep 0.5
xdotool key End
sleep 1
import -window "$window" "$picture"
# The title's frames are the game's own loop: none has run while the replay was shown.
[ ! -s "$frames" ] || { echo "the game ran frames under the replay"; exit 1; }
xdotool key Escape
sleep 1
[ -s "$frames" ] || { echo "no title after Escape"; exit 1; }
