# Thin wrapper over CMake: `make run` and `make test` set everything up themselves.

BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 300

.PHONY: all setup configure build run run-cli test bench fuzz screenshot clean

all: build

setup:
	@bash scripts/setup.sh

configure: setup
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/slovosito

run-cli: build
	$(BUILD)/bin/slovosito-cli --ending янка --ipm

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

screenshot: configure
	bash scripts/screenshot.sh $(BUILD)

bench: setup
	bash bench/run.sh

# Each fuzz target runs FUZZ_SECONDS; the build is in build-fuzz, with clang.
fuzz:
	@bash scripts/setup.sh --fuzzing
	bash fuzz/run.sh $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD)

# ---- Install and package ----
# make install PREFIX=~/.local installs what `cmake --install` does; make deb builds
# $(BUILD)/slovosito_<version>_<arch>.deb (the packaging tools are installed first).
PREFIX ?= /usr/local

.PHONY: install deb

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

deb: build
	@bash scripts/setup.sh --packaging
	cd $(BUILD) && cpack -G DEB
# ---- end of install and package ----
