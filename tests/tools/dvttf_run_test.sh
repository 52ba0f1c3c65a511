#!/usr/bin/env bash
# dvttf-run from the outside: the example module runs in both forms, and each way a
# module can fail to run gives its message and exit code (a halt, a name the library does
# not export, a library the machine does not have, the other form, no entry point, a
# missing module, bad options). The failing modules are built here with the compile and
# link lines of docs/modules.md.
# usage: dvttf_run_test.sh BUILD_DIR
set -u
build=$1
runner=$build/dvttf-run
elf=$build/libDovrelTTF.so
macho=$build/DovrelTTF.dylib
include=$(cd "$(dirname "$0")/../../include" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fonts=/usr/share/fonts/truetype/dejavu
failures=0
passes=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

compile_flags=(-std=c++20 -O2 -fPIC -ffreestanding -fno-builtin -nostdlibinc -nostdinc++
  -fno-stack-protector -fvisibility=hidden -fexceptions -fsjlj-exceptions -I "$include")

# module NAME SOURCE [EXTRA LINK FLAGS...]: builds $work/libNAME.so and $work/NAME.bundle.
module() {
  local name=$1 source=$2
  shift 2
  printf '%s\n' "$source" >"$work/$name.cpp"
  clang++-14 "${compile_flags[@]}" -c "$work/$name.cpp" -o "$work/$name.o" &&
    clang++-14 -shared -nostdlib -fuse-ld=lld -Wl,-z,noexecstack "$work/$name.o" \
      -L "$build" -lDovrelTTF -o "$work/lib$name.so" "$@" &&
    clang++-14 --target=x86_64-apple-macos11 -march=x86-64 "${compile_flags[@]}" \
      -c "$work/$name.cpp" -o "$work/$name.macho.o" &&
    ld64.lld-14 -bundle -arch x86_64 -platform_version macos 11.0 11.0 -U dyld_stub_binder \
      -U _not_in_the_library "$work/$name.macho.o" "$macho" -o "$work/$name.bundle" ||
    fail "cannot build the $name module"
}

entry='extern "C" [[gnu::visibility("default")]] int module_main(int, const char* const*)'
module halts "extern \"C\" [[noreturn]] void abort(); $entry { abort(); }"
module returns "$entry { return 42; }"
module binds_unknown "extern \"C\" void not_in_the_library(); $entry { not_in_the_library(); return 0; }"
module no_entry 'extern "C" [[gnu::visibility("default")]] int other_entry() { return 0; }'
# Linked without -nostdlib: the system's C and C++ libraries come along.
printf '%s\n' "$entry { return 0; }" >"$work/hosted.cpp"
clang++-14 -fPIC -shared "$work/hosted.cpp" -L "$build" -lDovrelTTF -o "$work/libhosted.so" ||
  fail "cannot build the hosted module"
printf 'not a module' >"$work/text.so"

# case_ CODE PATTERN ARGS...: dvttf-run's exit code, and text its output must contain.
case_() {
  local code=$1 pattern=$2
  shift 2
  output=$("$runner" "$@" 2>&1 </dev/null)
  status=$?
  if [ "$status" -ne "$code" ] || ! grep -qF -- "$pattern" <<<"$output"; then
    fail "dvttf-run $* -> exit $status, wanted $code and '$pattern'; output:"
    echo "$output"
  else
    passes=$((passes + 1))
  fi
}

for form in so bundle; do
  if [ $form = so ]; then
    lib() { echo "$work/lib$1.so"; }
    other=$macho
    other_name="a Mach-O image"
    own_name="an ELF shared object"
    example=$build/libdvexamplemodule.so
  else
    lib() { echo "$work/$1.bundle"; }
    other=$elf
    other_name="an ELF shared object"
    own_name="a Mach-O image"
    example=$build/dvexamplemodule.bundle
  fi
  # Runs, with the library of the module's own form found by default.
  case_ 0 "rendered 61x28, ink " --files "$fonts" "$example" DejaVuSans.ttf Hello
  case_ 1 "the font was refused" --files "$work" "$example" DejaVuSans.ttf Hello
  # A font that exists outside the served directory: the runner says why it was missing.
  case_ 1 "dvttf-run: $fonts/DejaVuSans.ttf was not found among the host's files: they are the files of $work (--files), named from there; give --files $fonts and the name DejaVuSans.ttf" \
    --files "$work" "$example" "$fonts/DejaVuSans.ttf" Hello
  case_ 3 "usage: MODULE FONT TEXT" "$example"
  case_ 42 "" "$(lib returns)"
  case_ 0 "needs only /lib/DovrelTTF.dylib, and every name it binds to is exported" \
    --check "$example"
  # The failures, each in words.
  case_ 124 "the machine halted in $(lib halts)" "$(lib halts)"
  case_ 126 "$(lib binds_unknown) binds to 1 name the library" "$(lib binds_unknown)"
  case_ 126 "does not export: not_in_the_library (docs/modules.md" --check "$(lib binds_unknown)"
  case_ 126 "$(lib no_entry) exports no module_main" "$(lib no_entry)"
  case_ 126 "$example is $own_name but the library $other is $other_name" \
    --library "$other" "$example" DejaVuSans.ttf Hello
done
case_ 126 "$work/libhosted.so needs libraries the boot environment does not have: libstdc++.so.6" \
  "$work/libhosted.so"
case_ 126 "$work/text.so is neither an ELF shared object nor a Mach-O image" "$work/text.so"
case_ 127 "module not found: $work/missing.so" "$work/missing.so"
case_ 127 "module not found: $work/missing.bundle" --files "$fonts" "$work/missing.bundle" x
case_ 125 "no MODULE given" --files "$fonts"
case_ 125 "unknown option '--bogus'" --bogus "$work/libreturns.so"
case_ 125 "Try 'dvttf-run --help' for the options." --bogus "$work/libreturns.so"
case_ 125 "--library needs a value" "--library"
case_ 125 "cannot load $work/text.so" --library "$work/text.so" "$work/libreturns.so"
# Options stop at MODULE: what follows is the module's.
case_ 3 "usage: MODULE FONT TEXT" "$build/libdvexamplemodule.so" --files x y z
case_ 0 "usage: dvttf-run [OPTION]... MODULE [ARG]..." --help

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
