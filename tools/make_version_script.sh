#!/bin/sh
# Turns the export list (one symbol per line, '#' comments) into a linker version script
# that exports exactly those symbols and hides everything else.
set -eu
{
  echo "{"
  echo "  global:"
  grep -v '^[[:space:]]*#' "$1" | sed -e 's/[[:space:]]//g' -e '/^$/d' -e 's/.*/    "&";/'
  echo "  local: *;"
  echo "};"
} > "$2"
