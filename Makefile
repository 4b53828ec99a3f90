# The README's front door: short names for the configurations of CMakePresets.json.
#   make demo     install what is missing, build the console program, make the demo NTFS
#                 volume and show the reports of its entries
#   make test     install what is missing, then build and test three configurations side by
#                 side: the shipped one (GCC Release, with the package checks), one with
#                 ASan, UBSan and clang-tidy (clang), and the Windows cross build under Wine
#   make package  the Debian packages of the shipped configuration, checked with lintian
#   make windows  cross-build Hollin0106.dll, TagscopeC.exe and the unit tests (MinGW-w64)
#   make fuzz     build the libFuzzer targets and fuzz each for FUZZ_SECONDS
#   make bench    build the benchmarks
BUILD          ?= build
SANITIZE_BUILD ?= build-sanitize
WINDOWS_BUILD  ?= build-windows
FUZZ_BUILD     ?= build-fuzz
FUZZ_SECONDS   ?= 60
JOBS           ?= $(shell nproc)
# ccache when it is installed: a second run compiles only what changed (CCACHE_DISABLE=1
# turns it off).
LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: all deps build demo test test-release compile-release test-sanitize compile-sanitize test-windows \
        windows package fuzz bench screenshot clean

all: build

deps:
	@scripts/install-deps

# The shipped configuration: what `make demo`, `make package` and the first leg of
# `make test` build, in one folder.
configure-release = cmake --preset release -B $(BUILD) $(LAUNCHER)

build: compile-release

demo: deps
	$(configure-release)
	cmake --build $(BUILD) -j $(JOBS) --target TagscopeC
	scripts/demo $(BUILD)

# The three legs run at once, each with its own build folder; each step's output appears
# whole when it ends. Each leg alone: make test-release (test-sanitize, test-windows).
test: deps
	@$(MAKE) --no-print-directory -j 3 --output-sync=target test-release test-sanitize test-windows

test-release: compile-release
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
compile-release: deps
	$(configure-release)
	cmake --build $(BUILD) -j $(JOBS)

test-sanitize: compile-sanitize
	ctest --test-dir $(SANITIZE_BUILD) --output-on-failure -j $(JOBS)
compile-sanitize: deps
	cmake --preset sanitize -B $(SANITIZE_BUILD) $(LAUNCHER)
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)

windows: deps
	cmake --preset windows -B $(WINDOWS_BUILD) $(LAUNCHER)
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)

# Its ctest runs the programs under Wine, with a Wine prefix of its own in the build folder.
test-windows: windows
	ctest --test-dir $(WINDOWS_BUILD) --output-on-failure -j $(JOBS)

# The packages land in $(BUILD)/packages.
package: build
	tests/package/check-packages $(BUILD)

fuzz: deps
	cmake --preset fuzz -B $(FUZZ_BUILD) $(LAUNCHER) -DTAGSCOPE_FUZZ_SECONDS=$(FUZZ_SECONDS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz-run

# Run them by hand: $(BUILD)/bench/textfiles_bench, $(BUILD)/bench/search_bench, and
# bench/startup for the console program's start against getfattr.
bench: deps
	$(configure-release)
	cmake --build $(BUILD) -j $(JOBS) --target benchmarks TagscopeC

# The README's pictures of the window program (docs/tagscope-window.png, and the browsing
# window docs/tagscope-browse.png), under Xvfb.
screenshot: build
	scripts/screenshot $(BUILD) docs/tagscope-window.png docs/tagscope-browse.png

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(WINDOWS_BUILD) $(FUZZ_BUILD)
