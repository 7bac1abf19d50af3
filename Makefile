# mpdll: `make demo` runs a whole board test against the simulator;
# `make test` installs what is missing, builds everything and runs every test.
JOBS ?= 2
BUILD ?= build
CMAKE_FLAGS ?=
# How many tests ctest runs at once: most of them wait on a board's time-outs
# rather than compute (the ones that load the processors run alone).
TEST_JOBS ?= 8
ASAN_TEST_JOBS ?= 6
VERSION := $(shell sed -n 's/^project.mpdll VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
SDK_DIR = $(BUILD)/sdk/mpdll-$(VERSION)-win32
# Every build directory is configured from its preset in CMakePresets.json
# (`cmake --list-presets` shows them), put under $(BUILD). The Windows presets
# compile the library as a few unity files; native builds keep one file a
# unit, so a missing include shows there. WINDOWS_FLAGS adds to them.
WINDOWS_FLAGS ?=

.PHONY: all deps native asan win32 win64 build sdk check test test-native test-asan test-python test-windows check-exports check-sdk check-layers demo bench fuzz clean
.PHONY: test-dotnet wheel wheel-native wheel-win32 test-wheel check-wheel-win32 deb test-deb
.PHONY: fuzz-build fuzz-replay fuzz-short tsan-build tsan faults soak reliability-report coverage

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/native/CMakeCache.txt:
	cmake --preset native -B $(BUILD)/native $(CMAKE_FLAGS)

$(BUILD)/asan/CMakeCache.txt:
	cmake --preset asan -B $(BUILD)/asan $(CMAKE_FLAGS)

$(BUILD)/i686/CMakeCache.txt:
	cmake --preset mingw-i686 -B $(BUILD)/i686 $(WINDOWS_FLAGS)

$(BUILD)/x86_64/CMakeCache.txt:
	cmake --preset mingw-x86_64 -B $(BUILD)/x86_64 $(WINDOWS_FLAGS)

native: $(BUILD)/native/CMakeCache.txt
	cmake --build $(BUILD)/native -j $(JOBS)

asan: $(BUILD)/asan/CMakeCache.txt
	cmake --build $(BUILD)/asan -j $(JOBS)

win32: $(BUILD)/i686/CMakeCache.txt
	cmake --build $(BUILD)/i686 -j $(JOBS)

win64: $(BUILD)/x86_64/CMakeCache.txt
	cmake --build $(BUILD)/x86_64 -j $(JOBS)

build: native asan win32 win64 sdk

# The everyday loop: the native build and its tests.
check: native
	ctest --test-dir $(BUILD)/native --output-on-failure -j $(TEST_JOBS) --timeout 300

test-native: check

# The Loaded* cases run the same code as their unloaded twins, only beside
# busy processes, and only one at a time: timing is their point, so the
# native run has them and the sanitised run leaves them out.
test-asan: asan
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(BUILD)/asan --output-on-failure -j $(ASAN_TEST_JOBS) --timeout 300 -E Loaded

# The library's layers only point down: no file under src/ includes a layer
# above its own (the order is in scripts/check-layers.py and the README).
check-layers:
	python3 scripts/check-layers.py src

check-exports: win32
	bash scripts/check-exports.sh $(BUILD)/i686/src/mpdll.dll src/exports/exports.txt
	python3 scripts/check-stdcall.py $(BUILD)/i686/src/mpdll.dll src/exports/exports.txt

# The Windows SDK folder: both DLLs, the header, .def files and import
# libraries for MinGW and MSVC (see scripts/make-sdk.sh).
sdk: win32 win64
	bash scripts/make-sdk.sh $(BUILD)/i686 $(BUILD)/x86_64 src/exports/exports.txt $(VERSION) $(SDK_DIR)

check-sdk: sdk
	bash scripts/check-sdk.sh $(SDK_DIR) src/exports/exports.txt
# The Python package: installed with pip into a folder of the build (offline,
# with Debian's setuptools, so its pytest plugin is registered as a user gets
# it), then its tests with Debian's pytest against the native library and the
# board simulator.
PYTHON ?= /usr/bin/python3
PYTHON_SITE = $(BUILD)/python/site
PYTHON_NATIVE = MPDLL_LIBRARY=$(abspath $(BUILD)/native/src/libmpdll.so) \
	  MPDLL_MPBOARD=$(abspath $(BUILD)/native/tools/mpboard/mpboard)

$(PYTHON_SITE)/.installed: python/pyproject.toml $(wildcard python/mpdll/*.py)
	rm -rf $(PYTHON_SITE)
	PIP_ROOT_USER_ACTION=ignore $(PYTHON) -m pip install --quiet --no-index --no-build-isolation --no-deps \
	  --target $(PYTHON_SITE) ./python
	rm -rf python/build python/mpdll.egg-info
	touch $@

test-python: deps $(BUILD)/native/CMakeCache.txt $(PYTHON_SITE)/.installed
	cmake --build $(BUILD)/native -j $(JOBS) --target mpdll mpboard
	PYTHONPATH=$(abspath $(PYTHON_SITE)) $(PYTHON_NATIVE) $(PYTHON) -m pytest -q -p no:cacheprovider python/tests

# The .NET binding (bindings/dotnet/Mpdll.cs) under mono: its NUnit tests
# against the C layout, the export list and the simulator, and the example.
test-dotnet: deps $(BUILD)/native/CMakeCache.txt
	cmake --build $(BUILD)/native -j $(JOBS) --target mpdll mpboard
	bash bindings/dotnet/tests/run_tests.sh $(BUILD)/native . $(BUILD)/dotnet

# Python wheels that carry the library: the platform's (with libmpdll.so and
# mpboard) and the 32-bit Windows one (with mpdll.dll), in $(BUILD)/wheels.
WHEEL_DIR = $(BUILD)/wheels
PLATFORM_TAG = $(shell $(PYTHON) -c 'import sysconfig; print(sysconfig.get_platform().replace("-", "_").replace(".", "_"))' 2>/dev/null)
PLATFORM_WHEEL = $(WHEEL_DIR)/mpdll-$(VERSION)-py3-none-$(PLATFORM_TAG).whl
WIN32_WHEEL = $(WHEEL_DIR)/mpdll-$(VERSION)-py3-none-win32.whl

wheel: wheel-native wheel-win32

wheel-native: deps $(BUILD)/native/CMakeCache.txt
	cmake --build $(BUILD)/native -j $(JOBS) --target mpdll mpboard
	PYTHON=$(PYTHON) bash scripts/make-wheel.sh $(PLATFORM_TAG) $(WHEEL_DIR) \
	  $(BUILD)/native/src/libmpdll.so $(BUILD)/native/tools/mpboard/mpboard

wheel-win32: win32
	PYTHON=$(PYTHON) bash scripts/make-wheel.sh win32 $(WHEEL_DIR) $(BUILD)/i686/src/mpdll.dll

# One offline pip install of the platform wheel into a fresh virtual
# environment, then the station example and the pytest fixture from there.
test-wheel: wheel-native
	PYTHON=$(PYTHON) bash tests/packaging/test_wheel.sh $(PLATFORM_WHEEL) .

check-wheel-win32: wheel-win32
	bash tests/packaging/check_win32_wheel.sh $(WIN32_WHEEL) $(BUILD)/i686/src/mpdll.dll src/exports/exports.txt

# The Debian packages libmpdll1, libmpdll-dev and mpdll-tools (CPack, see
# cmake/DebianPackages.cmake) in $(BUILD)/deb, and their test: unpacked into
# a temporary root, the C example and mpctl built and run from there.
DEB_DIR = $(BUILD)/deb

deb: native
	rm -rf $(DEB_DIR)
	cd $(BUILD)/native && cpack -G DEB -B $(abspath $(DEB_DIR))
	rm -rf $(DEB_DIR)/_CPack_Packages

test-deb: deb
	bash tests/packaging/test_deb.sh $(DEB_DIR) .

test-windows: native win64
	bash scripts/run-windows-e2e.sh $(BUILD)/native $(BUILD)/x86_64
	bash scripts/run-windows-record-replay.sh $(BUILD)/native $(BUILD)/x86_64

# Every build and every test; the builds run beside the suites that wait
# (see scripts/test-gate.sh).
test: deps
	MAKE="$(MAKE)" BUILD="$(BUILD)" bash scripts/test-gate.sh

# The library, the board simulator and mpctl, then the bundled line test
# against the simulator over telnet, UDP and the serial console, and the
# Python station script over telnet.
demo: deps $(BUILD)/native/CMakeCache.txt
	cmake --build $(BUILD)/native -j $(JOBS) --target mpdll mpboard mpctl
	PYTHON=$(PYTHON) bash tools/demo/run_demo.sh $(BUILD)/native

# Performance suite, separate from `make test`: a native Release build, the
# benchmarks and the side-by-side loops, then docs/performance.md rewritten.
BENCH_BUILD ?= $(BUILD)/bench

$(BENCH_BUILD)/CMakeCache.txt:
	cmake --preset bench -B $(BENCH_BUILD) $(CMAKE_FLAGS)

bench: deps $(BENCH_BUILD)/CMakeCache.txt
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target bench_programs mpctl mpboard
	python3 bench/scripts/run_suite.py --build $(BENCH_BUILD) --out docs/performance.md

clean:
	rm -rf $(BUILD)

# ---- Reliability: fuzzing, ThreadSanitizer, fault cases, soak, report ------
# Figures for docs/reliability.md are collected here by the targets below.
FIGURES ?= $(BUILD)/reliability-figures
FUZZ_SHORT_SECONDS ?= 10
FUZZ_SECONDS ?= 120
SOAK_CYCLES ?= 2000
SOAK_FAILED_OPENS ?= 200
VALGRIND_CYCLES ?= 20

$(BUILD)/fuzz/CMakeCache.txt:
	cmake --preset fuzz -B $(BUILD)/fuzz

$(BUILD)/tsan/CMakeCache.txt:
	cmake --preset tsan -B $(BUILD)/tsan

# The harnesses.
fuzz-build: $(BUILD)/fuzz/CMakeCache.txt
	cmake --build $(BUILD)/fuzz -j $(JOBS) --target fuzz_harnesses

# Every committed seed and crash reproducer replayed through its harness.
fuzz-replay: fuzz-build
	ctest --test-dir $(BUILD)/fuzz -L '^fuzz$$' --output-on-failure --no-tests=error -j $(JOBS)

# Part of `make test`: the replays, then each harness for FUZZ_SHORT_SECONDS,
# two at a time.
fuzz-short: fuzz-replay
	bash scripts/reliability-fuzz.sh $(BUILD)/fuzz $(FUZZ_SHORT_SECONDS) short $(FIGURES)

# Longer fuzzing: each harness for FUZZ_SECONDS (the corpus carries over).
fuzz: fuzz-replay
	bash scripts/reliability-fuzz.sh $(BUILD)/fuzz $(FUZZ_SECONDS) long $(FIGURES)

# Several records on several threads under ThreadSanitizer.
tsan-build: $(BUILD)/tsan/CMakeCache.txt
	cmake --build $(BUILD)/tsan -j $(JOBS) --target test_concurrency

tsan: tsan-build
	mkdir -p $(FIGURES)
	bash scripts/reliability-tsan.sh $(BUILD)/tsan/tests/test_concurrency $(FIGURES)

# The fault-injection cases with their figures (they also run in `make test`).
faults: native
	mkdir -p $(FIGURES) && rm -f $(FIGURES)/faults.tsv
	MPDLL_RELIABILITY_FIGURES=$(abspath $(FIGURES)) ctest --test-dir $(BUILD)/native \
	  -L '^faults$$' -j 4 --timeout 120 --output-on-failure

# The full soak (SOAK_CYCLES cycles per transport, SOAK_FAILED_OPENS failed
# opens of each kind), then valgrind memcheck over a shorter soak.
soak: native
	mkdir -p $(FIGURES) && rm -f $(FIGURES)/soak.tsv $(FIGURES)/valgrind.tsv
	MPDLL_RELIABILITY_FIGURES=$(abspath $(FIGURES)) MPDLL_SOAK_CYCLES=$(SOAK_CYCLES) \
	  MPDLL_SOAK_FAILED_OPENS=$(SOAK_FAILED_OPENS) ctest --test-dir $(BUILD)/native \
	  -L '^soak$$' -j 4 --timeout 3600 --output-on-failure
	bash scripts/reliability-valgrind.sh $(BUILD)/native/tests/test_reliability $(VALGRIND_CYCLES) $(FIGURES)

# Measures everything above and writes docs/reliability.md from the figures.
reliability-report:
	rm -rf $(FIGURES)
	$(MAKE) fuzz-short
	$(MAKE) fuzz
	$(MAKE) tsan
	$(MAKE) faults || true
	$(MAKE) soak || true
	python3 scripts/reliability-report.py $(FIGURES) docs/reliability.md $(COVERAGE_FIGURES)

# ---- Coverage: line and branch figures of src/ (not part of `make test`) ----
# A native -O0 build with gcc's --coverage, the whole native suite, then
# gcovr over src/ only: a table per file (branches, with the lines that miss
# some) and one per folder, whose figures docs/reliability.md shows. Branches
# gcc adds for exceptions and branches it proves unreachable are left out:
# the library throws nothing and they have no source of their own.
COVERAGE_BUILD ?= $(BUILD)/coverage
COVERAGE_FIGURES ?= $(BUILD)/coverage-figures
COVERAGE_GCOVR = gcovr --root . --object-directory $(COVERAGE_BUILD) --exclude-directories '.*/CMakeFiles/[0-9.]+' \
	  --filter 'src/' --exclude 'tests/' --exclude 'tools/' --exclude 'fuzz/' --exclude 'bench/' \
	  --exclude-throw-branches --exclude-unreachable-branches

$(COVERAGE_BUILD)/CMakeCache.txt:
	cmake --preset coverage -B $(COVERAGE_BUILD)

# The figures are printed also when a test fails; the target still fails then.
coverage: deps $(COVERAGE_BUILD)/CMakeCache.txt
	cmake --build $(COVERAGE_BUILD) -j $(JOBS)
	find $(COVERAGE_BUILD) -name '*.gcda' -delete
	status=0; ctest --test-dir $(COVERAGE_BUILD) --output-on-failure -j $(JOBS) --timeout 300 || status=$$?; \
	$(COVERAGE_GCOVR) --branches --sort-uncovered && \
	$(COVERAGE_GCOVR) --json $(COVERAGE_BUILD)/coverage.json && \
	python3 scripts/coverage-figures.py $(COVERAGE_BUILD)/coverage.json $(COVERAGE_FIGURES)/coverage.tsv && \
	exit $$status
