#!/bin/sh
# The page's folder, ready to serve: the game's build, the page's scripts, the music's
# synthesiser and cut-down bank, the full typeface and bank for what needs them, the credits
# and licence texts, and a brotli and a gzip copy of every file (the server sends the one the
# browser takes).
#   tools/web/assemble-page.sh WEB_BUILD
set -e
build=$1
game=$build/game
page=$build/page
synth=tools/web/node_modules/js-synthesizer
mkdir -p "$page"

# -p keeps the files' times, so that an unchanged file is not compressed again.
cp -p "$game/index.js" "$game/index.wasm" "$game/index.data" "$game/TimGM6mb-kanaburst.sf2" \
    "$game/kanaburst-gothic.ttf" \
    web/page.js web/music.js "$synth/externals/libfluidsynth-2.3.0.js" \
    "$synth/dist/js-synthesizer.min.js" /usr/share/sounds/sf2/TimGM6mb.sf2 \
    tools/web/node_modules/paho-mqtt/paho-mqtt-min.js \
    /usr/share/fonts/opentype/ipafont-gothic/ipag.ttf "$page/"
# The progress line counts the game's code and packaged files as they arrive, out of this.
bytes=$(($(stat -c %s "$game/index.wasm") + $(stat -c %s "$game/index.data")))
sed "s/data-bytes=\"0\"/data-bytes=\"$bytes\"/" "$game/index.html" > "$page/index.html.new"
cmp -s "$page/index.html.new" "$page/index.html" 2>/dev/null && rm "$page/index.html.new" ||
    mv "$page/index.html.new" "$page/index.html"
/usr/bin/python3 tools/web/make-credits.py THIRD-PARTY.md "$page" "$build/deps/src" \
    tools/web/node_modules

find "$page" -type f ! -name '*.br' ! -name '*.gz' | while read -r file; do
    [ "$file.br" -nt "$file" ] || brotli -f -q 11 -o "$file.br" "$file"
    [ "$file.gz" -nt "$file" ] || gzip -9 -n -c "$file" > "$file.gz"
done
echo "The page is in $page/; make web-run serves it."
