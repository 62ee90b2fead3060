# Entry points. Every target installs the packages it needs first.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build program test test-sanitize bench run clean

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

# The program and the files of its folder only: no tests, benchmarks or demos.
program: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target program

test: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The same tests built with AddressSanitizer and UndefinedBehaviorSanitizer in
# a build folder of their own: an out-of-bounds read or an overflow that
# happens not to crash fails here. The options hold for the test listing that
# the build runs as well as for ctest.
SANITIZE_DIR ?= build-sanitize
SANITIZE_FLAGS := -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g
SANITIZE_ENV := ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

test-sanitize: deps
	@cmake -S . -B $(SANITIZE_DIR) -G Ninja $(CMAKE_FLAGS) \
	  -DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)" -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE_FLAGS)" >/dev/null
	@$(SANITIZE_ENV) cmake --build $(SANITIZE_DIR) -j $(JOBS)
	@cd $(SANITIZE_DIR) && $(SANITIZE_ENV) QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD_DIR)/bench/bench_*; do \
	  [ -f "$$b" ] && [ -x "$$b" ] || continue; \
	  echo "== $$b"; QT_QPA_PLATFORM=offscreen $$b --benchmark_counters_tabular=true || exit 1; \
	done

# `make run ARGS=drawing.ovk` opens a project at start.
run: program
	@$(BUILD_DIR)/ocrastell $(ARGS)

# The program folder is the build folder, and the styles, patterns and brushes
# at its top may be the user's (the program matches their names in any case):
# they stay, everything else goes. Nobody runs the program from the sanitizer
# build, so that folder goes whole. A build folder that is a link (to a larger
# disk) is cleaned where it leads, and the link stays.
clean:
	@rm -rf "$(SANITIZE_DIR)"
	@if [ -d "$(BUILD_DIR)" ]; then \
	  find "$(BUILD_DIR)/" -mindepth 1 -maxdepth 1 ! -iname '*.gst' ! -iname '*.stk' ! -iname '*.srd' \
	    -exec rm -rf {} + && { [ -L "$(BUILD_DIR:%/=%)" ] || rmdir --ignore-fail-on-non-empty "$(BUILD_DIR)"; }; \
	fi
