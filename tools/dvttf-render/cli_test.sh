#!/usr/bin/env bash
# dvttf-render from the outside: option forms, text from standard input, the PNG on
# standard output, the warning for an image without ink, and the exit codes (0 written,
# 2 bad options, with one line and a hint to --help, 1 a font, library or file it cannot use).
# usage: cli_test.sh DVTTF_RENDER ELF_ARTIFACT [MACHO_ARTIFACT]
set -u
tool=$1
elf_library=$2
macho_library=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
passes=0
dejavu=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
nimbus=/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb
inter=/usr/share/fonts/truetype/inter-vf/Inter-roman.var.ttf

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# present TEST PACKAGE: true when the file or command TEST is there. Otherwise the cases
# that need it are skipped, naming the package to install, or in CI (CI=true) fail.
present() {
  if [ -e "$1" ] || command -v "$1" >/dev/null; then
    return 0
  fi
  if [ "${CI:-}" = true ]; then
    fail "$1 is missing, and CI=true requires it: install $2 (tools/install-deps.sh does)"
  else
    echo "SKIP: $1 is missing: install $2 (tools/install-deps.sh does)"
  fi
  return 1
}

# Runs the tool with the streams IO: standard input "none" (/dev/null), "closed", "nul"
# (a NUL byte among text), "tty" (a terminal, through script(1)), "<TEXT" (TEXT through a
# pipe) or "@FILE" (the file); or "no-stdout" (standard output closed). Sets output and
# status.
invoke() {
  local io=$1
  shift
  case $io in
  none) output=$("$tool" "$@" 2>&1 </dev/null) ;;
  closed) output=$("$tool" "$@" 2>&1 <&-) ;;
  nul) output=$(printf 'a\0b' | "$tool" "$@" 2>&1) ;;
  no-stdout) output=$("$tool" "$@" 2>&1 >&- </dev/null) ;;
  tty) output=$(script -qec "$(printf '%q ' "$tool" "$@")" /dev/null 2>&1 </dev/null) ;;
  \<*) output=$(printf '%s' "${io#<}" | "$tool" "$@" 2>&1) ;;
  @*) output=$("$tool" "$@" 2>&1 <"${io#@}") ;;
  esac
  status=$?
}

# case_ CODE IO PATTERN ARGS...: the exit code, and text the output must contain.
case_() {
  local code=$1 io=$2 pattern=$3
  shift 3
  invoke "$io" "$@"
  if [ "$status" -ne "$code" ] || ! grep -qF -- "$pattern" <<<"$output"; then
    fail "dvttf-render $* ($io) -> exit $status, wanted $code and '$pattern'; output:"
    echo "$output"
  else
    passes=$((passes + 1))
  fi
}

# same NAME STDIN ARGS...: the option spelling must give the reference image, written
# to $work/NAME.png (or captured from standard output when ARGS hold "-o -").
same() {
  local name=$1 stdin=$2
  shift 2
  local image="$work/$name.png"
  case $stdin in
  none) "$tool" "$@" </dev/null >"$work/$name.out" 2>"$work/$name.err" ;;
  \<*) printf '%s' "${stdin#<}" | "$tool" "$@" >"$work/$name.out" 2>"$work/$name.err" ;;
  esac
  status=$?
  [ -f "$image" ] || cp "$work/$name.out" "$image"
  if [ "$status" -ne 0 ] || ! cmp -s "$image" "$work/reference.png"; then
    fail "dvttf-render $* (stdin $stdin) -> exit $status, image differs from the reference"
    cat "$work/$name.err"
  else
    passes=$((passes + 1))
  fi
}

printf 'not a font' >"$work/text.ttf"
: >"$work/empty.ttf"
printf '\0\1\0\0\0\0' >"$work/bare.ttf"
printf 'ttcf\0\1\0\0' >"$work/collection.ttc"
printf 'OTTO\0\1\0\0' >"$work/cff.otf"
printf 'no library' >"$work/not-a-library.so"

# Bad options and missing text: 2 and the usage.
case_ 2 tty "no TEXT given"
case_ 2 tty "no TEXT given" --output "$work/a.png"
case_ 2 none "no TEXT given: standard input is empty"
case_ 2 closed "no TEXT given"
case_ 2 none "no TEXT given: standard input is empty" -
case_ 2 nul "the TEXT from standard input holds a NUL byte" -o "$work/nul.png"
case_ 2 none "the TEXT is empty" ""
case_ 2 none "give the TEXT as one argument" one two
case_ 2 none "give the TEXT as one argument" one -s 20 two
case_ 2 none "unknown option '--bold'" --bold Hi
case_ 2 none "unknown option '--bold'" --bold=yes Hi
case_ 2 none "unknown option '-q'" -q Hi
case_ 2 none "ambiguous option '--o' (--opacity, --output)" --o x Hi
case_ 2 none "option '--help' takes no value" --help=yes
case_ 2 none "--size needs a value" Hi --size
case_ 2 none "-s needs a value" Hi -s
case_ 2 none "--size wants a pixel size" --size abc Hi
case_ 2 none "--size wants a pixel size" --size=0 Hi
case_ 2 none "--size wants a pixel size" -snan Hi
case_ 2 none "--size wants a pixel size from 1 to 8192, not '8193' (beyond 8192 px even a character a quarter em wide" --size 8193 Hi
case_ 2 none "--size wants a pixel size from 1 to 8192" -s 10000 Hi
case_ 2 none "--color wants R,G,B" --color 1,2 Hi
case_ 2 none "--color wants R,G,B" -c 1,2,300 Hi
case_ 2 none "--color wants R,G,B" --color=1,2,3,4 Hi
case_ 2 none "--opacity wants a value" --opacity 256 Hi
case_ 2 none "--opacity wants a value" -a -1 Hi
# A refused option is one line and the hint to --help, not the whole usage.
for arguments in "--bold Hi" "--size abc Hi" ""; do
  invoke none $arguments
  if [ "$status" -ne 2 ] || [ "$(wc -l <<<"$output")" -ne 2 ] ||
    [ "$(tail -1 <<<"$output")" != "Try 'dvttf-render --help' for the options." ]; then
    fail "dvttf-render $arguments -> exit $status, wanted 2 and two lines ending in the hint:"
    echo "$output"
  else
    passes=$((passes + 1))
  fi
done
case_ 0 none "usage: dvttf-render" --help
case_ 0 none "usage: dvttf-render" Hi -h
case_ 0 none "dvttf-render (DovrelTTF) " --version

# Fonts, libraries and outputs it cannot use: 1 and a message.
case_ 1 none "font file not found: $work/missing.ttf" --font "$work/missing.ttf" Hi
case_ 1 none "font path is not a regular file" -f "$work" Hi
# A font the library refuses gets the reason dvttf-info gives.
case_ 1 none "cannot load font $work/text.ttf: not a font file the library reads (TrueType, OpenType CFF, a collection, or Type 1" \
  --font="$work/text.ttf" Hi
case_ 1 none "cannot load font $work/empty.ttf: not a font file the library reads (TrueType, OpenType CFF, a collection, or Type 1" \
  -f"$work/empty.ttf" Hi
case_ 1 none "cannot load font $work/bare.ttf: the library refuses it as a TrueType font" \
  -f "$work/bare.ttf" Hi
case_ 1 none "cannot load font $work/collection.ttc: it has no face 0 (0 faces)" \
  -f "$work/collection.ttc" Hi
case_ 1 none "cannot load font $work/collection.ttc: a font collection (ttcf)" \
  --standard -f "$work/collection.ttc" Hi
case_ 1 none "cannot load font $work/cff.otf: the library refuses it as an OpenType CFF font (a table it needs is missing, cut short or malformed)" \
  -f "$work/cff.otf" Hi
case_ 1 none "cannot load font $work/cff.otf: an OpenType font with CFF outlines" \
  --standard -f "$work/cff.otf" Hi
case_ 1 none "cannot write $work/no/such/dir.png" --output "$work/no/such/dir.png" Hi
case_ 1 none "cannot load $work/missing.so" --library "$work/missing.so" Hi
case_ 1 none "cannot load $work/not-a-library.so" --library="$work/not-a-library.so" Hi
case_ 1 none "is not a DovrelTTF library" --library "$(ldd "$tool" | awk '/libpng/ { print $3 }')" Hi
case_ 1 no-stdout "cannot write standard output" -o - Hi
case_ 1 tty "not writing a PNG to a terminal" -o - Hi

if present "$dejavu" fonts-dejavu-core; then
  # Every spelling of the same request draws the same bytes.
  "$tool" --output "$work/reference.png" --size 20 --color 200,10,10 --opacity 128 \
    $'Two\nlines' >/dev/null 2>&1
  if ! head -c 8 "$work/reference.png" | od -An -tx1 | grep -q '89 50 4e 47 0d 0a 1a 0a'; then
    fail "$work/reference.png is not a PNG"
  fi
  same short none -o "$work/short.png" -s 20 -c 200,10,10 -a 128 $'Two\nlines'
  same glued none -o"$work/glued.png" -s20 -c200,10,10 -a128 $'Two\nlines'
  same equals none --output="$work/equals.png" --size=20 --color=200,10,10 --opacity=128 \
    $'Two\nlines'
  same abbreviated none --out "$work/abbreviated.png" --si 20 --col 200,10,10 --opa 128 \
    $'Two\nlines'
  same text-first none $'Two\nlines' -s 20 -c 200,10,10 -a 128 -o "$work/text-first.png"
  same text-between none -s 20 $'Two\nlines' -c 200,10,10 -a 128 -o "$work/text-between.png"
  same font-named none -f "$dejavu" -s 20 -c 200,10,10 -a 128 -o "$work/font-named.png" \
    $'Two\nlines'
  same library-named none --library "$elf_library" -s 20 -c 200,10,10 -a 128 \
    -o "$work/library-named.png" $'Two\nlines'
  same stdin-implicit "<"$'Two\nlines\n' -s 20 -c 200,10,10 -a 128 \
    -o "$work/stdin-implicit.png"
  same stdin-dash "<"$'Two\nlines' -s 20 -c 200,10,10 -a 128 -o "$work/stdin-dash.png" -
  same stdout none -s 20 -c 200,10,10 -a 128 -o - $'Two\nlines'
  if [ -n "$macho_library" ] && [ -f "$macho_library" ]; then
    same macho-library none --library "$macho_library" -s 20 -c 200,10,10 -a 128 \
      -o "$work/macho-library.png" $'Two\nlines'
  fi

  # After `--` everything is TEXT, even what looks like an option.
  "$tool" -o "$work/dash-text.png" -- --size >/dev/null 2>&1
  case_ 0 none "$work/dash-text2.png: " -o "$work/dash-text2.png" -- --size
  if ! cmp -s "$work/dash-text.png" "$work/dash-text2.png" ||
    cmp -s "$work/dash-text.png" "$work/reference.png"; then
    fail "'-- --size' did not draw the text '--size'"
  fi

  # Written, and the size line on standard output (on stderr when the PNG is there).
  case_ 0 none "$work/ok.png: 47x48" -o "$work/ok.png" -s 20 $'Two\nlines'
  printf x | "$tool" -o - -s 20 >"$work/size.png" 2>"$work/size.err"
  if ! grep -q '^-: [0-9]*x[0-9]*$' "$work/size.err" || grep -q -- '-: ' "$work/size.png"; then
    fail "with -o - the size line must go to stderr alone: $(cat "$work/size.err")"
  fi

  # A refused render names the limit it went beyond, with the figures.
  head -c 600000 /dev/zero | tr '\0' 'a' >"$work/long.txt"
  perl -CO -e 'print map { chr } 0x4E00 .. 0x4E00 + 17000' >"$work/distinct.txt"
  head -c 450000 /dev/zero | tr '\0' '\n' >"$work/lines.txt"
  case_ 1 none "cannot render the text at 8000 px: the image would be 2543x9313 (23682959 pixels); a render draws at most" \
    -s 8000 -o "$work/big.png" .
  case_ 1 none "the image would be more than 2147483647 pixels" -s 1500 -o "$work/big.png" \
    "$(head -c 3000 /dev/zero | tr '\0' 'W')"
  case_ 1 "@$work/long.txt" "the text is 600000 bytes; a render takes at most" -o "$work/big.png"
  case_ 1 "@$work/distinct.txt" "the text has 17001 different characters; a render rasterizes at most" \
    -o "$work/big.png"
  case_ 1 "@$work/lines.txt" "its 450000 lines of 38 px make an image at least 17100000 pixels tall" \
    -o "$work/big.png"
  # Combining marks stack on one place: their bitmaps pass the limit before the image does.
  case_ 1 none "its glyphs' bitmaps would take" -s 3000 -o "$work/big.png" \
    "a$(perl -CO -e 'print map { chr } 0x300 .. 0x345')"

  # Characters the font does not map: a warning naming the first five and how many more.
  case_ 0 none "the font maps 3 of the text's characters to no glyph (they draw as .notdef): U+4E2D '中', U+6587 '文', U+5B57 '字'" \
    -o "$work/cjk.png" $'中文 a字\n中'
  case_ 0 none "maps 7 of the text's characters to no glyph (they draw as .notdef): U+4E00 '一', U+4E01 '丁', U+4E02 '丂', U+4E03 '七', U+4E04 '丄' and 2 more" \
    -o "$work/cjk.png" '一丁丂七丄丅丆'
  invoke none -o "$work/mapped.png" 'Grüße'
  if grep -q "to no glyph" <<<"$output"; then
    fail "a text the font maps drew the warning: $output"
  fi

  # Nothing visible: still written and 0, with the likely reason on stderr.
  case_ 0 none "nothing visible was drawn: an opacity below 1" -o "$work/w1.png" -a 0 Hi
  case_ 0 none "nothing visible was drawn: the text is only white space" -o "$work/w2.png" \
    $' \n '
  invoke none -o "$work/ink.png" Hi
  if grep -q "nothing visible" <<<"$output"; then
    fail "a visible image drew the warning: $output"
  fi
fi

if present "$dejavu" fonts-dejavu-core; then
  # Kerning is on by default and pulls A, V, T, o, W and a together; --no-kern draws each
  # advance as the font gives it (the last of --kern and --no-kern counts). --measure
  # prints the size the PNG would have and the first baseline's y (DejaVu Sans's ascent,
  # 1901 of 2048 units, rounded up at 32 px: 30), and writes nothing.
  kerned=$("$tool" -o "$work/kerned.png" "AVATAR To Wa" | sed 's/.*: //')
  plain=$("$tool" --no-kern -o "$work/plain.png" "AVATAR To Wa" | sed 's/.*: //')
  if [ -z "$kerned" ] || [ "$kerned" = "$plain" ]; then
    fail "kerning did not change the size of AVATAR To Wa ($kerned, $plain)"
  fi
  case_ 0 none "$kerned baseline 30" --measure -o "$work/unwritten.png" "AVATAR To Wa"
  [ ! -e "$work/unwritten.png" ] || fail "--measure wrote a PNG"
  case_ 0 none "$plain baseline 30" --measure --no-kern "AVATAR To Wa"
  case_ 0 none "$kerned baseline 30" --no-kern --kern --measure "AVATAR To Wa"
  case_ 1 none "cannot render the text at 4096 px" --measure -s 4096 "AVATAR To Wa"
  # --hinting moves edges onto whole rows only vertically: the image changes, its size and
  # baseline do not; --no-hinting (the default) draws the same image as no option.
  hinted=$("$tool" --hinting -s 12 -o "$work/hinted.png" "Menu item" | sed 's/.*: //')
  unhinted=$("$tool" -s 12 -o "$work/unhinted.png" "Menu item" | sed 's/.*: //')
  "$tool" --hinting --no-hinting -s 12 -o "$work/unhinted2.png" "Menu item" >/dev/null
  if [ -z "$hinted" ] || [ "$hinted" != "$unhinted" ]; then
    fail "hinting changed the size of the image ($hinted, $unhinted)"
  fi
  cmp -s "$work/hinted.png" "$work/unhinted.png" && fail "--hinting drew the unhinted image"
  cmp -s "$work/unhinted.png" "$work/unhinted2.png" || fail "--no-hinting is not the default"
  case_ 2 none "--hinting is an option of the extended loader" --standard --hinting Hi
fi

if present "$nimbus" fonts-urw-base35; then
  case_ 0 none "$work/t1.png: " --font "$nimbus" --output "$work/t1.png" --size 30 Hi
  case_ 0 none "names its glyphs through StandardEncoding" --standard -f "$nimbus" \
    -o "$work/t1.png" Hello
  # With explicit encoding entries (as the Type 1 sample has them) the render must show
  # ink: an image without ink is byte for byte the one drawn at opacity 0.
  encoder=$(dirname "$0")/../samples/encode-type1.sh
  if present t1disasm t1utils && "$encoder" "$nimbus" "$work/ascii.pfb"; then
    case_ 0 none "$work/t1.png: " -f "$work/ascii.pfb" -o "$work/t1.png" -s 30 Hi
    case_ 0 none "$work/clear.png: " -f "$work/ascii.pfb" -o "$work/clear.png" -s 30 -a 0 Hi
    if cmp -s "$work/t1.png" "$work/clear.png"; then
      fail "the Type 1 render of Hi has no ink"
    fi
  fi
fi

# OpenType CFF and collections through the extended loader; --standard is the five
# functions alone, which refuse both; --face picks a collection's face.
otf=/usr/share/fonts/opentype/urw-base35/NimbusSans-Regular.otf
ttc=/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc
if present "$otf" fonts-urw-base35; then
  case_ 0 none "$work/otf.png: " -f "$otf" -o "$work/otf.png" -s 30 Hello
  case_ 0 none "$work/clear-otf.png: " -f "$otf" -o "$work/clear-otf.png" -s 30 -a 0 Hello
  if cmp -s "$work/otf.png" "$work/clear-otf.png"; then
    fail "the OpenType CFF render of Hello has no ink"
  fi
  case_ 1 none "which only the extended loader's CFF option reads" --standard -f "$otf" \
    -o "$work/otf.png" Hello
fi
if present "$ttc" fonts-wqy-zenhei; then
  case_ 0 none "$work/ttc0.png: " -f "$ttc" -o "$work/ttc0.png" -s 30 "Hello 中文"
  case_ 0 none "$work/ttc1.png: " -f "$ttc" --face 1 -o "$work/ttc1.png" -s 30 "Hello 中文"
  if cmp -s "$work/ttc0.png" "$work/ttc1.png"; then
    fail "faces 0 and 1 of $ttc drew the same image"
  fi
  case_ 1 none "it has no face 3 (3 faces)" -f "$ttc" --face 3 -o "$work/ttc.png" Hello
  case_ 1 none "a font collection (ttcf)" --standard -f "$ttc" -o "$work/ttc.png" Hello
  case_ 2 none "--face wants a face number from 0 to 65535, not 'x'" --face x Hello
fi

# Laid-out text: fallback fonts, wrapping, alignment, line gap and the ellipsis.
case_ 2 none "--width wants a line width from 1 to 1000000 px, not '0'" --width 0 Hi
case_ 2 none "--width wants a line width" --width 12.5 Hi
case_ 2 none "--align wants left, centre or right, not 'middle'" --align middle Hi
case_ 2 none "--line-gap wants pixels from 0 to 1000000, not '-1'" --line-gap -1 Hi
case_ 2 none "--ellipsis needs --width" --ellipsis Hi
case_ 2 none "which --standard leaves out" --standard --width 100 Hi
case_ 1 none "fallback font file not found: $work/missing.ttf" --fallback "$work/missing.ttf" Hi
if present "$dejavu" fonts-dejavu-core; then
  # A width no image may have: the refusal says so rather than blaming the heap.
  case_ 1 none "it is at least the --width of 1000000 px wide" -o "$work/wide.png" --width 1000000 Hi
fi
if present "$dejavu" fonts-dejavu-core; then
  # Lines 24 px tall at 20 px; "aa bb" fits a 60 px column, so four words make two
  # lines; the gap adds its pixels between them; the options left at their defaults change
  # nothing of the plain render.
  words='aa bb cc dd'
  plain=$("$tool" --measure -s 20 "$words" | cut -d' ' -f1)
  case_ 0 none "60x48 baseline 19" --measure -s 20 --width 60 "$words"
  case_ 0 none "60x51 baseline 19" --measure -s 20 --width 60 --line-gap 3 "$words"
  case_ 0 none "$plain baseline 19" --measure -s 20 --align left --line-gap 0 "$words"
  "$tool" -s 20 -o "$work/layout-left.png" --width 200 Hi >/dev/null 2>&1
  "$tool" -s 20 -o "$work/layout-right.png" --width 200 --align right Hi >/dev/null 2>&1
  "$tool" -s 20 -o "$work/layout-centre.png" --width 200 --align centre Hi >/dev/null 2>&1
  if cmp -s "$work/layout-left.png" "$work/layout-right.png" ||
    cmp -s "$work/layout-left.png" "$work/layout-centre.png" ||
    cmp -s "$work/layout-centre.png" "$work/layout-right.png"; then
    fail "--align left, centre and right drew the same image"
  fi
  # The ellipsis keeps a long line to the width, on one line; without it the words wrap
  # onto four lines.
  case_ 0 none "80x24 baseline 19" --measure -s 20 --width 80 --ellipsis "a rather long entry"
  case_ 0 none "80x98 baseline 19" --measure -s 20 --width 80 "a rather long entry"
fi
if present "$dejavu" fonts-dejavu-core && present "$ttc" fonts-wqy-zenhei; then
  # A CJK fallback draws what DejaVu Sans lacks: no warning, and unlike without it.
  case_ 0 none "$work/chain.png: " -o "$work/chain.png" --fallback "$ttc" -s 30 "Hello, 世界"
  if grep -q "to no glyph" <<<"$output"; then
    fail "the fallback's characters were counted as unmapped: $output"
  fi
  # --measure gives the laid-out image's size, for every option of the layout.
  for layout in "--width 90" "--width 90 --align right --line-gap 5" "--width 90 --ellipsis"; do
    # shellcheck disable=SC2086 # the options are words
    drawn=$("$tool" -o "$work/sized.png" --fallback "$ttc" -s 30 $layout "Hello, 世界" | sed 's/.*: //')
    [ -n "$drawn" ] || fail "no image for the layout $layout"
    # shellcheck disable=SC2086
    case_ 0 none "$drawn baseline " --measure --fallback "$ttc" -s 30 $layout "Hello, 世界"
  done
  "$tool" -o "$work/alone.png" -s 30 "Hello, 世界" >/dev/null 2>&1
  cmp -s "$work/chain.png" "$work/alone.png" && fail "the fallback font changed nothing"
  case_ 0 none "the fonts map 1 of the text's characters to no glyph (they draw as .notdef): U+E000" \
    -o "$work/unmapped.png" --fallback "$ttc" $'世\uE000'
  # Fonts in different directories, named through "..".
  case_ 0 none "$work/dotdot.png: " -o "$work/dotdot.png" --fallback "$(dirname "$ttc")/../wqy/wqy-zenhei.ttc" \
    -s 30 "Hello, 世界"
  cmp -s "$work/dotdot.png" "$work/chain.png" || fail "a fallback named through '..' drew otherwise"
  # The fallback's face is 0 whatever --face the main font gets.
  case_ 0 none "$work/chain-face.png: " -o "$work/chain-face.png" -f "$ttc" --face 1 \
    --fallback "$dejavu" -s 30 "Ωμέγα 世"
fi

# Variable fonts: --var picks the instance; the default spelled out draws the default, and
# a tag the font lacks, a malformed list or a static font is refused with the reason.
if present "$inter" fonts-inter-variable; then
  "$tool" -f "$inter" -o "$work/inter.png" Hamburg >/dev/null 2>&1
  case_ 0 none "$work/inter-400.png: " -f "$inter" --var wght=400 -o "$work/inter-400.png" Hamburg
  case_ 0 none "$work/inter-800.png: " -f "$inter" --var 'wght=800' -o "$work/inter-800.png" Hamburg
  cmp -s "$work/inter.png" "$work/inter-400.png" || fail "--var wght=400 is not Inter's default"
  cmp -s "$work/inter.png" "$work/inter-800.png" && fail "--var wght=800 changed nothing"
  case_ 1 none "--var 'wdth=75' does not apply" -f "$inter" --var wdth=75 -o "$work/x.png" Hi
  case_ 1 none "--var 'wght:700' does not apply" -f "$inter" --var wght:700 -o "$work/x.png" Hi
fi
if present "$dejavu" fonts-dejavu-core; then
  case_ 1 none "the font has no variations" --var wght=700 -o "$work/x.png" Hi
fi

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
