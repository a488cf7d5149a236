# The two commands: `make run` and `make test`. Both install what is missing from Debian's
# packages first, then configure and build in build/ (incrementally after the first time).

BUILD      ?= build
BUILD_TYPE ?= RelWithDebInfo
PROGRAM    := $(BUILD)/tansy-ini-editor

PACKAGES := cmake g++ ninja-build pkg-config qt6-base-dev libqscintilla2-qt6-dev \
            qt6-webengine-dev libgl-dev fonts-dejavu-core xvfb xauth xclip imagemagick \
            desktop-file-utils appstream dpkg-dev file

SIZE       ?= 64M
PREFIX     ?= /usr/local
RELEASE    := $(BUILD)/release

.PHONY: all deps build run test bench screenshots install package clean

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed$$' || echo $$p; \
	  done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing missing packages: $$missing"; \
	  sudo=; [ "$$(id -u)" -eq 0 ] || sudo="sudo -n"; \
	  export DEBIAN_FRONTEND=noninteractive; \
	  $$sudo apt-get install -y -q --no-install-recommends $$missing </dev/null \
	  || { $$sudo apt-get update -q </dev/null && \
	       $$sudo apt-get install -y -q --no-install-recommends $$missing </dev/null; }; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "No display to show the window on: run it under Xvfb with 'xvfb-run -a $(PROGRAM)'."; \
	  exit 1; \
	fi
	$(PROGRAM)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure

# The benchmark builds the code in Release mode of its own and writes build/bench/results.json.
bench: deps
	cmake -S . -B $(RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build $(RELEASE) --target tansy-bench
	mkdir -p $(BUILD)/bench
	cd $(BUILD)/bench && ../release/tansy-bench $(SIZE)

screenshots: build
	$(BUILD)/tansy-screenshot docs

install: build
	DESTDIR=$(DESTDIR) cmake --install $(BUILD) --prefix $(PREFIX)

# A Debian package in build/, installed under /usr.
package: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD)
