# The two commands of the README, and a few more for developers.
#   make run   - build and start the simulated gateway with a wlancmd prompt
#   make test  - build everything and run the test suite (plain, then sanitizers)
JOBS ?= $(shell nproc)
ARGS ?=

FUZZ_SECONDS ?= 60

.PHONY: deps build run test test-plain test-asan test-tsan test-armhf fuzz bench format format-check clean

deps:
	@scripts/install-deps.sh

build: deps
	cmake --preset default >/dev/null
	cmake --build --preset default -j $(JOBS)

run: build
	build/bin/wlan_host $(ARGS)

test-plain: build
	ctest --preset default

test-asan: deps
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan

test-tsan: deps
	cmake --preset tsan >/dev/null
	cmake --build --preset tsan -j $(JOBS) --target concurrency_tests
	ctest --preset tsan

test: format-check test-plain test-asan test-tsan

# The whole suite built for 32-bit ARM and run under qemu-arm, then the
# library's footprint there.
test-armhf: deps
	cmake --preset armhf >/dev/null
	cmake --build --preset armhf -j $(JOBS)
	ctest --preset armhf
	scripts/footprint.sh build-armhf

# Every fuzz target for FUZZ_SECONDS each (clang, libFuzzer, ASan + UBSan).
fuzz: deps
	scripts/run-fuzz.sh $(FUZZ_SECONDS)

bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQZ_BUILD_TESTS=OFF -DQZ_BUILD_BENCH=ON >/dev/null
	cmake --build build-bench -j $(JOBS) --target bench_wlan
	build-bench/bin/bench_wlan $(BENCH_ARGS)

format:
	clang-format -i $$(git ls-files '*.c' '*.cpp' '*.h')

format-check:
	clang-format --dry-run -Werror $$(git ls-files '*.c' '*.cpp' '*.h')

clean:
	rm -rf build build-asan build-tsan build-fuzz build-bench build-armhf
