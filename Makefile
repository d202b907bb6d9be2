# The two set-up commands of a new machine: `make run` and `make test`.
# Both install what is missing, configure and build first.
BUILD := build
CMAKE_FLAGS := -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
JOBS ?= 2
MAKEFLAGS += --no-print-directory

.PHONY: all setup configure build run test bench fuzz clean

all: build

setup:
	@bash tools/setup.sh

configure: setup
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The demo needs the program, the recording stand-ins and the driver that
# seeds and watches it; the test programs are left to `make test`.
run: configure
	cmake --build $(BUILD) -j $(JOBS) --target demo
	bash tools/run-demo.sh

test: build
	bash tools/run-tests.sh

bench: build
	bash tools/run-bench.sh

# The pure parsers and the netsh script generator as libFuzzer targets, built
# natively with clang; each runs FUZZ_SECONDS from its kept corpus, and the
# inputs that found new coverage are added to fuzz/corpus.
FUZZ_SECONDS ?= 60
fuzz: setup
	bash fuzz/run.sh --seconds $(FUZZ_SECONDS) --keep

clean:
	rm -rf $(BUILD)
