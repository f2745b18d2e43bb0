# Orvane — top-level commands. Every target installs missing system packages first.
.PHONY: deps build run install package test test-asan test-tsan bench fuzz screenshots clean

PRESET ?= default
BUILD_DIR := build
ARGS ?=

deps:
	@scripts/install-deps.sh

build: deps
	@cmake --preset $(PRESET) >/dev/null
	@cmake --build --preset $(PRESET)

# The GUI when a display is there, the headless front end otherwise.
run: build
	@scripts/run.sh $(ARGS)

# The programs, the menu entry and the icon under PREFIX (default ~/.local); `make run`
# works without it.
PREFIX ?= $(HOME)/.local
install: deps
	@cmake --preset release -DCMAKE_INSTALL_PREFIX=$(PREFIX) >/dev/null
	@cmake --build --preset release --target orvane orvane-desktop flingshare
	@cmake --install build-release --prefix $(PREFIX)
	@command -v update-desktop-database >/dev/null && update-desktop-database -q $(PREFIX)/share/applications || true

# A .deb of the release build for /usr (build-release/orvane_<version>_<arch>.deb).
package: deps
	@cmake --preset release -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
	@cmake --build --preset release --target orvane orvane-desktop flingshare
	@cd build-release && cpack -G DEB

test: build
	@scripts/test.sh

test-asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan
	@ctest --preset asan

# Integration and end-to-end tests under ThreadSanitizer (also part of `make test`).
test-tsan: deps
	@scripts/test-tsan.sh

bench: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release
	@scripts/bench.sh

fuzz: deps
	@scripts/fuzz.sh

# Pictures of what people see, taken on a private display (build/screenshots/).
screenshots: deps
	@scripts/screenshots.sh

clean:
	rm -rf build build-asan build-release build-fuzz build-tsan
