#!/usr/bin/env bash
# `make install` of an existing build into a staging DESTDIR, then the installed tree used
# as a user would: the installed dvttf-render and dvttf-info run from another directory
# (and again after the whole tree is moved, so no build or staging path is baked in), and
# a fresh module built from docs/modules.md alone, by each of its recipes (plain lines,
# pkg-config, CMake) in both forms, against the installed headers and artifacts, runs with
# the installed dvttf-run.
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
  share/doc/dovrelttf/docs/modules.md share/doc/dovrelttf/examples/module/example_module.cpp \
  include/DovrelTTF/runtime.h lib/pkgconfig/dovrelttf.pc lib/cmake/DovrelTTF/DovrelTTFConfig.cmake; do
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

# A fresh module from docs/modules.md alone, built by each of its recipes against the
# installed tree: the plain compile and link lines (both forms), pkg-config and CMake.
doc=$prefix/share/doc/dovrelttf/docs/modules.md
block() { # the fenced block after the marker "<!-- module-test: $1"
  awk -v marker="<!-- module-test: $1" '
    index($0, marker) == 1 { found = 1; next }
    found && /^```/ { if (inside) exit; inside = 1; next }
    inside { print }' "$doc"
}
# recipe NAME BLOCK... : runs the marked build blocks in a fresh directory holding the
# module's source (and the CMake project); the modules they made run in the installed runner.
recipe() {
  local name=$1
  shift
  mkdir -p "$work/$name"
  cd "$work/$name" || exit 1
  block "source hello_module.cpp" >hello_module.cpp
  [ -s hello_module.cpp ] || fail "docs/modules.md has no marked module source"
  block "cmake CMakeLists.txt" >CMakeLists.txt
  for part in "$@"; do
    block "$part" >"build-$part.sh"
    if ! DVTTF_INCLUDE=$prefix/include DVTTF_LIB=$prefix/lib/dovrelttf DVTTF_PREFIX=$prefix \
      bash -e "build-$part.sh" >"build-$part.log" 2>&1; then
      fail "the documented $part lines did not build the module:"
      cat "build-$part.sh" "build-$part.log"
    fi
  done
  local modules
  modules=$(find . -name libhello_module.so -o -name hello_module.bundle | sort)
  [ "$(wc -l <<<"$modules")" -eq 2 ] || fail "the $name recipe made not both forms: $modules"
  for module in $modules; do
    expect 0 "rendered 82x38 with a font of $font_bytes bytes ($font_kib KiB)" \
      "$prefix/bin/dvttf-run" --files "$fonts" "$module" DejaVuSans.ttf Hello
    expect 1 "the font did not load" "$prefix/bin/dvttf-run" "$module" DejaVuSans.ttf Hello
    expect 0 "every name it binds to is exported by $prefix/lib/dovrelttf/" \
      "$prefix/bin/dvttf-run" --check "$module"
  done
}
# What the module prints through snprintf.
font_bytes=$(stat -c %s "$fonts/DejaVuSans.ttf")
font_kib=$((font_bytes / 1024))
recipe plain elf macho
recipe pkg-config pkg-config
recipe cmake cmake-build
# The README's module, built with pkg-config, runs.
mkdir -p "$work/readme"
cd "$work/readme" || exit 1
doc=$prefix/share/doc/dovrelttf/README.md block "source readme_module.cpp" >readme_module.cpp
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
if clang++-14 -std=c++20 -O2 -fPIC $(pkg-config --cflags dovrelttf) -c readme_module.cpp &&
  clang++-14 -shared -fuse-ld=lld -Wl,--no-undefined readme_module.o $(pkg-config --libs dovrelttf) \
    -o libreadme_module.so; then
  expect 0 "rendered 82x38" "$prefix/bin/dvttf-run" --files "$fonts" ./libreadme_module.so \
    DejaVuSans.ttf Hello
else
  fail "the README's module does not build"
fi
# The installed headers on their own compile (warnings as errors) in both forms.
cd "$work" || exit 1
for target in "" "--target=x86_64-apple-macos11"; do
  printf '#include "DovrelTTF.h"\n#include "DovrelTTF/runtime.h"\n' >headers.cpp
  clang++-14 $target -std=c++20 -ffreestanding -fno-builtin -nostdlibinc -nostdinc++ -Wall \
    -Wextra -Werror -pedantic -I "$prefix/include" -fsyntax-only headers.cpp ||
    fail "the installed headers do not compile on their own ($target)"
done

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
