# The two commands of the README, and a few more for developers.
#   make run   - build and start the simulated gateway with a wlancmd prompt
#   make test  - build everything and run the test suite (plain, then sanitizers)
JOBS ?= $(shell nproc)
ARGS ?=


.PHONY: deps build run test test-plain test-asan test-tsan test-armhf fuzz bench format format-check clean \
	package package-armhf lintian check-install abi-check abi-update fuzz-long soak golden-update

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

# Rewrites the golden sessions' expected transcripts from the native build;
# review the diff before committing it.
golden-update: build
	for s in tests/golden/*.session; do tests/golden/run-session.sh build/bin/wlan_host $$s --update; done

# The whole suite built for 32-bit ARM and run under qemu-arm, then the
# library's footprint there.
test-armhf: deps
	cmake --preset armhf >/dev/null
	cmake --build --preset armhf -j $(JOBS)
	ctest --preset armhf
	scripts/footprint.sh build-armhf

# Every fuzz target for FUZZ_SECONDS each (clang, libFuzzer, ASan + UBSan).
fuzz: FUZZ_SECONDS ?= 60
fuzz: deps
	scripts/run-fuzz.sh $(FUZZ_SECONDS)

# Deep runs (default 30 minutes a target): new coverage is merged into the
# checked-in corpora and every crash input kept as a seed (docs/fuzzing.md).
fuzz-long: FUZZ_SECONDS ?= 1800
fuzz-long: deps
	QZ_FUZZ_MERGE=1 scripts/run-fuzz.sh $(FUZZ_SECONDS)

bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQZ_BUILD_TESTS=OFF -DQZ_BUILD_BENCH=ON >/dev/null
	cmake --build build-bench -j $(JOBS) --target bench_wlan
	build-bench/bin/bench_wlan $(BENCH_ARGS)

# Debian packages (libqz-wlan-base1, libqz-wlan-base-dev, qz-wlan-sim) in
# build-pkg/ for amd64 and build-pkg-armhf/ for armhf: docs/packaging.md.
PKG_CONFIGURE = -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQZ_BUILD_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr

package: deps
	cmake -S . -B build-pkg $(PKG_CONFIGURE) >/dev/null
	cmake --build build-pkg -j $(JOBS)
	cd build-pkg && cpack -G DEB >/dev/null && ls -l *.deb

package-armhf: deps
	cmake -S . -B build-pkg-armhf $(PKG_CONFIGURE) --toolchain cmake/toolchain-armhf.cmake >/dev/null
	cmake --build build-pkg-armhf -j $(JOBS)
	cd build-pkg-armhf && cpack -G DEB >/dev/null && ls -l *.deb

lintian: package package-armhf
	scripts/lintian.sh build-pkg/*.deb build-pkg-armhf/*.deb

# The consumer example against installed prefixes and packages; the amd64
# packages installed with dpkg and the installed host run (needs root).
check-install: build package package-armhf
	scripts/check-install.sh

# The binary interface against abi/, on both targets.
abi-check: package package-armhf
	scripts/abi.sh check

abi-update: package package-armhf
	scripts/abi.sh update

# The served gateway under load for SOAK_SECONDS (default 10 minutes): numbered
# ring records checked whole, topology and roam files read back, memory and
# descriptors after warm-up. CTest runs it for 20 s.
SOAK_SECONDS ?= 600
soak: build
	build/bin/soak_host $(SOAK_SECONDS)

format:
	clang-format -i $$(git ls-files '*.c' '*.cpp' '*.h')

format-check:
	clang-format --dry-run -Werror $$(git ls-files '*.c' '*.cpp' '*.h')

clean:
	rm -rf build build-asan build-tsan build-fuzz build-bench build-armhf build-pkg build-pkg-armhf
