# Two commands for a newcomer: `make run` and `make test`. Both install what is missing from
# Debian's packages first (through sudo when not root), then configure and build.
BUILD      ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)

PACKAGES := g++ cmake ninja-build pkg-config \
	libsdl2-dev libsdl2-ttf-dev libsdl2-image-dev libsdl2-mixer-dev \
	fonts-ipafont-gothic timgm6mb-soundfont libgtest-dev libbenchmark-dev \
	libimgui-dev
WORD_CHECK_PACKAGES := mecab mecab-ipadic-utf8 python3

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps configure build run test check-words clean

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		echo "Installing: $$missing"; \
		$(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y $$missing || \
		{ $(SUDO) apt-get update && $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y $$missing; }; \
	fi

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

configure: $(BUILD)/build.ninja

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/kanaburst

test: build
	SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

check-words:
	@missing=$$(for p in $(WORD_CHECK_PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	[ -z "$$missing" ] || $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y $$missing
	tools/wordlist/check-mecab assets/str.dat

clean:
	rm -rf $(BUILD)
