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

# docs/boot-menu.png: a boot-menu panel as a module draws it, DejaVu Sans for the interface
# with the first face of WenQuanYi Zen Hei as the fallback for Chinese and Japanese: a
# centred title, the entries (the selected one on a bar; a long path shortened with "…" to
# the column's 560 px), and a help paragraph wrapped to 540 px and centred. Each block is
# one dvttf-render call; compose-panel.py lays them onto the panel's background with the
# library's blending formula for opaque surfaces.
cjk=/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc
"$render" --fallback "$cjk" --size 26 --color 255,255,255 --width 600 --align centre \
  --output "$work/title.png" 'Boot menu · 启动菜单' >/dev/null
"$render" --fallback "$cjk" --size 20 --color 16,32,64 --width 560 --ellipsis \
  --output "$work/selected.png" 'DovrelOS 2.4 (默认)' >/dev/null
"$render" --fallback "$cjk" --size 20 --color 230,230,230 --width 560 --ellipsis \
  --line-gap 8 --output "$work/entries.png" \
  $'DovrelOS 2.4 — recovery mode / 恢复模式\n/EFI/tools/ファームウェア更新/firmware-update-2026-12-01-with-a-long-file-name.efi\nFirmware settings' >/dev/null
"$render" --fallback "$cjk" --size 16 --color 170,185,210 --width 540 --align centre \
  --line-gap 3 --output "$work/help.png" \
  'Use ↑ and ↓ to choose an entry and Enter to start it; E edits its boot parameters. 用方向键选择条目，按 Enter 键启动，按 E 键编辑启动参数。' >/dev/null
python3 "$here/compose-panel.py" "$out/boot-menu.png" 640 320 16,32,64 \
  "$work/title.png@centre,16" rect@40,62,560,1,90,110,150 rect@32,76,576,34,200,215,240 \
  "$work/selected.png@40,79" "$work/entries.png@40,118" rect@40,228,560,1,90,110,150 \
  "$work/help.png@centre,240"

# docs/hinting.png: a menu line in DejaVu Sans at 10 to 16 px, unhinted (left, the
# library's default) and with light hinting (right, the extended loader's hinting option,
# dvttf-render --hinting), each pixel enlarged four times so that the rows show: hinted,
# the baseline, the x-height and the bars of e, t, f and H fall on whole rows.
pairs=()
for size in 10 11 12 13 14 15 16; do
  "$render" --size "$size" --no-hinting --output "$work/unhinted-$size.png" \
    'Boot the default entry (Hefty 0.9)' >/dev/null
  "$render" --size "$size" --hinting --output "$work/hinted-$size.png" \
    'Boot the default entry (Hefty 0.9)' >/dev/null
  pairs+=("$work/unhinted-$size.png,$work/hinted-$size.png")
done
python3 "$here/enlarge-pairs.py" "$out/hinting.png" 4 "${pairs[@]}"
