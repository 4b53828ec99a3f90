# The two commands of the README, wrapping CMake.
#   make demo   install what is missing, build, make the demo NTFS volume, show reports
#   make test   install what is missing, build with ASan+UBSan, run every test
BUILD      ?= build
TEST_BUILD ?= build-test
JOBS       ?= $(shell nproc)

.PHONY: all deps build demo test screenshot clean

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
test: deps
	CC=clang-14 CXX=clang++-14 cmake -S . -B $(TEST_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DTAGSCOPE_SANITIZE=ON -DTAGSCOPE_WERROR=ON -DTAGSCOPE_FUZZ=ON -DTAGSCOPE_BENCH=ON
	cmake --build $(TEST_BUILD) -j $(JOBS)
	ctest --test-dir $(TEST_BUILD) --output-on-failure -j 1

# The README's picture of the window program (docs/tagscope-window.png), under Xvfb.
screenshot: build
	scripts/screenshot $(BUILD) docs/tagscope-window.png

clean:
	rm -rf $(BUILD) $(TEST_BUILD)
