# The two commands of the README, and a few more for developers.
#   make run    installs what is missing, builds, and opens the window on the sample playlist
#   make test   the same set-up, then every test (GUI and end-to-end ones under their own Xvfb)

# Each build has a preset of CMakePresets.json (default, sanitize, fuzz, bench) and the folder it
# names; CMAKE_ARGS passes more cache settings to a configure.
BUILD = build
FUZZ_SECONDS ?= 60
CMAKE_ARGS ?=
JOBS ?= $(shell nproc)

.PHONY: all deps test-deps configure build run test test-unit test-sanitize test-fuzz fuzz bench clean test-share mutate \
	format format-check tidy

all: build

# What building and running need; what the tests need besides.
deps:
	@scripts/install-deps build

test-deps:
	@scripts/install-deps build test

configure: deps
	@cmake --preset default $(CMAKE_ARGS) >/dev/null

build: configure
	@cmake --build --preset default -j $(JOBS)

run: build
	@if [ -n "$$DISPLAY" ]; then \
	  $(BUILD)/kestrova /f=$(CURDIR)/resources/sample-playlist.txt /t=30; \
	else \
	  echo "No display: opening the window under Xvfb would show nothing. Set DISPLAY." >&2; exit 1; \
	fi

# The core and its unit tests again, under AddressSanitizer and UndefinedBehaviorSanitizer. Each
# test program is one CTest test there: a sanitized process takes half a second to start and end,
# which made most of this stage's time when each test case was a process of its own.
test-sanitize: test-deps
	@cmake --preset sanitize $(CMAKE_ARGS) >/dev/null
	@cmake --build --preset sanitize -j $(JOBS)
	@ctest --preset sanitize -j $(JOBS)

# The libFuzzer targets of fuzz/, built by clang++ in a folder of their own. test-fuzz runs them
# side by side for 10 seconds each (when clang++ is there); fuzz runs each for FUZZ_SECONDS, one
# after another. What they find stays in build-fuzz: corpus/ and the failing inputs.
test-fuzz: test-deps
	@if ! command -v clang++ >/dev/null; then echo "test-fuzz: no clang++, the fuzzers are skipped" >&2; exit 0; fi; \
	  cmake --preset fuzz -DKESTROVA_FUZZ_SECONDS=10 >/dev/null && cmake --build --preset fuzz -j $(JOBS) && \
	  ctest --preset fuzz -j $(JOBS)

fuzz: test-deps
	@cmake --preset fuzz -DKESTROVA_FUZZ_SECONDS=$(FUZZ_SECONDS) >/dev/null
	@cmake --build --preset fuzz -j $(JOBS)
	@ctest --preset fuzz -j 1

# The Windows program: kestrova.exe and kestrova-setup.exe in build-win, cross-built by MinGW-w64 on
# wxWidgets for Windows, which scripts/build-wxmsw builds once into a cache outside the checkout.
.PHONY: windows test-windows
windows: deps
	@scripts/install-deps windows
	@cmake --preset windows -DwxWidgets_CONFIG_EXECUTABLE=$$(scripts/build-wxmsw)/bin/wx-config $(CMAKE_ARGS) >/dev/null
	@cmake --build --preset windows -j $(JOBS)

# Its unit tables and the program itself, run under Wine.
test-windows: windows
	@ctest --preset windows

# clang-tidy over the program and its tests with the checks of .clang-tidy (CI runs it), on the default
# build's compile commands; first, that every folder of the core includes only the folders below it.
tidy: test-deps build
	@scripts/check-floors
	@git ls-files 'src/*.cpp' 'tests/*.cpp' ':!:src/platform/win/*' ':!:tests/unit/win_*' | xargs -P $(JOBS) -n 4 clang-tidy -p $(BUILD) --quiet 2>&1 | \
	  grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated' | tee $(BUILD)/tidy.log; \
	  ! grep -q -E '(warning|error):' $(BUILD)/tidy.log

# The sources as clang-format (.clang-format) writes them: format rewrites them, format-check
# (run by CI) fails on any difference.
FORMAT_SOURCES = $(shell find src tests fuzz bench -name '*.cpp' -o -name '*.h')

format: test-deps
	@clang-format -i $(FORMAT_SOURCES)

format-check: test-deps
	@clang-format --dry-run --Werror $(FORMAT_SOURCES)

# The benchmarks of bench/ (bench/bench.py, on the end-to-end tests' helpers), beside Chromium
# (installed here when missing), under a private display, on the bench preset's build. QUICK=1 runs
# each figure fewer times, in a few minutes; BENCH_ARGS passes more options (--only=memory,idle
# --no-chromium). The table is appended to bench/RESULTS.md; a figure that could not be measured
# fails the target.
bench: test-deps
	@scripts/install-deps bench
	@cmake --preset bench $(CMAKE_ARGS) >/dev/null
	@cmake --build --preset bench -j $(JOBS) --target kestrova kestrova_floor
	@scripts/run-under-x bench/bench.py $(if $(QUICK),--quick) --program=$(abspath $(BUILD))/kestrova $(BENCH_ARGS)

test: test-deps build test-sanitize test-fuzz
	@ctest --preset default -j $(JOBS)

# A long run of the real program over the end-to-end soak's ordinary and hostile pages, under its
# own Xvfb; appends its figures to bench/RESULTS.md. SOAK_MINUTES sets its length, SOAK_PROGRAM
# another build of the program to measure.
SOAK_MINUTES ?= 60
SOAK_PROGRAM ?= $(BUILD)/kestrova
.PHONY: soak
soak: test-deps build
	@SOAK_MINUTES=$(SOAK_MINUTES) scripts/run-under-x bench/soak.py $(SOAK_PROGRAM) $(CURDIR)/bench/RESULTS.md

# How big the tests are beside the program (non-blank, non-comment lines; at most 40 %).
test-share:
	@scripts/test-share

# Single-line mutants of the core against the unit tests: the share killed and the survivors.
# MUTANTS sets how many are drawn (0: all), MUTATE_ARGS passes more (--files 'src/browse/*').
MUTANTS ?= 150
mutate: deps
	@scripts/mutate --max $(MUTANTS) --jobs $(JOBS) $(MUTATE_ARGS)

clean:
	rm -rf build build-san build-fuzz build-win

# The documentation's pictures (docs/screenshot*.png), taken of the program on private displays.
.PHONY: screenshots
screenshots: test-deps build
	@cmake --build $(BUILD) --target screenshots

# A Debian package of the program, installing under /usr: $(BUILD)/kestrova_<version>_<arch>.deb
.PHONY: package
package: build
	@cmake --build $(BUILD) --target package
