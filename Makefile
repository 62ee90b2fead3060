# Entry points. Every target installs the packages it needs first.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test bench run clean

all: build

deps:
	@bash scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD_DIR)/bench/bench_*; do echo "== $$b"; QT_QPA_PLATFORM=offscreen $$b --benchmark_counters_tabular=true || exit 1; done

run: build
	@$(BUILD_DIR)/ocrastell

clean:
	@rm -rf $(BUILD_DIR)
