#!/usr/bin/env bash
# Copies a Type 1 font that names its glyphs through StandardEncoding into a PFB with
# explicit /Encoding entries for printable ASCII (codes 32 to 126), which the library
# maps. Uses t1utils: t1disasm to the readable program, the encoding line replaced,
# t1asm back to PFB. Names the font has no charstring for are left out.
# usage: encode-type1.sh FONT.pfb OUT.pfb
set -euo pipefail
font=$1
out=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The glyph names of codes 32 to 126, ASCII's own characters (quotesingle and grave where
# StandardEncoding has the typographic quotes).
names=(space exclam quotedbl numbersign dollar percent ampersand quotesingle parenleft
  parenright asterisk plus comma hyphen period slash zero one two three four five six seven
  eight nine colon semicolon less equal greater question at A B C D E F G H I J K L M N O P
  Q R S T U V W X Y Z bracketleft backslash bracketright asciicircum underscore grave a b c
  d e f g h i j k l m n o p q r s t u v w x y z braceleft bar braceright asciitilde)

t1disasm "$font" >"$work/font.txt"
grep -q '^/Encoding StandardEncoding def' "$work/font.txt" ||
  { echo "encode-type1.sh: $font does not declare StandardEncoding" >&2; exit 1; }

{
  echo "/Encoding 256 array"
  echo "0 1 255 {1 index exch /.notdef put} for"
  for i in "${!names[@]}"; do
    if grep -q "^/${names[$i]} {" "$work/font.txt"; then
      echo "dup $((32 + i)) /${names[$i]} put"
    fi
  done
  echo "readonly def"
} >"$work/encoding.txt"

awk -v encoding="$work/encoding.txt" '
  $0 == "/Encoding StandardEncoding def" { while ((getline line < encoding) > 0) print line; next }
  { print }' "$work/font.txt" >"$work/encoded.txt"
t1asm --pfb "$work/encoded.txt" "$out"
