# The two commands of the README, and a few more for developers.
#   make run    installs what is missing, builds, and opens the window on the sample playlist
#   make test   the same set-up, then every test (GUI and end-to-end ones under their own Xvfb)

BUILD ?= build
BUILD_SAN ?= build-san
BUILD_FUZZ ?= build-fuzz
FUZZ_SECONDS ?= 60
BUILD_TYPE ?= RelWithDebInfo
CMAKE_ARGS ?=
JOBS ?= $(shell nproc)

.PHONY: all deps test-deps configure build run test test-unit test-sanitize test-fuzz fuzz bench clean test-share mutate \
	format format-check

all: build

# What building and running need; what the tests need besides.
deps:
	@scripts/install-deps build

test-deps:
	@scripts/install-deps build test

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_ARGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -n "$$DISPLAY" ]; then \
	  $(BUILD)/kestrova /f=$(CURDIR)/resources/sample-playlist.txt /t=30; \
	else \
	  echo "No display: opening the window under Xvfb would show nothing. Set DISPLAY." >&2; exit 1; \
	fi

# The core and its unit tests again, under AddressSanitizer and UndefinedBehaviorSanitizer. Each
# test program runs once as a whole: a sanitized process takes half a second to start and end,
# which made most of this stage's time when ctest started one for each test case.
test-sanitize: test-deps
	@cmake -S . -B $(BUILD_SAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTROVA_CORE_ONLY=ON \
	  -DKESTROVA_SANITIZE=ON $(CMAKE_ARGS) >/dev/null
	@cmake --build $(BUILD_SAN) -j $(JOBS)
	@programs=$$(find $(BUILD_SAN)/tests -type f -perm -u+x -name 'kestrova_*tests'); \
	  [ -n "$$programs" ] || { echo "test-sanitize: no test program built" >&2; exit 1; }; \
	  for program in $$programs; do \
	    log=$(BUILD_SAN)/$$(basename $$program).log; \
	    timeout 900 $$program > $$log 2>&1 || { cat $$log; exit 1; }; \
	    echo "$$(basename $$program): $$(tail -n 1 $$log)"; \
	  done

# The libFuzzer targets of fuzz/, built by clang++ in a folder of their own. test-fuzz runs them
# side by side for 10 seconds each (when clang++ is there); fuzz runs each for FUZZ_SECONDS, one
# after another. What they find stays in $(BUILD_FUZZ): corpus/ and the failing inputs.
FUZZ_CONFIGURE = cmake -S . -B $(BUILD_FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DKESTROVA_CORE_ONLY=ON -DKESTROVA_SANITIZE=ON -DKESTROVA_FUZZ=ON

test-fuzz: test-deps
	@if ! command -v clang++ >/dev/null; then echo "test-fuzz: no clang++, the fuzzers are skipped" >&2; exit 0; fi; \
	  $(FUZZ_CONFIGURE) -DKESTROVA_FUZZ_SECONDS=10 >/dev/null && cmake --build $(BUILD_FUZZ) -j $(JOBS) && \
	  ctest --test-dir $(BUILD_FUZZ) -L fuzz --output-on-failure -j $(JOBS)

fuzz: test-deps
	@$(FUZZ_CONFIGURE) -DKESTROVA_FUZZ_SECONDS=$(FUZZ_SECONDS) >/dev/null
	@cmake --build $(BUILD_FUZZ) -j $(JOBS)
	@ctest --test-dir $(BUILD_FUZZ) -L fuzz --output-on-failure -j 1

# The sources as clang-format (.clang-format) writes them: format rewrites them, format-check
# (run by CI) fails on any difference.
FORMAT_SOURCES = $(shell find src tests fuzz bench -name '*.cpp' -o -name '*.h')

format: test-deps
	@clang-format -i $(FORMAT_SOURCES)

format-check: test-deps
	@clang-format --dry-run --Werror $(FORMAT_SOURCES)

# The benchmarks of bench/ (bench/bench.py, on the end-to-end tests' helpers), beside Chromium
# (installed here when missing), under a private display. QUICK=1 runs each figure fewer times, in
# a few minutes; BENCH_ARGS passes more options (--only=memory,idle --no-chromium). The table is
# appended to bench/RESULTS.md; a figure that could not be measured fails the target.
bench: test-deps build
	@scripts/install-deps bench python3-xlib
	@scripts/run-under-x bench/bench.py $(if $(QUICK),--quick) --program=$(abspath $(BUILD))/kestrova $(BENCH_ARGS)

test: test-deps build test-sanitize test-fuzz
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

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
	rm -rf $(BUILD) $(BUILD_SAN) $(BUILD_FUZZ)

# The documentation's pictures (docs/screenshot*.png), taken of the program on private displays.
.PHONY: screenshots
screenshots: test-deps build
	@cmake --build $(BUILD) --target screenshots

# A Debian package of the program, installing under /usr: $(BUILD)/kestrova_<version>_<arch>.deb
.PHONY: package
package: build
	@cmake --build $(BUILD) --target package
