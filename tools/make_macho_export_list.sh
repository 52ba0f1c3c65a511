#!/bin/sh
# Turns the export list (one symbol per line, '#' comments) into the Mach-O linker's
# -exported_symbols_list: every name with the Mach-O underscore in front. __dso_handle
# is listed under its link-time stand-in (tools/name_dso_handle.sh explains).
set -eu
grep -v '^[[:space:]]*#' "$1" | sed -e 's/[[:space:]]//g' -e '/^$/d' -e 's/^/_/' \
  -e 's/^___dso_handle$/___dso_handlZ/' > "$2"
