#!/usr/bin/env bash
# Exit codes and messages of dvttf-render: 0 and the image size on success, 2 with the
# usage for bad options, 1 with a clear message for fonts and files it cannot use.
set -u
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
passes=0

# expect CODE PATTERN ARGS...: the exit code, and a pattern the output must contain.
expect() {
  local code=$1 pattern=$2
  shift 2
  local output status
  output=$("$tool" "$@" 2>&1)
  status=$?
  if [ "$status" -ne "$code" ] || ! grep -qF -- "$pattern" <<<"$output"; then
    echo "FAIL: dvttf-render $* -> exit $status, wanted $code and '$pattern'; output:"
    echo "$output"
    failures=$((failures + 1))
  else
    passes=$((passes + 1))
  fi
}

printf 'not a font' >"$work/text.ttf"
: >"$work/empty.ttf"

expect 2 "no TEXT given"
expect 2 "no TEXT given" --output "$work/a.png"
expect 2 "the TEXT is empty" ""
expect 2 "give the TEXT as one argument" one two
expect 2 "unknown option '--bold'" --bold Hi
expect 2 "--size needs a value" Hi --size
expect 2 "--size wants a pixel size" --size abc Hi
expect 2 "--size wants a pixel size" --size 0 Hi
expect 2 "--size wants a pixel size" --size nan Hi
expect 2 "--color wants R,G,B" --color 1,2 Hi
expect 2 "--color wants R,G,B" --color 1,2,300 Hi
expect 2 "--color wants R,G,B" --color 1,2,3,4 Hi
expect 2 "--opacity wants a value" --opacity 256 Hi
expect 2 "--opacity wants a value" --opacity -1 Hi
expect 0 "usage: dvttf-render" --help
expect 1 "font file not found: $work/missing.ttf" --font "$work/missing.ttf" Hi
expect 1 "font path is not a regular file" --font "$work" Hi
expect 1 "cannot load font $work/text.ttf" --font "$work/text.ttf" Hi
expect 1 "cannot load font $work/empty.ttf" --font "$work/empty.ttf" Hi
expect 1 "cannot write $work/no/such/dir.png" --output "$work/no/such/dir.png" Hi
expect 1 "too large to render" --size 10000 "$(head -c 3000 /dev/zero | tr '\0' 'W')"

if [ -f /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf ]; then
  expect 0 "$work/ok.png: " --output "$work/ok.png" --size 20 --color 200,10,10 \
    --opacity 128 $'Two\nlines'
  if ! head -c 8 "$work/ok.png" | od -An -tx1 | grep -q '89 50 4e 47 0d 0a 1a 0a'; then
    echo "FAIL: $work/ok.png is not a PNG"
    failures=$((failures + 1))
  fi
fi

# The URW fonts declare StandardEncoding, which the library does not read, so H gets an
# explicit entry: the render must then show ink. An image without ink is byte for byte
# the one drawn at opacity 0.
type1=/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb
if [ -f "$type1" ] && command -v t1disasm >/dev/null; then
  t1disasm "$type1" |
    sed 's|^/Encoding StandardEncoding def|/Encoding 256 array 0 1 255 {1 index exch /.notdef put} for dup 72 /H put readonly def|' |
    t1asm -b >"$work/h.pfb"
  expect 0 "$work/t1.png: " --font "$work/h.pfb" --output "$work/t1.png" --size 30 H
  expect 0 "$work/clear.png: " --font "$work/h.pfb" --output "$work/clear.png" --size 30 \
    --opacity 0 H
  if cmp -s "$work/t1.png" "$work/clear.png"; then
    echo "FAIL: the Type 1 render of H has no ink"
    failures=$((failures + 1))
  fi
fi

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
