#!/bin/sh
# Builds the browser build's libraries with emscripten into DIR/prefix (include/, lib/*.a): zlib,
# libpng, libjpeg-turbo (no SIMD), freetype, harfbuzz, SDL2, SDL2_ttf (with harfbuzz, as Debian
# builds it), SDL2_image (JPEG and PNG through those libraries), SDL2_mixer (WAV only: the
# page plays its music with FluidSynth in the browser) and libsodium (the rooms' keys and
# sealed messages). Sources are Debian's, unpacked by
# fetch-sources.sh. Each library is rebuilt only when its build options change, so a second run
# does nothing.
# Usage: build-deps.sh DIR [JOBS]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
# The folder's real path: the stamps hold it, and a link to a folder built before (another
# checkout's) must find the same libraries built, not build them again under another name.
dir=$(mkdir -p "$1" && cd "$1" && pwd -P)
jobs=${2:-2}
prefix=$dir/prefix
src=$dir/src
# emcc runs its JavaScript tools with this node, and CMake's checks run test programs with it.
export EM_NODE_JS="$here/node-nofetch"

# Everything below is a static wasm library; -O2 keeps the libraries small and fast.
cflags="-O2"

# Already built with the same command? The stamp holds the command that built it.
built() { # name command...
	[ -f "$dir/stamps/$1" ] && [ "$(cat "$dir/stamps/$1")" = "$*" ]
}
built_any=
done_with() {
	built_any=1
	mkdir -p "$dir/stamps"
	echo "$*" >"$dir/stamps/$1"
	echo "build-deps: $1 built"
}

cmake_lib() { # name source-folder cmake-options...
	name=$1
	source=$2
	shift 2
	if built "$name" "$source" "$@"; then return; fi
	sources
	rm -rf "$dir/build/$name"
	emcmake cmake -S "$src/$source" -B "$dir/build/$name" -G Ninja -Wno-dev \
		-DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE="$cflags" \
		-DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" \
		-DCMAKE_FIND_ROOT_PATH="$prefix" \
		-DCMAKE_CROSSCOMPILING_EMULATOR="$here/node-nofetch" \
		-DBUILD_SHARED_LIBS=OFF "$@" >"$dir/build/$name.configure.log" 2>&1 ||
		{ tail -n 40 "$dir/build/$name.configure.log"; exit 1; }
	cmake --build "$dir/build/$name" -j "$jobs" >"$dir/build/$name.build.log" 2>&1 ||
		{ tail -n 40 "$dir/build/$name.build.log"; exit 1; }
	cmake --install "$dir/build/$name" >/dev/null
	done_with "$name" "$source" "$@"
}

# The sources are fetched the first time a library needs building.
fetched=
sources() {
	[ -n "$fetched" ] || "$here/fetch-sources.sh" "$dir"
	fetched=1
}
mkdir -p "$dir/build"

# zlib's CMake project always adds a shared library too, which emscripten cannot make; its own
# configure script builds the static one alone.
if ! built zlib zlib-1.2.13 --static; then
	sources
	rm -rf "$dir/build/zlib"
	cp -a "$src/zlib-1.2.13" "$dir/build/zlib"
	(cd "$dir/build/zlib" && CFLAGS="$cflags" emconfigure ./configure --static --prefix="$prefix" &&
		emmake make -j "$jobs" libz.a && emmake make install) >"$dir/build/zlib.log" 2>&1 ||
		{ tail -n 40 "$dir/build/zlib.log"; exit 1; }
	done_with zlib zlib-1.2.13 --static
fi

zlib_inc="-DZLIB_INCLUDE_DIR=$prefix/include"
zlib_lib="-DZLIB_LIBRARY=$prefix/lib/libz.a"

cmake_lib libpng libpng1.6-1.6.39 "$zlib_inc" "$zlib_lib" -DPNG_SHARED=OFF -DPNG_STATIC=ON \
	-DPNG_EXECUTABLES=OFF -DPNG_TESTS=OFF -DPNG_HARDWARE_OPTIMIZATIONS=OFF -Dld-version-script=OFF

cmake_lib libjpeg libjpeg-turbo-2.1.5 -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF \
	-DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF

# Without harfbuzz and bzip2, as Debian builds it; PNG (colour bitmap glyphs) and brotli (WOFF2)
# are left out too: the game's font is plain TrueType. Its gzip support uses our zlib: with its
# own copy inside, zlib's symbols would be defined twice. The rasterizer flattens curves one way
# on 64-bit and SSE2 machines and another elsewhere, and the two differ in the edge pixels of
# glyphs: SSE2 (emulated with wasm SIMD) makes it take the desktop's way, so text is drawn the
# same to the pixel.
cmake_lib freetype freetype-2.12.1 "$zlib_inc" "$zlib_lib" -DFT_REQUIRE_ZLIB=ON \
	-DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_BROTLI=ON \
	-DCMAKE_C_FLAGS="-msimd128 -msse2"

freetype_lib="-DFREETYPE_LIBRARY=$prefix/lib/libfreetype.a"

# Only what SDL_ttf needs: the OpenType shaper on freetype fonts (no glib, ICU, graphite or
# cairo, which add nothing for the game's font). The browser build has no threads: without
# pthreads it takes std::mutex, which has nothing to lock there.
cmake_lib harfbuzz harfbuzz-6.0.0 -DCMAKE_CXX_FLAGS_RELEASE="$cflags" -DHB_HAVE_FREETYPE=ON \
	-DHB_BUILD_SUBSET=OFF -DHB_BUILD_UTILS=OFF -DCMAKE_DISABLE_FIND_PACKAGE_Threads=ON \
	"$freetype_lib" -DFREETYPE_INCLUDE_DIR_ft2build="$prefix/include/freetype2" \
	-DFREETYPE_INCLUDE_DIR_freetype2="$prefix/include/freetype2"

cmake_lib sdl2 libsdl2-2.26.5 -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF

sdl2="-DSDL2_DIR=$prefix/lib/cmake/SDL2"

# With harfbuzz, as Debian builds it: glyph positions then come from the shaper, and a bold
# glyph's advance differs from the plain FreeType path's.
cmake_lib sdl2_ttf libsdl2-ttf-2.20.1 "$sdl2" -DSDL2TTF_VENDORED=OFF -DSDL2TTF_HARFBUZZ=ON \
	-DSDL2TTF_SAMPLES=OFF -DFREETYPE_INCLUDE_DIRS="$prefix/include/freetype2" "$freetype_lib" \
	-Dharfbuzz_LIBRARY="$prefix/lib/libharfbuzz.a" \
	-Dharfbuzz_INCLUDE_PATH="$prefix/include/harfbuzz"

cmake_lib sdl2_image libsdl2-image-2.6.3 "$sdl2" "$zlib_inc" "$zlib_lib" \
	-DSDL2IMAGE_VENDORED=OFF -DSDL2IMAGE_DEPS_SHARED=OFF -DSDL2IMAGE_BACKEND_STB=OFF \
	-DSDL2IMAGE_SAMPLES=OFF \
	-DSDL2IMAGE_JPG=ON -DSDL2IMAGE_PNG=ON -DSDL2IMAGE_JPG_SAVE=OFF -DSDL2IMAGE_PNG_SAVE=ON \
	-DSDL2IMAGE_AVIF=OFF -DSDL2IMAGE_JXL=OFF -DSDL2IMAGE_TIF=OFF -DSDL2IMAGE_WEBP=OFF \
	-DSDL2IMAGE_SVG=OFF -DSDL2IMAGE_GIF=OFF -DSDL2IMAGE_LBM=OFF -DSDL2IMAGE_PCX=OFF \
	-DSDL2IMAGE_PNM=OFF -DSDL2IMAGE_QOI=OFF -DSDL2IMAGE_TGA=OFF -DSDL2IMAGE_XCF=OFF \
	-DSDL2IMAGE_XPM=OFF -DSDL2IMAGE_XV=OFF \
	-DJPEG_INCLUDE_DIR="$prefix/include" -DJPEG_LIBRARY="$prefix/lib/libjpeg.a" \
	-DPNG_PNG_INCLUDE_DIR="$prefix/include" -DPNG_LIBRARY="$prefix/lib/libpng16.a"

cmake_lib sdl2_mixer libsdl2-mixer-2.6.2 "$sdl2" -DSDL2MIXER_VENDORED=OFF \
	-DSDL2MIXER_DEPS_SHARED=OFF -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_CMD=OFF \
	-DSDL2MIXER_WAVE=ON -DSDL2MIXER_MIDI=OFF \
	-DSDL2MIXER_MIDI_FLUIDSYNTH=OFF -DSDL2MIXER_MIDI_NATIVE=OFF -DSDL2MIXER_FLAC=OFF \
	-DSDL2MIXER_MOD=OFF -DSDL2MIXER_MP3=OFF -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_VORBIS=OFF

# libsodium's own configure (made by autoreconf, as Debian's build makes it), with the options
# its dist-build/emscripten.sh gives: no threads, no assembly, no stack protector; its random
# numbers come from the browser's (or node's) crypto.
if ! built libsodium libsodium-1.0.18 --disable-shared; then
	sources
	rm -rf "$dir/build/libsodium"
	cp -a "$src/libsodium-1.0.18" "$dir/build/libsodium"
	(cd "$dir/build/libsodium" && autoreconf -fi &&
		CFLAGS="$cflags" emconfigure ./configure --disable-shared \
		--prefix="$prefix" --without-pthreads --disable-ssp --disable-asm --disable-pie \
		--host=wasm32-unknown-emscripten &&
		emmake make -j "$jobs" install) >"$dir/build/libsodium.log" 2>&1 ||
		{ tail -n 40 "$dir/build/libsodium.log"; exit 1; }
	done_with libsodium libsodium-1.0.18 --disable-shared
fi

if [ -n "$built_any" ]; then
	echo "build-deps: libraries in $prefix/lib"
else
	echo "build-deps: up to date in $prefix/lib"
fi
