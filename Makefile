# The two commands of the README, wrapping CMake.
#   make demo   install what is missing, build, make the demo NTFS volume, show reports
#   make test   install what is missing, build with ASan+UBSan, run every test, then the
#               Windows build's tests under Wine
#   make windows  cross-build Hollin0106.dll, TagscopeC.exe and the unit tests with MinGW-w64
#   make package  the Debian packages (CPack), checked with lintian and in a scratch root
BUILD      ?= build
TEST_BUILD ?= build-test
WINDOWS_BUILD ?= build-windows
PACKAGE_BUILD ?= build-package
JOBS       ?= $(shell nproc)

.PHONY: all deps build demo test test-linux test-windows windows package screenshot clean

all: build

deps:
	@scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAGSCOPE_TESTS=OFF
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	scripts/demo $(BUILD)

# The test build uses clang so that the fuzz targets build in the same tree; the
# benchmarks are built but not run.
test: test-linux test-windows

test-linux: deps
	CC=clang-14 CXX=clang++-14 cmake -S . -B $(TEST_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DTAGSCOPE_SANITIZE=ON -DTAGSCOPE_WERROR=ON -DTAGSCOPE_FUZZ=ON -DTAGSCOPE_BENCH=ON
	cmake --build $(TEST_BUILD) -j $(JOBS)
	ctest --test-dir $(TEST_BUILD) --output-on-failure -j 1

# The Windows build (no debug information: it only has to run its tests, and builds
# faster without). Its ctest runs the programs under Wine, with a Wine prefix of its own
# in the build folder.
windows: deps
	cmake -S . -B $(WINDOWS_BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE= -DTAGSCOPE_WERROR=ON \
	  $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)

test-windows: windows
	ctest --test-dir $(WINDOWS_BUILD) --output-on-failure -j 1

# A release build of its own, installed under /usr. Not part of `make test`: it builds
# everything again without sanitizers, minutes on a small machine.
package: deps
	cmake -S . -B $(PACKAGE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAGSCOPE_TESTS=OFF \
	  -DCMAKE_INSTALL_PREFIX=/usr
	cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	rm -f $(PACKAGE_BUILD)/*.deb
	cd $(PACKAGE_BUILD) && cpack -G DEB
	tests/package/check-packages $(PACKAGE_BUILD)

# The README's pictures of the window program (docs/tagscope-window.png, and the browsing
# window docs/tagscope-browse.png), under Xvfb.
screenshot: build
	scripts/screenshot $(BUILD) docs/tagscope-window.png docs/tagscope-browse.png

clean:
	rm -rf $(BUILD) $(TEST_BUILD) $(WINDOWS_BUILD) $(PACKAGE_BUILD)
