#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine, skipping what is there.
# Safe to run again; needs root or sudo only when something is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang-14 libclang-rt-14-dev googletest
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine wine64 wine32:i386 xvfb x11-utils imagemagick locales file
  fonts-liberation fonts-wqy-microhei fonts-noto-core fonts-thai-tlwg
  python3 python3-pefile osslsigncode openssl unzip
  clang-tidy-14 cppcheck
)
# Locales the tests run the prompt under (Wine takes the UI language from LANG).
locales=(en_US.UTF-8 de_DE.UTF-8 sv_SE.UTF-8 is_IS.UTF-8)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  as_root env DEBIAN_FRONTEND=noninteractive timeout 900 apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive timeout 1800 \
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

need_gen=0
for l in "${locales[@]}"; do
  norm=$(echo "$l" | sed 's/UTF-8/utf8/')
  locale -a 2>/dev/null | grep -qx "$norm" && continue
  need_gen=1
  as_root sed -i "s/^# *\($l UTF-8\)/\1/" /etc/locale.gen
  grep -q "^$l UTF-8" /etc/locale.gen || echo "$l UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
done
if [ $need_gen -eq 1 ]; then
  as_root timeout 300 locale-gen >/dev/null
fi
