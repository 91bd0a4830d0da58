# Two entry points for a fresh Debian machine: `make run` and `make test`.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: deps configure build run test bench clean

deps:
	@./scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/lumeye

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

bench: build
	@cmake --build $(BUILD_DIR) --target benchmarks -j $(JOBS)
	@./scripts/run-benchmarks $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)

.PHONY: package package-test
package: build
	@cd $(BUILD_DIR) && cpack -G DEB

package-test: package
	@./scripts/package-test $(BUILD_DIR)

# Pictures of the program for the README, under Xvfb: docs/*.png.
.PHONY: screenshots
screenshots: build
	@./scripts/screenshots $(BUILD_DIR)
