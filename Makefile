# Halvit: build, run, test and measure on Debian 12.
#   make run    build and start the browser (under Xvfb when there is no display)
#   make test   build, run every test, then the sanitizer builds of the core
#   make bench  start-up time, memory and idle CPU against surf
SHELL := /bin/bash
.SHELLFLAGS := -eu -o pipefail -c

NPROC := $(shell nproc 2>/dev/null || echo 2)
# Every option is given, so that a folder configured earlier with other values (an old
# CMakeCache.txt keeps them) is brought back to these.
CMAKE_FLAGS := -DHALVIT_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVIT_GTK=ON \
               -DHALVIT_TESTS=ON -DHALVIT_SANITIZE=
ASAN_FLAGS := -DHALVIT_SANITIZE=address,undefined -DHALVIT_GTK=OFF -DHALVIT_WERROR=ON \
              -DHALVIT_TESTS=ON -DCMAKE_BUILD_TYPE=Debug
TSAN_FLAGS := -DHALVIT_SANITIZE=thread -DHALVIT_GTK=OFF -DHALVIT_WERROR=ON \
              -DHALVIT_TESTS=ON -DCMAKE_BUILD_TYPE=Debug
# Tests and benchmarks get a display of their own, so they never touch the desktop.
XVFB := xvfb-run -a -s "-screen 0 1280x1024x24"
# Without it WebKit's compositing leaves grey areas in windows under Xvfb.
XVFB_ENV := WEBKIT_DISABLE_COMPOSITING_MODE=1

export ASAN_OPTIONS ?= detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1
export UBSAN_OPTIONS ?= print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS ?= halt_on_error=1:second_deadlock_stack=1

# Extra arguments for `make run`, such as ARGS=https://example.org/
ARGS ?=

.PHONY: all deps build run test test-main test-asan test-tsan bench clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B build $(CMAKE_FLAGS)
	cmake --build build -j$(NPROC)

run: build
	@if [ -z "$${DISPLAY:-}" ]; then \
	  echo "make run: DISPLAY is empty, so Halvit starts under xvfb-run on an invisible display (Ctrl+C ends it)"; \
	  $(XVFB_ENV) $(XVFB) build/dist/halvit $(ARGS); \
	else \
	  build/dist/halvit $(ARGS); \
	fi

# All three passes run even when one fails, so one run reports every failure; the exit
# status is that of the worst.
test:
	@status=0; \
	$(MAKE) --no-print-directory test-main || status=1; \
	$(MAKE) --no-print-directory test-asan || status=1; \
	$(MAKE) --no-print-directory test-tsan || status=1; \
	if [ $$status -ne 0 ]; then echo "make test: some tests failed (see above)"; fi; \
	exit $$status

test-main: build
	$(XVFB_ENV) $(XVFB) ctest --test-dir build --output-on-failure

test-asan: deps
	cmake -S . -B build-asan $(ASAN_FLAGS)
	cmake --build build-asan -j$(NPROC)
	ctest --test-dir build-asan --output-on-failure -j$(NPROC)

test-tsan: deps
	cmake -S . -B build-tsan $(TSAN_FLAGS)
	cmake --build build-tsan -j$(NPROC)
	bash scripts/tsan-run.sh ctest --test-dir build-tsan --output-on-failure -j$(NPROC)

bench: build
	python3 bench/startup

clean:
	rm -rf build build-asan build-tsan
