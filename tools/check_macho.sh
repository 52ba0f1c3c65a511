#!/bin/sh
# Checks the Mach-O form of the library: a 64-bit x86-64 dylib whose install name is
# /lib/DovrelTTF.dylib, that needs no symbol from outside, and whose export trie holds
# exactly the names of the export list (each with the Mach-O underscore) in both
# directions.
# Usage: check_macho.sh DYLIB EXPORT_LIST
set -eu
dylib=$1
list=$2
expected=$(mktemp)
actual=$(mktemp)
trap 'rm -f "$expected" "$actual"' EXIT
status=0

# Header: magic, cputype, filetype as llvm-otool prints them (MH_MAGIC_64, X86_64, DYLIB).
header=$(llvm-otool-14 -hv "$dylib" | awk 'NR == 3 {print $1, $2, $5}')
if [ "$header" != "MH_MAGIC_64 X86_64 DYLIB" ]; then
  echo "not a Mach-O 64-bit x86_64 dylib: header says '$header'"
  status=1
fi

install_name=$(llvm-otool-14 -D "$dylib" | tail -n +2)
if [ "$install_name" != "/lib/DovrelTTF.dylib" ]; then
  echo "install name is '$install_name', expected /lib/DovrelTTF.dylib"
  status=1
fi

undefined=$(llvm-nm-14 -u "$dylib")
if [ -n "$undefined" ]; then
  echo "dylib needs symbols from outside:"
  echo "$undefined"
  status=1
fi

grep -v '^[[:space:]]*#' "$list" | sed -e 's/[[:space:]]//g' -e '/^$/d' -e 's/^/_/' |
  LC_ALL=C sort -u > "$expected"
llvm-objdump-14 --macho --exports-trie "$dylib" | awk '/^0x/ {print $2}' |
  LC_ALL=C sort -u > "$actual"
if ! diff -u "$expected" "$actual" > /dev/null; then
  echo "export list and dylib differ (- listed only, + exported only):"
  diff -u "$expected" "$actual" | grep '^[-+][^-+]' || true
  status=1
fi

[ "$status" -eq 0 ] &&
  echo "Mach-O x86_64 dylib /lib/DovrelTTF.dylib, exports match ($(wc -l < "$expected") symbols), nothing undefined"
exit "$status"
