# Entry points. Every target installs the packages it needs first.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test bench run clean

all: build

deps:
	@bash scripts/install-deps

# ccache, where installed, makes rebuilds in several work trees cheap.
CCACHE := $(shell command -v ccache 2>/dev/null)
CMAKE_FLAGS := -DCMAKE_BUILD_TYPE=Release $(if $(CCACHE),-DCMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE))

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD_DIR)/bench/bench_*; do \
	  [ -f "$$b" ] && [ -x "$$b" ] || continue; \
	  echo "== $$b"; QT_QPA_PLATFORM=offscreen $$b --benchmark_counters_tabular=true || exit 1; \
	done

# `make run ARGS=drawing.ovk` opens a project at start.
run: build
	@$(BUILD_DIR)/ocrastell $(ARGS)

clean:
	@rm -rf $(BUILD_DIR)
