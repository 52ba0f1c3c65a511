# Entry points for people and CI. Everything real lives in CMake.
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
# Seconds each fuzzer runs in `make fuzz` (and so in `make test`).
FUZZ_SECONDS ?= 20
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps build asan test test-artifact test-asan format fuzz fuzz-long hostile bench clean demo samples

# `make` alone: the artifact and the tools (needs only the compiler, lld, CMake, Ninja and
# libpng). Tests, benchmarks and fuzzers are CMake options that the targets below turn on.
all: build

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

$(ASAN_BUILD)/build.ninja:
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_FLAGS) -DDV_SANITIZE=ON -DDV_TESTS=ON

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
# stand-in with a 64 MiB host heap. Failing inputs are kept in $(BUILD)/hostile-findings/.
# FIRST starts at a later case (one campaign split over processes).
CASES ?= 1000
SEED ?= 1
FIRST ?= 0
hostile: $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target artifact_tests
	DV_HOSTILE_CASES=$(CASES) DV_HOSTILE_SEED=$(SEED) DV_HOSTILE_FIRST=$(FIRST) \
	  DV_HOSTILE_FINDINGS=$(abspath $(BUILD))/hostile-findings \
	  $(BUILD)/artifact_tests --gtest_filter='HostileCampaign.*'

# Each fuzzer for 10 minutes from its committed corpus (fuzz/corpus/), merging what it
# learns back into that corpus, minimized.
fuzz-long: $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers
	DV_FUZZ_MERGE=1 ./tools/run_fuzzers.sh $(FUZZ_BUILD) 600

# Debian packages the build and tests need (installs only what is missing).
deps:
	./tools/install-deps.sh

# The one command that builds everything and runs every test: the artifact with its
# export check and artifact tests, the stand-in's tests, the unit tests, and the unit
# tests again under ASan + UBSan, the check that a configure without tests, benchmarks and
# fuzzers looks for none of their packages, and the fuzzers. On a fresh Debian machine it
# installs what is missing.
test: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS) -DDV_TESTS=ON
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_FLAGS) -DDV_SANITIZE=ON -DDV_TESTS=ON
	$(MAKE) build asan
	ctest --test-dir $(BUILD) --output-on-failure
	ctest --test-dir $(ASAN_BUILD) --output-on-failure
	./tools/check_lean_configure.sh
	$(MAKE) fuzz

# Renders a sample sentence with dvttf-render into demo.png (installs what is missing and
# builds the artifact and the tool first).
DEMO_TEXT ?= Hello from DovrelTTF — ÆØÅ ÿ € “quotes” ½
demo: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target dvttf-render
	./$(BUILD)/dvttf-render --size 40 --color 24,70,160 --output demo.png "$(DEMO_TEXT)"

# Benchmarks (not part of `make test`): the library against FreeType and the reference
# rasterizer in one run, ending with a table of ratios. BENCH_ARGS go to Google Benchmark.
bench: $(BUILD)/build.ninja
	cmake -S . -B $(BUILD) -DDV_BENCH=ON >/dev/null
	cmake --build $(BUILD) -j $(JOBS) --target dvttf_bench
	$(BUILD)/bench/dvttf_bench $(BENCH_ARGS)

# Regenerates every image in docs/ with dvttf-render from the commands in
# tools/samples/make-samples.sh; the result is byte for byte what is committed.
samples: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target dvttf-render
	./tools/samples/make-samples.sh $(BUILD)/dvttf-render docs

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
