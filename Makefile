# Entry points for people and CI. Everything real lives in CMake. Each kind of build has a
# directory of its own, so a plain `make` in build/ stays lean (no test or benchmark
# packages) whatever ran before it.
BUILD ?= build
TEST_BUILD ?= build-test
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
BENCH_BUILD ?= build-bench
# `make install PREFIX=/usr/local DESTDIR=/tmp/stage`
PREFIX ?= /usr/local
DESTDIR ?=
# Seconds each fuzzer runs in `make fuzz` and `make test`.
FUZZ_SECONDS ?= 20
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps build test-build asan test format fuzz fuzz-long hostile bench clean demo install-built \
  samples install docs

# `make` alone: both artifacts, the tools and the example module in both forms (needs only
# the compiler, lld, CMake, Ninja and libpng). Tests, benchmarks and fuzzers are CMake
# options that the targets below turn on in their own directories; build/ is configured
# with them off every time, so it stays lean even if an older tree had them on.
all: build

build:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS) -DDV_TESTS=OFF -DDV_BENCH=OFF >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

# Installs the headers, both artifacts (PREFIX/lib/dovrelttf), the tools, the pkg-config
# and CMake packages and the documents, stripped; the installed tools find the installed
# artifacts from where they are.
install: build
	$(MAKE) install-built

# Installs what $(BUILD) holds without building it first (the install test installs the
# test build this way).
install-built:
	DESTDIR=$(DESTDIR) cmake --install $(BUILD) --prefix $(PREFIX) --strip

$(TEST_BUILD)/build.ninja:
	cmake -S . -B $(TEST_BUILD) $(CMAKE_FLAGS) -DDV_TESTS=ON

test-build: $(TEST_BUILD)/build.ninja
	cmake --build $(TEST_BUILD) -j $(JOBS)

# The sanitizer build makes the fuzzers too: one sanitized dvcore serves the unit tests,
# dvttf-info and the harnesses.
ASAN_FLAGS = -DDV_SANITIZE=ON -DDV_TESTS=ON -DDV_FUZZ=ON
$(ASAN_BUILD)/build.ninja:
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_FLAGS) $(ASAN_FLAGS)

asan: $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)

$(FUZZ_BUILD)/build.ninja:
	cmake -S . -B $(FUZZ_BUILD) $(CMAKE_FLAGS) -DDV_FUZZ=ON

# Builds the libFuzzer harnesses and runs each for FUZZ_SECONDS from a seed corpus the
# test-side font builders write; fails on the first crash, leak, timeout or sanitizer report.
fuzz: $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers
	./tools/run_fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# The hostile campaign beyond the seeded cases `make test` runs: CASES mutations of real
# fonts from SEED, each loaded, rendered, resized and freed by the real artifact in the
# stand-in with a 64 MiB host heap. Failing inputs are kept in $(TEST_BUILD)/hostile-findings/.
# FIRST starts at a later case (one campaign split over processes).
CASES ?= 1000
SEED ?= 1
FIRST ?= 0
hostile: $(TEST_BUILD)/build.ninja
	cmake --build $(TEST_BUILD) -j $(JOBS) --target artifact_tests
	DV_HOSTILE_CASES=$(CASES) DV_HOSTILE_SEED=$(SEED) DV_HOSTILE_FIRST=$(FIRST) \
	  DV_HOSTILE_FINDINGS=$(abspath $(TEST_BUILD))/hostile-findings \
	  $(TEST_BUILD)/artifact_tests --gtest_filter='HostileCampaign.*'

# Each fuzzer for 10 minutes from its committed corpus (fuzz/corpus/), merging what it
# learns back into that corpus, minimized.
fuzz-long: $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers
	DV_FUZZ_MERGE=1 ./tools/run_fuzzers.sh $(FUZZ_BUILD) 600

# Debian packages the build and tests need (installs only what is missing).
deps:
	./tools/install-deps.sh

# The one command that builds everything and runs every test: the check that every package
# a test names is one tools/install-deps.sh installs; then two builds, each compiling the
# library once per form: $(TEST_BUILD) (both artifacts, dvcore, the stand-in, the tools and
# every test) and $(ASAN_BUILD) (dvcore, the unit tests, dvttf-info and the fuzzers under
# ASan + UBSan); then tools/run_checks.sh: every ctest test of both builds (the artifact
# with its export check and artifact tests, the stand-in's tests, the unit tests, the tools'
# and the module kit's tests, install included, and the sanitized unit tests and
# dvttf-info), the check that a configure without tests, benchmarks and fuzzers looks for
# none of their packages, and beside them every fuzzer for FUZZ_SECONDS. On a fresh Debian
# machine it installs what is missing. With CI=true a test that lacks a font or package
# fails instead of skipping.
test: deps
	./tools/check_deps_listed.sh
	cmake -S . -B $(TEST_BUILD) $(CMAKE_FLAGS) -DDV_TESTS=ON
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_FLAGS) $(ASAN_FLAGS)
	cmake --build $(TEST_BUILD) -j $(JOBS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	./tools/run_checks.sh $(TEST_BUILD) $(ASAN_BUILD) $(FUZZ_SECONDS) $(JOBS)

# Renders a sample sentence with dvttf-render into demo.png (installs what is missing and
# builds the artifact and the tool first).
DEMO_TEXT ?= Hello from DovrelTTF — ÆØÅ ÿ € “quotes” ½
demo: deps
	$(MAKE) build
	./$(BUILD)/dvttf-render --size 40 --color 24,70,160 --output demo.png "$(DEMO_TEXT)"

# Benchmarks (not part of `make test`): the library against FreeType and the reference
# rasterizer in one run, ending with a table of ratios, built as Release in $(BENCH_BUILD).
# BENCH_ARGS go to Google Benchmark. Its "Library was built as DEBUG" line is about
# Debian's libbenchmark itself (compiled without NDEBUG), not the code measured.
bench:
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DDV_BENCH=ON >/dev/null
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target dvttf_bench
	@echo "note: Google Benchmark's 'Library was built as DEBUG' refers to Debian's libbenchmark, not to this Release build"
	$(BENCH_BUILD)/bench/dvttf_bench $(BENCH_ARGS)

# Regenerates every image in docs/ with dvttf-render from the commands in
# tools/samples/make-samples.sh; the result is byte for byte what is committed.
samples: deps
	$(MAKE) build
	./tools/samples/make-samples.sh $(BUILD)/dvttf-render docs

# Rewrites the generated blocks of docs/ (each tool's --help, the table of limits) from
# the tools of $(BUILD) and the public header; the test docs_match_tools checks them.
docs: build
	./tests/tools/docs_match_tools_test.py . $(BUILD) --update

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(TEST_BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD)
