#!/bin/sh
# Builds tools/web/smoke.cpp with emscripten against the libraries in DIR/deps/prefix, runs it
# under node and compares what it prints with tools/web/smoke.expected. The font and picture lines
# there are also what the native build with Debian's libraries prints (see smoke.cpp).
# Usage: smoke.sh DIR
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
dir=$(mkdir -p "$1" && cd "$1" && pwd)
prefix=$dir/deps/prefix
out=$dir/smoke
export EM_NODE_JS="$here/node-nofetch"

mkdir -p "$out"
# Our own libraries by full path: -lSDL2* would make emcc reach for its download-only ports.
# SDL's browser audio driver needs two runtime helpers that emscripten 3.1.6 leaves out.
# shellcheck disable=SC2016 # the $ names are emscripten's, not the shell's
em++ -std=c++20 -O2 -Wall -Wextra -Werror \
	-I"$prefix/include/SDL2" -I"$prefix/include" \
	"$here/smoke.cpp" \
	"$prefix/lib/libSDL2_ttf.a" "$prefix/lib/libSDL2_image.a" "$prefix/lib/libSDL2_mixer.a" \
	"$prefix/lib/libSDL2.a" "$prefix/lib/libharfbuzz.a" "$prefix/lib/libfreetype.a" \
	"$prefix/lib/libjpeg.a" \
	"$prefix/lib/libpng16.a" "$prefix/lib/libz.a" \
	-sALLOW_MEMORY_GROWTH=1 \
	-sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE='["$autoResumeAudioContext","$dynCall"]' \
	--pre-js "$here/smoke-node.js" \
	--preload-file /usr/share/fonts/opentype/ipafont-gothic/ipag.ttf@/ipag.ttf \
	--preload-file "$root/assets/back.jpg@/back.jpg" \
	--preload-file "$root/assets/fire.wav@/fire.wav" \
	-o "$out/smoke.js"

status=0
(cd "$out" && "$here/node-nofetch" smoke.js) >"$out/smoke.out" || status=$?
cat "$out/smoke.out"
if [ "$status" != 0 ]; then
	echo "web-smoke: the program failed (exit status $status)" >&2
	exit 1
fi
if ! diff -u "$here/smoke.expected" "$out/smoke.out"; then
	echo "web-smoke: the browser build printed other values than expected (diff above)" >&2
	exit 1
fi
echo "web-smoke: as expected"
