#!/usr/bin/env bash
# docs/modules.md lists what a module may bind to: every name of exports.list must appear
# there, and every name its list shows must be exported.
# usage: modules_doc_test.sh SOURCE_DIR
set -u
source_dir=$1
doc=$source_dir/docs/modules.md
exports=$(grep -v '^#' "$source_dir/exports.list" | grep -v '^$' | sort -u)
# The backquoted words of the list section that look like symbols (no spaces or calls).
listed=$(sed -n '/^## What a module may bind to/,$p' "$doc" | grep -o '`[A-Za-z_][A-Za-z0-9_]*`' |
  tr -d '`' | sort -u)
failures=0
for name in $exports; do
  if ! grep -qx -- "$name" <<<"$listed"; then
    echo "FAIL: docs/modules.md does not list the export $name"
    failures=$((failures + 1))
  fi
done
for name in $listed; do
  if ! grep -qx -- "$name" <<<"$exports"; then
    # Unmangled spellings beside mangled names are explanations, not exports.
    case $name in dv_ttf_font_*) continue ;; esac
    echo "FAIL: docs/modules.md lists $name, which exports.list does not hold"
    failures=$((failures + 1))
  fi
done
echo "$(wc -w <<<"$exports") exports checked, $failures failed"
[ "$failures" -eq 0 ]
