#!/bin/sh
# Fails when a file of font/ includes a file of a room above its own, or of another room
# on its own level (the outline formats are such rooms: none includes another), or when a
# file of font/ belongs to no room. The rooms, from the bottom (docs/architecture.md):
#   1 interface   the backend interface, glyph bitmaps, budget, limits, load options
#   2 raster      outlines to coverage, the glyph pipeline
#   3 hinting     light hinting of outlines
#   4 sfnt        the sfnt layer and the sfnt backend
#   5 truetype, cff, type1   the outline formats
#   6 handle      the font handle
#   7 text        layout, rendering, surfaces, fallbacks
#   8 loader      format sniffing and loading
#   9 entry       the exported functions
# Usage: check_font_rooms.sh SOURCE_DIR
set -eu
root=$1
cd "$root"

# The room and level of a path under font/, or nothing.
room_of() {
  case $1 in
  font/backend.h | font/backend.cpp | font/glyph_bitmap.h | font/glyph_budget.h | \
    font/glyph_limits.h | font/render_limits.h | font/load_options.h | \
    font/variation_sequence.h | font/font_bytes.h) echo "1 interface" ;;
  font/raster/*) echo "2 raster" ;;
  font/hinting/*) echo "3 hinting" ;;
  font/sfnt/*) echo "4 sfnt" ;;
  font/truetype/*) echo "5 truetype" ;;
  font/cff/*) echo "5 cff" ;;
  font/type1/*) echo "5 type1" ;;
  font/font_handle.h) echo "6 handle" ;;
  font/text/*) echo "7 text" ;;
  font/loader.h | font/loader.cpp) echo "8 loader" ;;
  font/entry_points.* | font/variation_entry_points.* | font/variation_settings.*) echo "9 entry" ;;
  esac
}

status=0
files=$(find font -name '*.h' -o -name '*.cpp' | LC_ALL=C sort)
for file in $files; do
  from=$(room_of "$file")
  if [ -z "$from" ]; then
    echo "$file: in no room (add it to tools/check_font_rooms.sh and docs/architecture.md)"
    status=1
    continue
  fi
  for included in $(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\(font\/[^"]*\)".*/\1/p' "$file"); do
    to=$(room_of "$included")
    [ -n "$to" ] || continue
    [ "$from" = "$to" ] && continue
    if [ "${to%% *}" -ge "${from%% *}" ]; then
      echo "$file (${from#* }) includes $included (${to#* }): not a room below"
      status=1
    fi
  done
done
[ "$status" -eq 0 ] && echo "every include of font/ goes to its own room or one below ($(echo "$files" | wc -l) files)"
exit "$status"
