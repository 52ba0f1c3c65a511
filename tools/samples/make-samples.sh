#!/usr/bin/env bash
# The commands behind every image in docs/: renders each into OUT_DIR (docs/ itself for
# `make samples`; a scratch directory for the check that docs/ is reproduced).
# usage: make-samples.sh DVTTF_RENDER OUT_DIR
set -euo pipefail
render=$1
out=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# docs/sample.png: DejaVu Sans (the default font) at 30 px in blue.
"$render" --size 30 --color 20,60,150 --output "$out/sample.png" \
  $'DovrelTTF renders UTF-8 text — Grüße, Ωμέγα, Жар-птица, € ½\nwith DejaVu Sans at 30 px: “fi fl” {[(j, g; y)]} 0123456789'

# docs/kerning-off.png and docs/kerning-on.png: one line in Liberation Serif at 48 px,
# without pair kerning (--no-kern, as the standard loaders lay text out) and with it (the
# extended loader's kerning option, dvttf-render's default), from the font's GPOS table.
kerning_line='AVATAR To Wa LT Yo F. P, r. “Ty”'
"$render" --font /usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf --size 48 \
  --no-kern --output "$out/kerning-off.png" "$kerning_line"
"$render" --font /usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf --size 48 \
  --kern --output "$out/kerning-on.png" "$kerning_line"

# docs/sample-type1.png: NimbusSans from fonts-urw-base35 with explicit ASCII encoding
# entries, at 48 px; the letters are those whose charstrings are straight lines only.
"$here/encode-type1.sh" /usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb "$work/NimbusSans-ascii.pfb"
"$render" --font "$work/NimbusSans-ascii.pfb" --size 48 --output "$out/sample-type1.png" \
  'AVAIL HIM LEFT KWYZ'

# docs/contact-type1.png: NimbusRoman from fonts-urw-base35 read in full (the extended
# loader's complete Type 1 option), U+0020 to U+017F at 32 px, by the contact-sheet tool
# built beside dvttf-render: curves, flex, hint replacement and seac-built accented letters,
# each code point finding its glyph by name although the font is on StandardEncoding.
"$(dirname "$render")/glyph_contact_sheet" /usr/share/fonts/X11/Type1/NimbusRoman-Regular.pfb \
  "$out/contact-type1.png" 32 0x20 0x17F

# docs/contact-cff.png: NimbusRoman as OpenType with CFF outlines (fonts-urw-base35's .otf,
# the extended loader's CFF option), U+0020 to U+017F at 32 px: Type 2 charstrings with
# their subroutines, flex and hint masks.
"$(dirname "$render")/glyph_contact_sheet" /usr/share/fonts/opentype/urw-base35/NimbusRoman-Regular.otf \
  "$out/contact-cff.png" 32 0x20 0x17F

# docs/contact-collection.png: the first face of WenQuanYi Zen Hei (fonts-wqy-zenhei), a
# TrueType collection read through the extended loader's collection option, U+4E00 to
# U+4E7F at 32 px.
"$(dirname "$render")/glyph_contact_sheet" /usr/share/fonts/truetype/wqy/wqy-zenhei.ttc \
  "$out/contact-collection.png" 32 0x4E00 0x4E7F
