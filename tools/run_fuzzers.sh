#!/usr/bin/env bash
# Runs every fuzzer of a DV_FUZZ build for a bounded time, starting from the seed corpus
# that fuzz_seed_corpus writes. Exits non-zero as soon as one fuzzer finds a crash, leak,
# timeout or sanitizer report; the failing input is left in BUILD_DIR/fuzz-findings/.
# Each fuzzer also starts from its committed corpus, fuzz/corpus/NAME; with
# DV_FUZZ_MERGE=1 what a run learned is merged back into it (minimized: only inputs that
# add coverage are kept).
# The 30 s timeout leaves room for one glyph at the library's raster work limit, which
# takes seconds under the sanitizers; a hang still fails.
# Usage: run_fuzzers.sh BUILD_DIR SECONDS_PER_FUZZER
set -euo pipefail
build=$1
seconds=$2
source_dir=$(cd "$(dirname "$0")/.." && pwd)

seeds="$build/fuzz-seeds"
findings="$build/fuzz-findings"
rm -rf "$seeds"
mkdir -p "$findings"
"$build/fuzz_seed_corpus" "$seeds"

for harness in "$source_dir"/fuzz/*_fuzzer.cpp; do
  name=$(basename "$harness" .cpp)
  corpus="$build/fuzz-corpus/$name"
  committed="$source_dir/fuzz/corpus/$name"
  mkdir -p "$corpus" "$seeds/$name" "$committed"
  echo "fuzz: $name for ${seconds}s"
  # New inputs go to the first directory (kept between runs); seeds are read only.
  if ! "$build/$name" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
      -max_len=65536 -print_final_stats=1 -artifact_prefix="$findings/$name-" \
      "$corpus" "$committed" "$seeds/$name" >"$build/$name.log" 2>&1; then
    tail -n 60 "$build/$name.log"
    echo "fuzz: $name FAILED (log: $build/$name.log, input: $findings/)"
    exit 1
  fi
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' \
    "$build/$name.log" | tr '\n' ' '
  echo
  if [ "${DV_FUZZ_MERGE:-0}" = 1 ]; then
    "$build/$name" -merge=1 -timeout=30 -rss_limit_mb=2048 -max_len=65536 \
      "$committed" "$corpus" "$seeds/$name" >"$build/$name.merge.log" 2>&1
  fi
done
echo "fuzz: all fuzzers ran clean"
