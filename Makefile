# Two entry points: `make run` and `make test`. Both install what is missing first; the demo
# only what the program and the stand-in need (tools/setup.sh --demo).
JOBS ?= 2

.PHONY: setup run test build build-asan clean coverage soak

setup:
	@tools/setup.sh

build: setup
	cmake --preset default >/dev/null
	cmake --build --preset default -j $(JOBS) --target kordan

# The demo: the program with a virtual controller and the simulator stand-in on demo data
# (headless under Xvfb when there is no display). See tools/demo.sh. Without the tests'
# frameworks, Wine or MinGW: the tests are not configured and only the two programs built.
run:
	@tools/setup.sh --demo
	cmake --preset default -DKORDAN_TESTS=OFF >/dev/null
	cmake --build --preset default -j $(JOBS) --target kordan zusi-standin
	tools/demo.sh build/default

build-asan: setup
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j $(JOBS)

test: build-asan
	tools/format-check.sh
	ctest --preset asan -j $(JOBS)
	tools/run-fuzz.sh
	tools/win-test.sh

# The randomised held-keys test at length (make test runs 3000 steps of seed 13): presses,
# lever moves, loads, axis changes, mode switches, unplugs and quick re-plugs, a bridge that
# dies or hangs; a new seed each run unless
# KORDAN_SOAK_SEED is given, printed so that a failure can be replayed.
SOAK_STEPS ?= 300000
soak: setup
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j $(JOBS) --target kordan_core_tests
	@seed=$${KORDAN_SOAK_SEED:-$$(date +%s)}; echo "soak: seed $$seed, $(SOAK_STEPS) steps"; \
	KORDAN_SOAK_SEED=$$seed KORDAN_SOAK_STEPS=$(SOAK_STEPS) \
	    build/asan/tests/kordan_core_tests --gtest_filter='KordanMainSoak.*'

# Line coverage of src/ by the tests (a separate instrumented build in build/coverage).
coverage: setup
	JOBS=$(JOBS) tools/coverage.sh

clean:
	rm -rf build

# Pictures of every window for the README, rendered on a private Xvfb display.
.PHONY: screenshots
screenshots: setup
	cmake --preset default >/dev/null
	cmake --build --preset default -j $(JOBS) --target kordan-screenshots
	tools/screenshots.sh build/default

# Speed figures in one table: the program's loop, dispatch, idle cost and start, built with
# the release preset (never part of `make test`). See docs/performance.md.
.PHONY: bench
bench: setup
	@cmake --preset release >/dev/null
	@cmake --build --preset release -j $(JOBS) --target kordan zusi-standin kordan_bench \
		kordan_loop_latency kordan_start_time >build/release/bench-build.log \
		|| { tail -n 30 build/release/bench-build.log; exit 1; }
	@bench/run.sh build/release
