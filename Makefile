# The two commands of the README:
#   make print   sets up the machine, builds, and prints a job
#   make test    sets up the machine, builds, and runs every test
# Both build native x86-64 programs in build/; ARCH=i386 builds the 32-bit
# reference in build-i386/ instead (make ARCH=i386 print|test).
#   make install PREFIX=DIR   builds q730 and puts it in DIR/bin, its
#                             libraries in DIR/lib
ARCH ?= native
ifeq ($(ARCH),i386)
BUILD ?= build-i386
# The i386 build's tests also read what the native build wrote, and the other
# way round: they need the native q730 beside it.
PEER_BUILD ?= build
CMAKE_ARCH = -DQ730_ARCH=i386 -DQ730_PEER_BIN=$(abspath $(PEER_BUILD))/bin
# The emulator (where the kernel needs it) reserves the address space the
# 32-bit sanitizer's shadow expects.
TEST_ENV = ASAN_OPTIONS=$${ASAN_OPTIONS:-detect_leaks=0} QEMU_RESERVED_VA=$${QEMU_RESERVED_VA:-0xbfff0000}
else ifeq ($(ARCH),native)
BUILD ?= build
CMAKE_ARCH = -DQ730_ARCH=native
TEST_ENV =
else
$(error ARCH is native or i386)
endif
JOBS ?= $(shell nproc)
SANITIZE ?= OFF

PREFIX ?= /usr/local

.PHONY: all setup configure build peer print install test bench clean

all: build

setup:
	@bash tools/setup.sh $(ARCH)

configure: setup
	@cmake -S . -B $(BUILD) -DQ730_SANITIZE=$(SANITIZE) $(CMAKE_ARCH) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS) -- --no-print-directory

# The native q730, driver libraries and interchange program the i386 build's
# interchange test runs.
peer:
ifeq ($(ARCH),i386)
	@bash tools/setup.sh native
	@cmake -S . -B $(PEER_BUILD) -DQ730_ARCH=native >/dev/null
	@cmake --build $(PEER_BUILD) -j $(JOBS) --target q730 test_ui_interchange -- --no-print-directory
endif

# Printing needs only q730 and the driver libraries it loads, not the tests.
print: configure
	@cmake --build $(BUILD) -j $(JOBS) --target q730 -- --no-print-directory
	@$(BUILD)/bin/q730 print

# q730 and the libraries it loads, nothing of the tests; the installed folder
# may be moved or copied afterwards.
install: configure
	@cmake --build $(BUILD) -j $(JOBS) --target q730 -- --no-print-directory
	@cmake --install $(BUILD) --prefix "$(abspath $(PREFIX))"

test: build peer
	@cd $(BUILD) && $(TEST_ENV) ctest -j $(JOBS) --output-on-failure

# Every benchmark program, then the driver side by side with Ghostscript
# (bench_side, run in turns by its script).
bench: build
	@for b in $(BUILD)/bin/bench_*; do [ -x "$$b" ] && [ "$${b##*/}" != bench_side ] && "$$b"; done; true
	@bash bench/side_by_side.sh $(BUILD)

clean:
	rm -rf $(BUILD)
