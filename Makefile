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
	@for b in $(BUILD_DIR)/bench/bench_*; do \
	  [ -f "$$b" ] && [ -x "$$b" ] || continue; \
	  echo "== $$b"; QT_QPA_PLATFORM=offscreen $$b --benchmark_counters_tabular=true || exit 1; \
	done

run: build
	@if [ -x $(BUILD_DIR)/ocrastell ]; then $(BUILD_DIR)/ocrastell; \
	else echo "The application window is not part of this build yet: run 'make test' for the engine and controls."; fi

clean:
	@rm -rf $(BUILD_DIR)
