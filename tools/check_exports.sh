#!/bin/sh
# Fails when the artifact's dynamic symbols differ from the export list in either
# direction, or when the artifact needs any symbol from outside.
set -eu
artifact=$1
list=$2
expected=$(mktemp)
actual=$(mktemp)
trap 'rm -f "$expected" "$actual"' EXIT
grep -v '^[[:space:]]*#' "$list" | sed -e 's/[[:space:]]//g' -e '/^$/d' | LC_ALL=C sort -u > "$expected"
nm -D --defined-only "$artifact" | awk '{print $NF}' | LC_ALL=C sort -u > "$actual"
status=0
if ! diff -u "$expected" "$actual" > /dev/null; then
  echo "export list and artifact differ (- listed only, + exported only):"
  diff -u "$expected" "$actual" | grep '^[-+][^-+]' || true
  status=1
fi
undefined=$(nm -u "$artifact")
if [ -n "$undefined" ]; then
  echo "artifact needs symbols from outside:"
  echo "$undefined"
  status=1
fi
[ "$status" -eq 0 ] && echo "exports match ($(wc -l < "$expected") symbols), nothing undefined"
exit "$status"
