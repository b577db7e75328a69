#!/bin/bash
# Installs what a fresh Debian 12 machine lacks to build the installer and test it:
# the i386 architecture and 32-bit Wine, the mingw-w64 i686 cross compiler, zlib for
# both builds, GoogleTest sources, Xvfb and screenshot tools, clang for fuzzing, the
# ru_RU.UTF-8 locale (ANSI code page 1251 under Wine), and unzip/bsdtar for benchmarks.
# Idempotent: does nothing when everything is already there. Needs root.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

PKGS=(
  wine wine32:i386 fonts-wine
  g++-mingw-w64-i686-posix libz-mingw-w64-dev
  xvfb xauth imagemagick xdotool locales
  cmake ninja-build g++ libgtest-dev libgmock-dev zlib1g-dev
  clang libclang-rt-14-dev
  unzip zip libarchive-tools
  wine64 g++-mingw-w64-x86-64-posix
)

missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  missing+=(wine32:i386)
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup-machine: installing ${missing[*]}" >&2
  apt-get update -q
  # Adding i386 upgrades the matching amd64 libraries: no --no-upgrade here.
  apt-get install -y -q --no-install-recommends "${PKGS[@]}"
fi
# Wine takes its ANSI code page from the locale: ru_RU gives 1251, en_US 1252. A locale that
# is not generated breaks every non-ASCII file name under Wine, so generate both.
need_locales=0
for loc in ru_RU en_US; do
  if ! locale -a 2>/dev/null | grep -qix "$loc.utf8"; then
    sed -i "s/^# *\($loc.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    grep -q "^$loc.UTF-8 UTF-8" /etc/locale.gen || echo "$loc.UTF-8 UTF-8" >> /etc/locale.gen
    need_locales=1
  fi
done
if [ $need_locales = 1 ]; then locale-gen >/dev/null; fi
