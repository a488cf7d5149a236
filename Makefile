# The two commands: `make run` and `make test`. Both install what is missing from Debian's
# packages first, then configure and build in build/ (incrementally after the first time).

BUILD      ?= build
BUILD_TYPE ?= RelWithDebInfo
PROGRAM    := $(BUILD)/tansy-ini-editor

PACKAGES := cmake g++ ninja-build pkg-config qt6-base-dev libqscintilla2-qt6-dev \
            qt6-webengine-dev libgl-dev libxcb1-dev fonts-dejavu-core fonts-dejavu-extra xvfb xauth imagemagick \
            desktop-file-utils appstream dpkg-dev file lintian clang-14 libclang-rt-14-dev \
            dbus-daemon at-spi2-core python3-pyatspi

# The editors the benchmark compares with: vim in ex mode for the heavy commands, FeatherPad
# for start-up and idle memory (on an X display of the bench's own, watched through xcb).
BENCH_PACKAGES := vim featherpad

SIZE       ?= 64M
PREFIX     ?= /usr/local
RELEASE    := $(BUILD)/release

ASAN       := $(BUILD)/asan
SANITIZE   := -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer

FUZZ_SECONDS ?= 60
FUZZ         := $(BUILD)/fuzz

.PHONY: all deps build run test check-asan check-portable fuzz bench screenshots install package clean

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

# Every test again, built with AddressSanitizer and UndefinedBehaviorSanitizer; leaks count,
# but for those made by the library functions named in tests/sanitizers/lsan.supp. Chromium,
# inside Qt WebEngine, frees some objects with a delete of another size, and its own leaks
# carry no symbols (lsan-chromium.supp): both are allowed for the browser's test alone. The
# screen reader's test is left out: D-Bus and the accessibility bridge keep their connections
# to the end, which LeakSanitizer takes for leaks of libraries without symbols.
SUPP := $(CURDIR)/tests/sanitizers
ASAN_ENV := QT_QPA_PLATFORM=offscreen UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ASAN_LEAKS := detect_leaks=1:abort_on_error=1:fast_unwind_on_malloc=0
check-asan: deps
	cmake -S . -B $(ASAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="-O1 $(SANITIZE)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE)"
	cmake --build $(ASAN)
	cd $(ASAN) && $(ASAN_ENV) LSAN_OPTIONS=suppressions=$(SUPP)/lsan.supp:print_suppressions=0 \
	  ASAN_OPTIONS=$(ASAN_LEAKS) ctest --output-on-failure -E 'packaging|tst_browser|tst_atspi'
	cat $(SUPP)/lsan.supp $(SUPP)/lsan-chromium.supp > $(abspath $(ASAN))/lsan-browser.supp
	cd $(ASAN) && $(ASAN_ENV) LSAN_OPTIONS=suppressions=$(abspath $(ASAN))/lsan-browser.supp:print_suppressions=0 \
	  ASAN_OPTIONS=$(ASAN_LEAKS):new_delete_type_mismatch=0 ctest --output-on-failure -R tst_browser

# Every test again on the processor-independent code paths alone, as other architectures
# build the program.
PORTABLE := $(BUILD)/portable
check-portable: deps
	cmake -S . -B $(PORTABLE) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DTANSY_PORTABLE=ON
	cmake --build $(PORTABLE)
	cd $(PORTABLE) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -E packaging

# Each fuzz target for FUZZ_SECONDS, from the seeds in fuzz/corpus; what it finds new is kept
# in build/fuzz/corpus, and a failing input in build/fuzz.
fuzz: deps
	cmake -S fuzz -B $(FUZZ) -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(FUZZ)
	cd $(FUZZ) && for t in find replaceall numberlines codepage keyvalue; do \
	  mkdir -p corpus/$$t; \
	  if LSAN_OPTIONS=suppressions=$(SUPP)/lsan.supp:print_suppressions=0 ASAN_OPTIONS=fast_unwind_on_malloc=0 \
	     ./fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -max_len=4096 -print_final_stats=1 \
	       corpus/$$t $(CURDIR)/fuzz/corpus/$$t > $$t.log 2>&1; then \
	    echo "fuzz_$$t: $$(grep -o 'Done [0-9]* runs' $$t.log), no failure"; \
	  else \
	    grep -E 'ERROR|SUMMARY|Test unit written' $$t.log; echo "fuzz_$$t FAILED, see $(FUZZ)/$$t.log"; exit 1; \
	  fi; \
	done

# The benchmark builds the code in Release mode of its own and writes build/bench/results.json.
bench:
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGES) $(BENCH_PACKAGES)"
	cmake -S . -B $(RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build $(RELEASE) --target tansy-bench
	mkdir -p $(BUILD)/bench
	cd $(BUILD)/bench && status=0; ../release/tansy-bench $(SIZE) || status=1; \
	  LC_ALL=ru_RU.UTF-8 ../release/tansy-bench $(SIZE) cyrillic || status=1; exit $$status

screenshots: build
	$(BUILD)/tansy-screenshot docs resources/help

install: build
	DESTDIR=$(DESTDIR) cmake --install $(BUILD) --prefix $(PREFIX)

# A Debian package in build/, installed under /usr.
package: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD)
