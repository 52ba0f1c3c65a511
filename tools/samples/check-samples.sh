#!/usr/bin/env bash
# Every image in DOCS_DIR comes out of make-samples.sh byte for byte, and make-samples.sh
# makes no image that DOCS_DIR lacks.
# usage: check-samples.sh DVTTF_RENDER DOCS_DIR
set -uo pipefail
render=$1
docs=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$here/make-samples.sh" "$render" "$work" >/dev/null || { echo "make-samples.sh failed"; exit 1; }
passes=0
failures=0
for image in $( (cd "$docs" && ls ./*.png; cd "$work" && ls ./*.png) | sort -u); do
  name=${image#./}
  if cmp -s "$docs/$name" "$work/$name"; then
    passes=$((passes + 1))
  else
    echo "FAIL: $name: docs/ and make-samples.sh differ (or one lacks it)"
    failures=$((failures + 1))
  fi
done
echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
