# Two entry points for a fresh Debian machine: `make run` and `make test`.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: deps configure build run test bench clean test-in-debian

deps:
	@./scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/lumeye

# The normal run, then the same tests (and the fuzzers, for a bounded number
# of inputs) on the AddressSanitizer + UndefinedBehaviorSanitizer build; any
# sanitizer report fails a test. The last line is the second run's summary;
# the second run runs whatever the first gave.
test: build sanitize-build
	@status=0; \
	(cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)) || status=1; \
	(cd $(SANITIZE_DIR) && ctest --output-on-failure -j $(JOBS)) || status=1; \
	exit $$status

# The normal build's tests alone, without the sanitizer build.
.PHONY: test-normal
test-normal: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

bench: build
	@cmake --build $(BUILD_DIR) --target benchmarks -j $(JOBS)
	@./scripts/run-benchmarks $(BUILD_DIR)

# The sanitizer build: clang, so that the fuzzers are libFuzzer programs.
# Optimised lightly and with line tables only, which keeps reports exact and
# the build quick.
SANITIZE_DIR ?= $(BUILD_DIR)-sanitize
.PHONY: sanitize-build fuzz
sanitize-build: deps
	@cmake -S . -B $(SANITIZE_DIR) -G Ninja -DLUMEYE_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_CXX_COMPILER=clang++ \
		-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" >/dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS)

# Each fuzzer for FUZZ_SECONDS, from its seeds and what earlier runs found.
FUZZ_SECONDS ?= 120
fuzz: sanitize-build
	@cd $(SANITIZE_DIR) && LUMEYE_FUZZ_SECONDS=$(FUZZ_SECONDS) ctest -L fuzz --output-on-failure -j $(JOBS) \
		--timeout $$(($(FUZZ_SECONDS) + 600))
	@cat $(SANITIZE_DIR)/tests/fuzz/*/summary

# Random input on the sanitizer build for MONKEY_SECONDS from a fresh seed;
# MONKEY_SEED and MONKEY_ACTIONS replay a run to the action that failed,
# MONKEY_DESKTOP=weston or kwin runs it there, the program a Wayland client,
# and gnome on mutter, the program an X client of its XWayland.
# Stopped when it runs well past that length (an action answers in seconds).
ifdef MONKEY_ACTIONS
MONKEY_SECONDS ?= 0
endif
MONKEY_SECONDS ?= 600
.PHONY: monkey
monkey: sanitize-build
	@LUMEYE_BIN=$(SANITIZE_DIR)/lumeye LUMEYE_SOURCE_DIR=$(CURDIR) LUMEYE_MONKEY_SECONDS=$(MONKEY_SECONDS) \
		LUMEYE_MONKEY_SEED=$(MONKEY_SEED) LUMEYE_MONKEY_ACTIONS=$(MONKEY_ACTIONS) LUMEYE_MONKEY_DESKTOP=$(MONKEY_DESKTOP) \
		timeout $$(($(MONKEY_SECONDS) + 5 * $(or $(MONKEY_ACTIONS),0) + 120)) bash tests/e2e/monkey.sh

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR)

.PHONY: package package-test
package: build
	@cd $(BUILD_DIR) && cpack -G DEB

package-test: package
	@./scripts/package-test $(BUILD_DIR)

# Pictures of the program for the README, under Xvfb: docs/*.png.
.PHONY: screenshots
screenshots: build
	@./scripts/screenshots $(BUILD_DIR)

# `make test` as a new user of Debian $(DEBIAN) runs it, in a Debian root of
# that release (needs root; scripts/test-in-debian).
DEBIAN ?= 13
DEBIAN_TARGETS ?= test
test-in-debian:
	@./scripts/test-in-debian $(DEBIAN) $(DEBIAN_TARGETS)
