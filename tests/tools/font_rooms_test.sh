#!/bin/sh
# tools/check_font_rooms.sh passes the tree as it is, and fails a copy of font/ with an
# include planted upward (raster -> text), across two formats (cff -> truetype) or from a
# file in no room, naming each.
# Usage: font_rooms_test.sh SOURCE_DIR
set -eu
source_dir=$1
check=$source_dir/tools/check_font_rooms.sh
"$check" "$source_dir"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
status=0
planted() { # what, file, line to add, expected message
  rm -rf "$scratch/font"
  cp -R "$source_dir/font" "$scratch/font"
  printf '%s\n' "$3" >> "$scratch/font/$2"
  if output=$("$check" "$scratch" 2>&1); then
    echo "FAIL $1: the check passed"
    status=1
  elif ! printf '%s\n' "$output" | grep -qF "$4"; then
    echo "FAIL $1: the check did not say \"$4\":"
    printf '%s\n' "$output"
    status=1
  else
    echo "ok   $1"
  fi
}
planted "upward include" raster/outline.h '#include "font/text/layout.h"' \
  "font/raster/outline.h (raster) includes font/text/layout.h (text): not a room below"
planted "format includes format" cff/font.h '#include "font/truetype/font.h"' \
  "font/cff/font.h (cff) includes font/truetype/font.h (truetype): not a room below"
planted "file in no room" stray.h '#pragma once' "font/stray.h: in no room"
exit "$status"
