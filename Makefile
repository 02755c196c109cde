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

# The runs build only what they run, with the helper the programs start for rhymes; make test
# builds the rest.
run: configure
	cmake --build $(BUILD) -j $(JOBS) --target slovosito slovosito-rhyme-keys
	$(BUILD)/bin/slovosito

run-cli: configure
	cmake --build $(BUILD) -j $(JOBS) --target slovosito-cli slovosito-rhyme-keys
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
	rm -rf $(BUILD) $(DEB_BUILD)

# ---- Install and package ----
# make install PREFIX=~/.local installs what `cmake --install` does. make deb builds
# $(DEB_BUILD)/slovosito_<version>_<arch>.deb from a release build of its own, without the tests,
# with Debian's hardening flags; the packaging tools are installed first.
PREFIX ?= /usr/local
DEB_BUILD ?= build-deb

# dpkg-buildflags gives what Debian builds its packages with (bindnow too, with +all). CMake reads
# no CPPFLAGS, so _FORTIFY_SOURCE joins the compiler's flags.
deb_flag = $$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get $(1))

.PHONY: install deb

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

deb: setup
	@bash scripts/setup.sh --packaging
	cmake -S . -B $(DEB_BUILD) -DCMAKE_BUILD_TYPE=Release -DSLOVOSITO_BUILD_TESTS=OFF \
	    -DSLOVOSITO_BUILD_BENCH=OFF \
	    -DCMAKE_CXX_FLAGS="$(call deb_flag,CPPFLAGS) $(call deb_flag,CXXFLAGS)" \
	    -DCMAKE_EXE_LINKER_FLAGS="$(call deb_flag,LDFLAGS)"
	cmake --build $(DEB_BUILD) -j $(JOBS)
	cd $(DEB_BUILD) && cpack -G DEB
# ---- end of install and package ----
