#!/usr/bin/env bash
# `make install` of an existing build into a staging DESTDIR, then the installed tree used
# as a user would: the installed dvttf-render and dvttf-info run from another directory
# (and again after the whole tree is moved, so no build or staging path is baked in), and
# a fresh module built from the compile and link lines of docs/modules.md alone, in both
# forms, against the installed header and artifacts, runs with the installed dvttf-run.
# usage: install_test.sh SOURCE_DIR BUILD_DIR (BUILD_DIR configured and built from SOURCE_DIR)
set -u
source_dir=$(cd "$1" && pwd)
build_dir=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
passes=0
fonts=/usr/share/fonts/truetype/dejavu

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# expect CODE PATTERN COMMAND...: the exit code, and text the output must contain.
expect() {
  local code=$1 pattern=$2
  shift 2
  output=$("$@" 2>&1 </dev/null)
  status=$?
  if [ "$status" -ne "$code" ] || ! grep -qF -- "$pattern" <<<"$output"; then
    fail "$* -> exit $status, wanted $code and '$pattern'; output:"
    echo "$output"
  else
    passes=$((passes + 1))
  fi
}

# The installation, through the Makefile's target that `make install` ends with, of the
# build the other tests ran.
if ! make -C "$source_dir" install-built BUILD="$build_dir" PREFIX=/usr/local \
  DESTDIR="$work/stage" >"$work/install.log" 2>&1; then
  tail -30 "$work/install.log"
  echo "FAIL: make install"
  exit 1
fi
prefix=$work/stage/usr/local
for file in include/DovrelTTF.h lib/dovrelttf/libDovrelTTF.so lib/dovrelttf/DovrelTTF.dylib \
  bin/dvttf-render bin/dvttf-info bin/dvttf-run share/doc/dovrelttf/README.md \
  share/doc/dovrelttf/docs/modules.md share/doc/dovrelttf/examples/module/example_module.cpp; do
  [ -f "$prefix/$file" ] || fail "make install left no $file"
done
if strings "$prefix/bin/dvttf-render" | grep -qF "$build_dir/libDovrelTTF.so"; then
  fail "dvttf-render names the build's artifact"
fi

# The installed tools from another directory: they find the installed artifact.
mkdir -p "$work/elsewhere"
cd "$work/elsewhere" || exit 1
expect 0 "out.png: " "$prefix/bin/dvttf-render" Hello
[ -s out.png ] || fail "the installed dvttf-render wrote no out.png in the current directory"
expect 0 "format: TrueType" "$prefix/bin/dvttf-info" "$fonts/DejaVuSans.ttf"
mv "$work/stage" "$work/moved"
prefix=$work/moved/usr/local
expect 0 "moved.png: " "$prefix/bin/dvttf-render" -o moved.png Hello
cmp -s out.png moved.png || fail "the moved installation drew another image"

# A fresh module from docs/modules.md alone: the marked source and build blocks.
doc=$prefix/share/doc/dovrelttf/docs/modules.md
block() { # the fenced block after the marker "<!-- module-test: $1"
  awk -v marker="<!-- module-test: $1" '
    index($0, marker) == 1 { found = 1; next }
    found && /^```/ { if (inside) exit; inside = 1; next }
    inside { print }' "$doc"
}
mkdir -p "$work/fresh"
cd "$work/fresh" || exit 1
block "source hello_module.cpp" >hello_module.cpp
for form in elf macho; do
  block $form >build-$form.sh
  if ! DVTTF_INCLUDE=$prefix/include DVTTF_LIB=$prefix/lib/dovrelttf bash -e build-$form.sh \
    >build-$form.log 2>&1; then
    fail "the documented $form lines did not build the module:"
    cat build-$form.sh build-$form.log
  fi
done
[ -s hello_module.cpp ] || fail "docs/modules.md has no marked module source"
for module in ./libhello_module.so ./hello_module.bundle; do
  expect 0 "rendered" "$prefix/bin/dvttf-run" --files "$fonts" "$module" DejaVuSans.ttf Hello
  expect 1 "the font did not load" "$prefix/bin/dvttf-run" "$module" DejaVuSans.ttf Hello
  expect 0 "every name it binds to is exported by $prefix/lib/dovrelttf/" \
    "$prefix/bin/dvttf-run" --check "$module"
done

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
