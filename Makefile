# mpdll: `make demo` runs a whole board test against the simulator;
# `make test` installs what is missing, builds everything and runs every test.
JOBS ?= 2
BUILD ?= build
CMAKE_FLAGS ?=

.PHONY: all deps native asan win32 win64 build test test-native test-asan test-windows check-exports demo bench fuzz clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/native/CMakeCache.txt:
	cmake -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

$(BUILD)/asan/CMakeCache.txt:
	cmake -S . -B $(BUILD)/asan -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined" \
	  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
	  -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" $(CMAKE_FLAGS)

$(BUILD)/i686/CMakeCache.txt:
	cmake -S . -B $(BUILD)/i686 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release

$(BUILD)/x86_64/CMakeCache.txt:
	cmake -S . -B $(BUILD)/x86_64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release

native: $(BUILD)/native/CMakeCache.txt
	cmake --build $(BUILD)/native -j $(JOBS)

asan: $(BUILD)/asan/CMakeCache.txt
	cmake --build $(BUILD)/asan -j $(JOBS)

win32: $(BUILD)/i686/CMakeCache.txt
	cmake --build $(BUILD)/i686 -j $(JOBS)

win64: $(BUILD)/x86_64/CMakeCache.txt
	cmake --build $(BUILD)/x86_64 -j $(JOBS)

build: native asan win32 win64

test-native: native
	ctest --test-dir $(BUILD)/native --output-on-failure -j $(JOBS) --timeout 300

test-asan: asan
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(BUILD)/asan --output-on-failure -j $(JOBS) --timeout 300

check-exports: win32
	bash scripts/check-exports.sh $(BUILD)/i686/src/mpdll.dll src/exports/exports.txt
	python3 scripts/check-stdcall.py $(BUILD)/i686/src/mpdll.dll src/exports/exports.txt

test-windows: native win64
	bash scripts/run-windows-e2e.sh $(BUILD)/native $(BUILD)/x86_64

test: deps
	$(MAKE) build
	$(MAKE) test-native
	$(MAKE) test-asan
	$(MAKE) check-exports
	$(MAKE) test-windows

# The library, the board simulator and mpctl, then the bundled line test
# against the simulator over telnet, UDP and the serial console.
demo: deps $(BUILD)/native/CMakeCache.txt
	cmake --build $(BUILD)/native -j $(JOBS) --target mpdll mpboard mpctl
	bash tools/demo/run_demo.sh $(BUILD)/native

# Performance suite, separate from `make test`: a native Release build, the
# benchmarks and the side-by-side loops, then docs/performance.md rewritten.
BENCH_BUILD ?= $(BUILD)/bench

$(BENCH_BUILD)/CMakeCache.txt:
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DMPDLL_BUILD_TESTS=OFF $(CMAKE_FLAGS)

bench: deps $(BENCH_BUILD)/CMakeCache.txt
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target bench_programs
	python3 bench/scripts/run_suite.py --build $(BENCH_BUILD) --out docs/performance.md

clean:
	rm -rf $(BUILD)
