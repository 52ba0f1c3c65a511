#!/usr/bin/env bash
# Installs the Debian packages the build, tests and demo need; skips what is present.
set -euo pipefail
packages=(
  clang-14 lld-14 llvm-14 libclang-rt-14-dev cmake ninja-build make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev libfreetype-dev libpng-dev
  fonts-dejavu-core fonts-dejavu-extra fonts-liberation2 fonts-noto-core fonts-urw-base35 t1utils
  fonts-linuxlibertine fonts-cantarell fonts-wqy-zenhei fonts-noto-cjk fonts-inter-variable
  libstb-dev
  clang-format python3 python3-fonttools
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
