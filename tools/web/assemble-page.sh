#!/bin/sh
# The page's folder, ready to serve: the game's build, the page's scripts, the music's
# synthesiser and cut-down bank, the full typeface and bank for what needs them, the credits
# and licence texts, and a brotli and a gzip copy of every file (the server sends the one the
# browser takes). Only what changed is written, each file beside its target and renamed into
# place, so that a page served meanwhile never sends half a file and a second run with nothing
# changed rewrites nothing.
#   tools/web/assemble-page.sh WEB_BUILD
set -e
build=$1
game=$build/game
page=$build/page
synth=tools/web/node_modules/js-synthesizer
mkdir -p "$page"

# Puts FILE into the page under NAME (FILE's own name unless given) when its content differs.
place() {
    target=$page/${2:-$(basename "$1")}
    cmp -s "$1" "$target" 2>/dev/null && return 0
    cp "$1" "$target.part"
    mv -f "$target.part" "$target"
}

for file in "$game/index.js" "$game/index.wasm" "$game/index.data" \
    "$game/TimGM6mb-kanaburst.sf2" "$game/kanaburst-gothic.ttf" \
    web/page.js web/music.js web/record.js web/replays.js \
    "$synth/externals/libfluidsynth-2.3.0.js" \
    "$synth/dist/js-synthesizer.min.js" /usr/share/sounds/sf2/TimGM6mb.sf2 \
    tools/web/node_modules/paho-mqtt/paho-mqtt-min.js \
    /usr/share/fonts/opentype/ipafont-gothic/ipag.ttf; do
    place "$file"
done
# The progress line counts the game's code and packaged files as they arrive, out of this.
bytes=$(($(stat -c %s "$game/index.wasm") + $(stat -c %s "$game/index.data")))
sed "s/data-bytes=\"0\"/data-bytes=\"$bytes\"/" "$game/index.html" > "$build/index.html.new"
place "$build/index.html.new" index.html
rm "$build/index.html.new"
/usr/bin/python3 tools/web/make-credits.py THIRD-PARTY.md "$page" "$build/deps/src" \
    tools/web/node_modules

tools/web/compress-page.sh "$page" "$build/page-stamps"
echo "The page is in $page/; make web-run serves it."
