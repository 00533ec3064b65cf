#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine, skipping what is there, and
# says nothing when nothing is missing. Safe to run again; needs root or sudo only when
# something is missing. A first run installs about 330 packages (3.4 GB) in a few minutes.
set -euo pipefail

# One line of progress per group.
groups=(
  "build tools:cmake ninja-build g++ clang-14 libclang-rt-14-dev googletest file"
  "MinGW-w64 cross compilers:g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix"
  "Wine and Xvfb:wine wine64 xvfb x11-utils"
  "fonts, locales and pictures:fonts-liberation fonts-wqy-microhei fonts-noto-core fonts-thai-tlwg locales imagemagick"
  "release tools:python3 python3-pefile osslsigncode openssl unzip"
  "static analysis:clang-tidy-14 cppcheck"
)
# Locales the tests run the prompt under (Wine takes the UI language from LANG).
locales=(en_US.UTF-8 de_DE.UTF-8 sv_SE.UTF-8 is_IS.UTF-8)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# Whether root's rights are at hand; says what to do when they are not.
can_act_as_root() {
  [ "$(id -u)" -eq 0 ] && return 0
  command -v sudo >/dev/null 2>&1 && return 0
  echo "setup: missing: $*" >&2
  echo "setup: installing needs root, and sudo is not installed. Run this script as root" \
    "(su -c '$0') or install sudo, then run the command again." >&2
  return 1
}

apt() {
  as_root env DEBIAN_FRONTEND=noninteractive "$@"
}

missing_groups=() missing_all=()
for g in "${groups[@]}"; do
  names=""
  for p in ${g#*:}; do installed "$p" || names+=" $p"; done
  if [ -n "$names" ]; then missing_groups+=("${g%%:*}:$names"); missing_all+=($names); fi
done

if [ ${#missing_all[@]} -gt 0 ]; then
  can_act_as_root "${missing_all[*]}" || exit 1
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  echo "setup: updating the package lists"
  # A mirror caught mid-sync fails one list now and then: try again, then go on with the
  # lists there are (the install below says what is really missing).
  for try in 1 2 3; do
    apt timeout 900 apt-get update -qq && break
    echo "setup: some package lists did not download (try $try of 3)" >&2
    [ "$try" -lt 3 ] && sleep 15
  done
  n=0
  for g in "${missing_groups[@]}"; do
    n=$((n + 1))
    echo "setup: [$n/${#missing_groups[@]}] installing ${g%%:*}:${g#*:}"
    # shellcheck disable=SC2086 # one word per package
    apt timeout 1800 apt-get install -y -qq --no-install-recommends ${g#*:} >/dev/null
  done
  echo "setup: packages installed"
fi

# 32-bit Wine runs the launcher's 32-bit build. Without it (no i386 packages on the mirror,
# or lists out of step with the 64-bit ones) the launcher's tests run on its 64-bit build.
if ! installed wine32:i386; then
  can_act_as_root wine32:i386 || exit 1
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
    apt timeout 900 apt-get update -qq || true
  fi
  echo "setup: installing 32-bit Wine: wine32:i386"
  if ! apt timeout 1800 apt-get install -y -qq --no-install-recommends wine32:i386 >/dev/null 2>&1; then
    echo "setup: 32-bit Wine could not be installed; the launcher's tests will run on its 64-bit build"
  fi
fi

need_gen=()
for l in "${locales[@]}"; do
  norm=$(echo "$l" | sed 's/UTF-8/utf8/')
  locale -a 2>/dev/null | grep -qx "$norm" || need_gen+=("$l")
done
if [ ${#need_gen[@]} -gt 0 ]; then
  can_act_as_root "locales ${need_gen[*]}" || exit 1
  echo "setup: generating the locales ${need_gen[*]}"
  for l in "${need_gen[@]}"; do
    as_root sed -i "s/^# *\($l UTF-8\)/\1/" /etc/locale.gen
    grep -q "^$l UTF-8" /etc/locale.gen || echo "$l UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
  done
  as_root timeout 300 locale-gen >/dev/null
fi
