#!/usr/bin/env bash
# Fails when a test, tool or sample names a Debian package to install that
# tools/install-deps.sh does not install, so a new dependency cannot land without its
# install step. The names are read where the tree says what is missing:
#   - the package argument of DV_MISSING_PACKAGE (tests/support/required_package.h),
#   - the directory-to-package table of dvtest::package_of,
#   - `present FILE PACKAGE` in the shell tests,
#   - the packages behind the commands the tests run (COMMAND_PACKAGES below).
set -euo pipefail
cd "$(dirname "$0")/.."

# Commands the tests and tools start by name, with the package that installs each.
COMMAND_PACKAGES="t1ascii:t1utils t1disasm:t1utils python3:python3"

mapfile -t script_packages < <(
  sed -n '/^packages=(/,/^)/p' tools/install-deps.sh | sed '1d;$d' | tr ' ' '\n' | sed '/^$/d')

sources=$(git ls-files 'tests' 'tools' 'fuzz' 'bench' 'examples' | grep -E '\.(cpp|h|sh)$' | grep -v '^tools/check_deps_listed.sh$')
named=$(
  {
    # DV_MISSING_PACKAGE(what, "package"): the last string literal of the call.
    for f in $sources; do
      tr '\n' ' ' <"$f" | grep -oP 'DV_MISSING_PACKAGE\((?:[^;](?!DV_MISSING_PACKAGE))*?"\K[a-z0-9][a-z0-9+.-]+(?="\s*\)\s*;)' || true
    done
    # {"/usr/share/fonts/...", "package"} rows of package_of.
    grep -hoP '\{"/usr/share/[^"]*",\s*"\K[a-z0-9][a-z0-9+.-]+(?=")' $sources || true
    # present "$file" package
    grep -hoP '\bpresent\s+\S+\s+\K[a-z0-9][a-z0-9+.-]+' $(echo "$sources" | grep '\.sh$') || true
    for pair in $COMMAND_PACKAGES; do
      command=${pair%%:*}
      if grep -qE "\\b$command\\b" $sources; then
        echo "${pair##*:}"
      fi
    done
  } | sort -u
)

# A pattern that stops matching would let every package through: insist on the ones the
# tests are known to name.
for expected in fonts-dejavu-core fonts-urw-base35 python3-fonttools t1utils; do
  if ! grep -qx "$expected" <<<"$named"; then
    echo "FAIL: check_deps_listed.sh no longer finds $expected among the packages the tests name"
    exit 1
  fi
done

status=0
for package in $named; do
  if ! printf '%s\n' "${script_packages[@]}" | grep -qx "$package"; then
    echo "FAIL: the tests name $package, which tools/install-deps.sh does not install"
    status=1
  fi
done
[ $status -eq 0 ] && echo "every package the tests name ($(wc -w <<<"$named")) is in tools/install-deps.sh"
exit $status
