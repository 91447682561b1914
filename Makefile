# The two commands of the README, and a few more for developers.
#   make run   - build and start the simulated gateway with a wlancmd prompt
#   make test  - build everything and run the test suite (plain, then sanitizers)
JOBS ?= $(shell nproc)
ARGS ?=
# Each target first installs (as root) or asks for the Debian packages of the
# tiers it uses: scripts/install-deps.sh --list TIER names them.
DEPS = scripts/install-deps.sh


.PHONY: deps build run test test-plain test-asan test-tsan test-armhf fuzz bench format format-check clean \
	package package-armhf lintian check-install abi-check abi-update fuzz-long soak golden-update coverage

# Every tier.
deps:
	@$(DEPS)

# Everything of the default tree: the test suite too when GoogleTest is there.
build:
	@$(DEPS) run
	cmake --preset default >/dev/null
	cmake --build --preset default -j $(JOBS)

# Only what the prompt needs: the library, the simulated gateway, the host.
run:
	@$(DEPS) run
	cmake --preset default >/dev/null
	cmake --build --preset host -j $(JOBS)
	build/bin/wlan_host $(ARGS)

test-plain:
	@$(DEPS) run test
	cmake --preset default >/dev/null
	cmake --build --preset default -j $(JOBS)
	ctest --preset default

test-asan:
	@$(DEPS) run test
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan

test-tsan:
	@$(DEPS) run test
	cmake --preset tsan >/dev/null
	cmake --build --preset tsan -j $(JOBS)
	ctest --preset tsan

test: format-check test-plain test-asan test-tsan

# Rewrites the golden sessions' expected transcripts from the native build;
# review the diff before committing it.
golden-update:
	@$(DEPS) run
	cmake --preset default >/dev/null
	cmake --build --preset host -j $(JOBS)
	for s in tests/golden/*.session; do tests/golden/run-session.sh build/bin/wlan_host $$s --update; done

# The whole suite built for 32-bit ARM and run under qemu-arm, then the
# library's footprint there.
test-armhf:
	@$(DEPS) run test armhf
	cmake --preset armhf >/dev/null
	cmake --build --preset armhf -j $(JOBS)
	ctest --preset armhf
	scripts/footprint.sh build-armhf

# Every fuzz target for FUZZ_SECONDS each (clang, libFuzzer, ASan + UBSan).
fuzz: FUZZ_SECONDS ?= 60
fuzz:
	@$(DEPS) run fuzz
	scripts/run-fuzz.sh $(FUZZ_SECONDS)

# Deep runs (default 30 minutes a target): new coverage is merged into the
# checked-in corpora and every crash input kept as a seed (docs/fuzzing.md).
fuzz-long: FUZZ_SECONDS ?= 1800
fuzz-long:
	@$(DEPS) run fuzz
	QZ_FUZZ_MERGE=1 scripts/run-fuzz.sh $(FUZZ_SECONDS)

bench:
	@$(DEPS) run bench
	cmake --preset bench >/dev/null
	cmake --build --preset bench -j $(JOBS)
	build-bench/bin/bench_wlan $(BENCH_ARGS)

# Debian packages (libqz-wlan-base1, libqz-wlan-base-dev, qz-wlan-sim) in
# build-pkg/ for amd64 and build-pkg-armhf/ for armhf: docs/packaging.md.
package:
	@$(DEPS) run package
	cmake --preset pkg >/dev/null
	cmake --build --preset pkg -j $(JOBS)
	cpack --preset pkg >/dev/null && ls -l build-pkg/*.deb

package-armhf:
	@$(DEPS) run package cross
	cmake --preset pkg-armhf >/dev/null
	cmake --build --preset pkg-armhf -j $(JOBS)
	cpack --preset pkg-armhf >/dev/null && ls -l build-pkg-armhf/*.deb

lintian: package package-armhf
	@$(DEPS) lintian
	scripts/lintian.sh build-pkg/*.deb build-pkg-armhf/*.deb

# The consumer example against installed prefixes and packages; the amd64
# packages installed with dpkg and the installed host run (needs root).
check-install: build package package-armhf
	@$(DEPS) check-install
	scripts/check-install.sh

# The binary interface against abi/, on both targets.
abi-check: package package-armhf
	@$(DEPS) abi
	scripts/abi.sh check

abi-update: package package-armhf
	@$(DEPS) abi
	scripts/abi.sh update

# The served gateway under load for SOAK_SECONDS (default 10 minutes): numbered
# ring records checked whole, topology and roam files read back, memory and
# descriptors after warm-up. CTest runs it for 20 s.
SOAK_SECONDS ?= 600
soak:
	@$(DEPS) run soak
	cmake --preset default >/dev/null
	cmake --build --preset default -j $(JOBS) --target soak_host
	build/bin/soak_host $(SOAK_SECONDS)

# Line and branch coverage of src/ and sim/ by the suite, in build-cov/.
coverage:
	@$(DEPS) run test coverage
	scripts/coverage.sh

format:
	@$(DEPS) test
	clang-format -i $$(git ls-files '*.c' '*.cpp' '*.h')

format-check:
	@$(DEPS) test
	clang-format --dry-run -Werror $$(git ls-files '*.c' '*.cpp' '*.h')

clean:
	rm -rf build build-asan build-tsan build-fuzz build-bench build-armhf build-pkg build-pkg-armhf build-cov
