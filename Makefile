# The two commands of the README:
#   make print   sets up the machine, builds, and prints a job
#   make test    sets up the machine, builds, and runs every test
BUILD ?= build
JOBS ?= $(shell nproc)
SANITIZE ?= OFF

.PHONY: all setup configure build print test bench clean

all: build

setup:
	@bash tools/setup.sh

configure: setup
	@cmake -S . -B $(BUILD) -DQ730_SANITIZE=$(SANITIZE) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS) -- --no-print-directory

# Printing needs only q730 and the driver libraries it loads, not the tests.
print: configure
	@cmake --build $(BUILD) -j $(JOBS) --target q730 -- --no-print-directory
	@$(BUILD)/bin/q730 print

test: build
	@cd $(BUILD) && ASAN_OPTIONS=$${ASAN_OPTIONS:-detect_leaks=0} QEMU_RESERVED_VA=$${QEMU_RESERVED_VA:-0xbfff0000} ctest -j $(JOBS) --output-on-failure

bench: build
	@for b in $(BUILD)/bin/bench_*; do [ -x "$$b" ] && "$$b"; done; true

clean:
	rm -rf $(BUILD)
