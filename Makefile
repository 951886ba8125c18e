# Two commands for a newcomer: `make run` and `make test`. Both install what is missing from
# Debian's packages first (through sudo when not root), then configure and build.
BUILD      ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
# Warnings are errors here, so CI (.ci/run) fails on any; a plain `cmake` build keeps them warnings.
WERROR     ?= ON

PACKAGES := g++ cmake ninja-build pkg-config \
	libsdl2-dev libsdl2-ttf-dev libsdl2-image-dev libsdl2-mixer-dev \
	fonts-ipafont-gothic timgm6mb-soundfont libgtest-dev libbenchmark-dev \
	libimgui-dev libmosquitto-dev libsodium-dev libsqlite3-dev nlohmann-json3-dev libssl-dev \
	mosquitto-dev zlib1g-dev
# The room tests start a broker of their own (the game itself needs only the client library),
# make certificates for it and host the relay behind caddy; the firewall's test loads the
# example rules in a network namespace of its own. The replay test plays a file in the window
# program in a virtual display, keys sent by xdotool, its picture taken by ImageMagick.
TEST_PACKAGES := mosquitto openssl caddy brotli nftables iproute2 python3 \
	xvfb xauth xdotool imagemagick
WORD_CHECK_PACKAGES := mecab mecab-ipadic-utf8 python3
FUZZ_PACKAGES := clang libclang-rt-14-dev
BENCH_PACKAGES := xvfb xauth xdotool time python3 python3-paho-mqtt python3-nacl mosquitto
PACKAGE_TOOLS := build-essential debhelper dpkg-dev lintian appstream desktop-file-utils
# The round trip starts the installed game in a virtual display and chooses the server item,
# and hosts the page and the relay over TLS with caddy.
PACKAGE_TEST_TOOLS := xvfb xauth xdotool iproute2 libcap2-bin caddy curl openssl

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps configure build run test check-words clean asan bench fuzz soak install format \
	format-check pictures \
	relay host package package-test \
	web web-run web-deps web-smoke web-game web-test web-measure

all: build

# Installs the missing ones of $(PACKAGES) and of the list in EXTRA.
deps:
	@missing=$$(for p in $(PACKAGES) $(EXTRA); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		echo "Installing: $$missing"; \
		$(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y $$missing || \
		{ $(SUDO) apt-get update && $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y $$missing; }; \
	fi

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DKB_WERROR=$(WERROR)

configure: $(BUILD)/build.ninja

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/kanaburst

test: build
	@$(MAKE) --no-print-directory deps EXTRA="$(TEST_PACKAGES)"
	SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

check-words:
	@missing=$$(for p in $(WORD_CHECK_PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	[ -z "$$missing" ] || $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y $$missing
	tools/wordlist/check-mecab assets/str.dat

clean:
	rm -rf $(BUILD)

# Every C++ file as the project's .clang-format lays it out: `format` rewrites them,
# `format-check` (run by CI) lists the files that differ and fails.
FORMAT_FILES = $(shell git ls-files '*.cpp' '*.h')
format:
	@$(MAKE) --no-print-directory deps EXTRA=clang-format
	clang-format -i $(FORMAT_FILES)
format-check:
	@$(MAKE) --no-print-directory deps EXTRA=clang-format
	@clang-format --dry-run -Werror $(FORMAT_FILES) && \
		echo "format-check: $(words $(FORMAT_FILES)) files laid out as .clang-format says"

# The README's pictures (docs/pictures/): one match played and shot by the headless driver.
pictures: build
	@$(MAKE) --no-print-directory deps EXTRA=python3
	SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy python3 tools/pictures/readme_pictures.py \
		--sim $(BUILD)/kanaburst-sim --out docs/pictures

# Every test under AddressSanitizer and UndefinedBehaviorSanitizer; any report stops the test
# that made it and fails the run.
asan: deps
	@$(MAKE) --no-print-directory deps EXTRA="$(TEST_PACKAGES)"
	cmake --preset debug-asan
	cmake --build --preset debug-asan -j $(JOBS)
	ctest --preset debug-asan -j $(JOBS)

# Figures for this machine: one frame per scene, start-up, peak memory of a full match, and the
# real window under Xvfb (idle processor use, frame spacing). Reports; never fails on a figure.
bench:
	@$(MAKE) --no-print-directory deps EXTRA="$(BENCH_PACKAGES)"
	cmake --preset release
	cmake --build --preset release -j $(JOBS) --target kanaburst kanaburst-sim kanaburst_bench
	./build-release/bench/kanaburst_bench
	bench/measure-memory.sh build-release
	bench/measure-window.sh build-release

# Each libFuzzer target for FUZZ_SECONDS, starting from its committed seeds in
# fuzz/corpus/<name>/; new inputs go to build-fuzz/corpus/, crashes to build-fuzz/crashes/.
FUZZ_SECONDS ?= 60
fuzz:
	@$(MAKE) --no-print-directory deps EXTRA="$(FUZZ_PACKAGES)"
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	fuzz/run-all.sh build-fuzz $(FUZZ_SECONDS)

# 500 computer matches back to back on the sanitizer build, memory printed every 50; then 50
# network matches between two drivers over loopback.
SOAK_MATCHES ?= 500
SOAK_NET_MATCHES ?= 50
soak:
	@$(MAKE) --no-print-directory deps EXTRA=python3
	cmake --preset debug-asan
	cmake --build --preset debug-asan -j $(JOBS) --target kanaburst-sim
	bench/soak.py --sim build-asan/kanaburst-sim --matches $(SOAK_MATCHES)
	bench/soak_network.py --sim build-asan/kanaburst-sim --matches $(SOAK_NET_MATCHES)

# The game under PREFIX: lib/kanaburst/ holds the program and its files, bin/kanaburst links
# to it, and a menu entry with its icon goes under share/.
PREFIX ?= /usr/local
install:
	cmake --preset release
	cmake --build --preset release -j $(JOBS) --target kanaburst
	cmake --install build-release --prefix "$(PREFIX)"

# A relay for rooms on this machine, in the foreground until Ctrl+C (relay/run.sh): mosquitto
# with the project's configuration, the access rules of relay/ and the relay's plugin, on
# RELAY_PORT for desktop games and RELAY_WS_PORT (WebSocket) for pages.
RELAY_PORT ?= 1883
RELAY_WS_PORT ?= 9001
RELAY_TLS_PORT ?= 8883
export KB_RELAY_PLUGIN := $(CURDIR)/$(BUILD)/kanaburst-limits.so
relay: deps configure
	@$(MAKE) --no-print-directory deps PACKAGES=mosquitto
	cmake --build $(BUILD) -j $(JOBS) --target kanaburst-limits
	relay/run.sh $(BUILD)/relay $(RELAY_PORT) $(RELAY_WS_PORT)

# The page and the relay with TLS on this machine, in the foreground until Ctrl+C, in one step
# (relay/host.sh): caddy serves the page over https as HOST_SITE (localhost: signed by caddy's
# own authority; a public name: by Let's Encrypt, with HOST_HTTP_PORT=80 HOST_HTTPS_PORT=443)
# and passes its wss://HOST_SITE/mqtt to the relay, which takes desktop games over mqtts:// on
# RELAY_TLS_PORT with the same certificate, reloaded whenever caddy renews it.
HOST_SITE ?= localhost
HOST_HTTP_PORT ?= 8080
HOST_HTTPS_PORT ?= 8443
host: web configure
	@$(MAKE) --no-print-directory deps EXTRA="mosquitto caddy"
	@cmake --build $(BUILD) -j $(JOBS) --target kanaburst-limits
	@KB_SITE=$(HOST_SITE) KB_HTTP_PORT=$(HOST_HTTP_PORT) KB_HTTPS_PORT=$(HOST_HTTPS_PORT) \
		KB_RELAY_PORT=$(RELAY_PORT) KB_RELAY_WS_PORT=$(RELAY_WS_PORT) \
		KB_RELAY_TLS_PORT=$(RELAY_TLS_PORT) relay/host.sh $(BUILD)/host $(WEB_PAGE)

# The Debian source and binary packages, built by debhelper (debian/) in a copy of this tree
# under build-deb/, so that the tree itself stays as it was; the package build runs every test
# (DEB_BUILD_OPTIONS=nocheck skips them). The copy is the tree without what git ignores (build
# folders, the page's node_modules), so the source package holds only our own files.
DEB_VERSION = $(shell sed -n '1s/^[^(]*(\([^)]*\)).*/\1/p' debian/changelog)
DEB = build-deb/kanaburst_$(DEB_VERSION)_$(shell dpkg --print-architecture).deb
RELAY_DEB = build-deb/kanaburst-relay_$(DEB_VERSION)_$(shell dpkg --print-architecture).deb
package:
	@$(MAKE) --no-print-directory deps EXTRA="$(PACKAGE_TOOLS)"
	rm -rf build-deb
	mkdir -p build-deb/kanaburst
	if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then \
		git ls-files -z -co --exclude-standard | \
			tar -c --null --ignore-failed-read -T - | tar -x -C build-deb/kanaburst; \
	else tar -c --exclude-vcs --exclude='./build*' . | tar -x -C build-deb/kanaburst; fi
	cd build-deb/kanaburst && dpkg-buildpackage -us -uc -j$(JOBS)
	@echo "Built $(DEB), $(RELAY_DEB) and the source package build-deb/kanaburst_$(DEB_VERSION).dsc"

# The packages checked (lintian, AppStream, menu entry), installed with apt-get, run headless
# from /usr/games and stopped with SIGTERM; the system's mosquitto started as the relay; run by
# a normal user made for the test, with a word list of their own, hosting on port 1001 and in a
# room that the build tree's driver joins; purged; as root or through sudo.
package-test: package build
	@$(MAKE) --no-print-directory deps EXTRA="$(PACKAGE_TEST_TOOLS)"
	$(SUDO) tests/package/round_trip.sh $(DEB) $(RELAY_DEB) $(BUILD)/kanaburst-sim

# The browser build. `web-deps` builds its libraries with emscripten from Debian's
# source packages (pinned versions, fetched through a private apt directory) into
# $(WEB_BUILD)/deps/prefix; once built, a second run does nothing. `web-smoke` links a small
# program against them and runs it under node.
WEB_BUILD ?= build-web
WEB_PACKAGES := emscripten nodejs dpkg-dev python3-fonttools python3-mido brotli \
	autoconf automake libtool
web-deps:
	@$(MAKE) --no-print-directory deps EXTRA="$(WEB_PACKAGES)"
	@tools/web/build-deps.sh $(WEB_BUILD)/deps $(JOBS)

web-smoke: web-deps
	@tools/web/smoke.sh $(WEB_BUILD)

# The game's own code built by emscripten (web/CMakeLists.txt) into $(WEB_BUILD)/game.
export NODE_PATH := /usr/share/nodejs
web-game: web-deps
	emcmake cmake -S web -B $(WEB_BUILD)/game -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DKB_WEB_DEPS=$(CURDIR)/$(WEB_BUILD)/deps/prefix \
		-DCMAKE_CROSSCOMPILING_EMULATOR=$(CURDIR)/tools/web/node-nofetch
	cmake --build $(WEB_BUILD)/game -j $(JOBS)

# The page, in $(WEB_BUILD)/page/: index.html, index.js, index.wasm and index.data, the music's
# scripts and bank, the credits and licences, each with a brotli and a gzip copy. `web-run`
# serves it on this machine (WEB_PORT, 8080 by default) until stopped with Ctrl+C, sending each
# browser the copy it takes.
WEB_PORT ?= 8080
# Every address, so that any browser on the network can host and join: the page's rooms meet on
# the relay started beside it, which pages find on the host that served them.
WEB_HOST ?= 0.0.0.0
WEB_PAGE := $(WEB_BUILD)/page
# The music's FluidSynth for the page, the server and the tests' browser driver, from npm.
WEB_NPM_STAMP := tools/web/node_modules/.installed
$(WEB_NPM_STAMP): tools/web/package-lock.json
	@command -v npm >/dev/null || $(MAKE) --no-print-directory deps EXTRA=npm  # nodejs may bring it
	cd tools/web && npm ci --no-audit --no-fund
	touch $@

web: web-game $(WEB_NPM_STAMP)
	@tools/web/assemble-page.sh $(WEB_BUILD)

web-run: web configure
	@$(MAKE) --no-print-directory deps EXTRA=mosquitto
	@cmake --build $(BUILD) -j $(JOBS) --target kanaburst-limits
	@relay/run.sh $(BUILD)/relay $(RELAY_PORT) $(RELAY_WS_PORT) & relay=$$!; \
	trap 'kill $$relay 2>/dev/null' EXIT INT TERM; \
	node tools/web/serve.js $(WEB_PAGE) $(WEB_PORT) $(WEB_HOST)

# The page's figures (download, time to the title and the music on a throttled line and
# locally, processor use), measured in headless Chromium; WEB_BEFORE=DIR puts an earlier build
# of the page beside this one, measured in the same run. Reports; never fails on a figure.
web-measure: web
	@$(MAKE) --no-print-directory deps EXTRA=chromium
	node tools/web/measure-page.js $(if $(WEB_BEFORE),before=$(WEB_BEFORE)) now=$(WEB_PAGE)

# The page's build and server first (tools/web/tools-test.js: a file changed while served, a
# compressed copy left empty or half-written, the page assembled again rewriting nothing). Same
# code, same game: every replay played by the WebAssembly driver under node must give the
# native driver's transcript and screenshots, and every match the native driver records plays
# in it frame for frame. The page's cut-down bank must render every piece as the full bank does.
# Then the page itself in headless Chromium (tools/web/page-test.js): the title through resizes,
# a match started with Enter, a word typed and fired, the result screen, the player's own words,
# a phone, short windows, the credits, a broken music bank, network matches, rooms (the lobby,
# Connect Lost, two relays) and, beside them, a host hidden for six minutes; and its replays
# (tools/web/replay-page-test.js): a link, files, bad ones, a match the page recorded.
WEB_TEST_PACKAGES := chromium websockify fluidsynth
web-test: build web
	@$(MAKE) --no-print-directory deps EXTRA="$(WEB_TEST_PACKAGES)"
	node tools/web/tools-test.js $(WEB_BUILD)
	KB_SIM_DIR=$(CURDIR)/$(WEB_BUILD)/game \
	KB_SIM_COMMAND="$(CURDIR)/tools/web/node-nofetch $(CURDIR)/$(WEB_BUILD)/game/kanaburst-sim.js" \
		./$(BUILD)/kanaburst_tests --gtest_filter='Scripts/*:Recording.*'
	tools/web/check-soundfont.sh $(WEB_BUILD)/game/TimGM6mb-kanaburst.sf2
	node tools/web/replay-page-test.js $(WEB_PAGE) $(BUILD)
	node tools/web/page-test.js $(WEB_PAGE) $(BUILD) tests/golden
