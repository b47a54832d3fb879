# The two commands of the README, and a few more for developers.
#   make run    installs what is missing, builds, and opens the window on the sample playlist
#   make test   the same set-up, then every test (GUI and end-to-end ones under their own Xvfb)

BUILD ?= build
BUILD_SAN ?= build-san
BUILD_TYPE ?= RelWithDebInfo
CMAKE_ARGS ?=
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test test-unit test-sanitize bench clean

all: build

deps:
	@scripts/install-deps

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

# The core and its unit tests again, under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	@cmake -S . -B $(BUILD_SAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTROVA_CORE_ONLY=ON \
	  -DKESTROVA_SANITIZE=ON $(CMAKE_ARGS) >/dev/null
	@cmake --build $(BUILD_SAN) -j $(JOBS)
	@ctest --test-dir $(BUILD_SAN) --output-on-failure -j $(JOBS) | tail -n 3

test: build test-sanitize
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) $(BUILD_SAN)

# A Debian package of the program, installing under /usr: $(BUILD)/kestrova_<version>_<arch>.deb
.PHONY: package
package: build
	@cmake --build $(BUILD) --target package
