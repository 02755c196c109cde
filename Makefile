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
fuzz: setup
	bash fuzz/run.sh $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD)
