#!/bin/sh
# Gives the dylib's exported __dso_handle its name.
#
# The library exports __dso_handle, the object that identifies it to __cxa_atexit, in
# both forms. ld64.lld-14 defines a hidden ___dso_handle (the image header) in every
# image it links and offers no way around it: a second definition is a duplicate
# symbol, a weak one loses to the linker's, exporting the linker's is refused as hidden,
# -alias is not implemented and indirect symbols are not supported. So the library's
# object is linked under a stand-in name of the same length, ___dso_handlZ, and this
# step renames it in place: the last letter of the name in the export trie and in the
# string table. Same length means no offset, size or trie edge changes; the trie has no
# other name beginning with ___dso_handl, so the renamed edge cannot clash with a
# sibling. Fails unless it finds the name in both places.
# Usage: name_dso_handle.sh DYLIB
set -eu
dylib=$1
offsets=$(LC_ALL=C grep -obUaP 'so_handlZ\x00' "$dylib" | cut -d: -f1)
count=$(echo "$offsets" | grep -c . || true)
if [ "$count" -lt 2 ]; then
  echo "name_dso_handle: expected the stand-in name in the export trie and the string table of $dylib, found $count" >&2
  exit 1
fi
for offset in $offsets; do
  printf 'e' | dd of="$dylib" bs=1 seek=$((offset + 8)) conv=notrunc status=none
done
