#!/usr/bin/env bash
# The checks `make test` runs once both builds are made: every ctest test of the test build
# and of the sanitizer build (JOBS at a time), the lean-configure check, and meanwhile,
# beside them, every fuzzer of the sanitizer build for SECONDS each (tools/run_fuzzers.sh;
# the fuzzers run for a fixed time, so they take their seconds whatever else runs). Every
# step runs even when an earlier one failed; the exit status is non-zero when any did.
# Usage: run_checks.sh TEST_BUILD SANITIZER_BUILD SECONDS_PER_FUZZER JOBS
set -uo pipefail
test_build=$1
sanitizer_build=$2
seconds=$3
jobs=$4
tools=$(cd "$(dirname "$0")" && pwd)

fuzz_log="$sanitizer_build/fuzzers.log"
"$tools/run_fuzzers.sh" "$sanitizer_build" "$seconds" >"$fuzz_log" 2>&1 &
fuzz_pid=$!

failed=()
run() { # run NAME COMMAND...
  local name=$1
  shift
  echo "==== $name"
  "$@" || failed+=("$name")
}
run "tests (test build)" ctest --test-dir "$test_build" -j "$jobs" --output-on-failure
run "tests (sanitizer build)" ctest --test-dir "$sanitizer_build" -j "$jobs" --output-on-failure
run "lean configure" "$tools/check_lean_configure.sh"

echo "==== fuzzers (${seconds}s each)"
wait "$fuzz_pid" || failed+=("fuzzers")
cat "$fuzz_log"

if [ ${#failed[@]} -ne 0 ]; then
  printf 'FAILED: %s\n' "${failed[@]}"
  exit 1
fi
echo "every check passed"
