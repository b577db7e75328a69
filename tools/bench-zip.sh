#!/bin/bash
# Builds the bench preset and runs the extraction benchmark (see bench/ZipBench.cpp): the
# reader through setupcheck against unzip and bsdtar, and, when the x86_64 Windows build is
# there, the same setupcheck under 64-bit Wine. Uses about 1.5 GB of disk under the work
# directory (default build/bench/zipwork) and removes it at the end.
# Usage: tools/bench-zip.sh [WORKDIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
work=${1:-$root/build/bench/zipwork}
cmake --preset bench >/dev/null
cmake --build build/bench -j2 --target zip_bench setupcheck
wine_args=()
if [ -x /usr/lib/wine/wine64 ]; then
  cmake --preset win64 >/dev/null && cmake --build build/win64 -j2 --target setupcheck
  . tools/wine-env.sh
  bash tools/make-wineprefix.sh >/dev/null
  "$KOR_WINESERVER" -p >/dev/null 2>&1; "$KOR_WINE" cmd /c exit >/dev/null 2>&1
  wine_args=("$KOR_WINE" "$root/build/win64/src/setupcheck/setupcheck.exe")
fi
trap 'rm -rf "$work"; [ -n "${KOR_WINESERVER:-}" ] && "$KOR_WINESERVER" -k >/dev/null 2>&1 || true' EXIT
build/bench/bench/zip_bench "$work" build/bench/src/setupcheck/setupcheck "${wine_args[@]}"
