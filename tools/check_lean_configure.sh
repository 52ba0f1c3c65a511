#!/usr/bin/env bash
# Shows that a configure with tests, benchmarks and fuzzers off looks for none of their
# packages: CMake's trace of every command it ran must hold no find_package of GoogleTest,
# FreeType or Google Benchmark. The same trace of a configure with tests and benchmarks
# on must hold all three, so the search itself is shown to work.
# usage: check_lean_configure.sh [WORK_DIR]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -ge 1 ]; then
  work=$1
  mkdir -p "$work"
else
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi
lookups='find_package\((GTest|Freetype|benchmark)[ )]'

# configure NAME OPTIONS...: configures $work/NAME and leaves its trace in $work/NAME.trace.
configure() {
  local name=$1
  shift
  rm -rf "${work:?}/$name"
  cmake -S "$source_dir" -B "$work/$name" -G Ninja "$@" --trace-expand \
    --trace-redirect="$work/$name.trace" >"$work/$name.log" 2>&1 ||
    { cat "$work/$name.log"; exit 1; }
}

configure lean -DDV_TESTS=OFF -DDV_BENCH=OFF -DDV_FUZZ=OFF -DDV_SANITIZE=OFF
configure full -DDV_TESTS=ON -DDV_BENCH=ON

found_lean=$(grep -cE "$lookups" "$work/lean.trace" || true)
found_full=$(grep -oE "$lookups" "$work/full.trace" | sort -u | tr '\n' ' ')
echo "lean configure (tests, benchmarks, fuzzers off): $found_lean lookups of GoogleTest, FreeType or benchmark"
echo "configure with tests and benchmarks on: ${found_full:-none}"
failures=0
if [ "$found_lean" -ne 0 ]; then
  grep -E "$lookups" "$work/lean.trace"
  failures=1
fi
for package in GTest Freetype benchmark; do
  grep -qE "find_package\\($package[ )]" "$work/full.trace" ||
    { echo "the configure with tests and benchmarks on shows no lookup of $package"; failures=1; }
done
cached='^(GTest|GTEST|Freetype|FREETYPE|benchmark)[A-Za-z_]*[:=]'
if grep -qE "$cached" "$work/lean/CMakeCache.txt"; then
  echo "the lean configure's cache holds results of a package search:"
  grep -E "$cached" "$work/lean/CMakeCache.txt"
  failures=1
fi
echo "lean configure check: $((1 - failures)) passed, $failures failed"
exit "$failures"
