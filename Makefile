# make run   — set up what is missing, build the program folder, start it under Wine
# make test  — set up what is missing, build, run every test tier
# make bench — every benchmark under Wine, summed up in one table of ratios
# make idle-bench — only the idle part: CPU the running program uses, against a plain window
# make screenshot — retake every docs/screenshot-*.png headless, on a faked clock
# make fuzz  — fuzz the portable core, FUZZ_SECONDS (600) in all (scripts/fuzz.sh)
# make mutants — plant faults in the portable core one at a time and count those
#               core_tests catch (../shared/tools/mutants.py; MUTANTS_ARGS to
#               change the sample, e.g. MUTANTS_ARGS="--count 60 --seed 2")

JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 600
MUTANTS_ARGS ?= --count 100 --seed 1
NATIVE := build/native
NATIVE_SAN := build/native-san
WIN := build/win
BENCH_TARGETS := Mekurinote QzlCmn startup_bench window_bench memo_bench profile_bench idle_minimal_window idle_clock_window

.PHONY: all setup build build-native build-win build-dist run test bench-build bench idle-bench screenshot fuzz mutants clean

all: build

setup:
	@bash scripts/setup.sh

$(WIN)/CMakeCache.txt:
	cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null

$(NATIVE)/CMakeCache.txt:
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Release >/dev/null

$(NATIVE_SAN)/CMakeCache.txt:
	cmake -S . -B $(NATIVE_SAN) -DCMAKE_BUILD_TYPE=Debug -DMEKURI_SANITIZE=ON >/dev/null

build-win: setup $(WIN)/CMakeCache.txt
	cmake --build $(WIN) -j $(JOBS)

build-native: setup $(NATIVE)/CMakeCache.txt $(NATIVE_SAN)/CMakeCache.txt
	cmake --build $(NATIVE) -j $(JOBS)
	cmake --build $(NATIVE_SAN) -j $(JOBS)

build: build-win

# The program folder alone: the program brings its cipher library, launcher, readme and chime along.
build-dist: setup $(WIN)/CMakeCache.txt
	cmake --build $(WIN) -j $(JOBS) --target Mekurinote

run: build-dist
	bash scripts/run.sh

test: build-native build-win
	bash scripts/test.sh

bench-build: setup $(WIN)/CMakeCache.txt
	cmake --build $(WIN) -j $(JOBS) --target $(BENCH_TARGETS)

bench: bench-build
	BENCH_BUILD=$(WIN) bash scripts/bench.sh

idle-bench: bench-build
	BENCH_BUILD=$(WIN) BENCH_PARTS=idle bash scripts/bench.sh

screenshot: build-win
	bash scripts/screenshot.sh

fuzz: setup
	bash scripts/fuzz.sh --long $(FUZZ_SECONDS)

mutants: setup $(NATIVE)/CMakeCache.txt
	cmake --build $(NATIVE) -j $(JOBS) --target core_tests
	python3 ../shared/tools/mutants.py --build $(NATIVE) $(MUTANTS_ARGS)

clean:
	rm -rf build dist
