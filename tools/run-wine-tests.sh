#!/bin/bash
# Runs a cross-built test tree under Wine, once with ANSI code page 1251 and once with 1252.
# Runs inside an X server (the program creates windows): tools/test.sh starts it under xvfb-run.
# usage: run-wine-tests.sh win64|win32 BUILD_DIR [ctest args...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export KOR_WINE_ARCH=$1
build=$2
shift 2
. "$here/wine-env.sh"
bash "$here/make-wineprefix.sh"
# Wine's background processes inherit the first program's output pipe, and ctest would wait
# for them: start them first with their output on /dev/null.
"$KOR_WINESERVER" -p >/dev/null 2>&1 || true   # already running is fine
"$KOR_WINE" cmd /c exit >/dev/null 2>&1
# The same for the desktop process that the first window starts.
"$KOR_WINE" rundll32.exe user32.dll,GetDesktopWindow >/dev/null 2>&1
trap '"$KOR_WINESERVER" -k >/dev/null 2>&1 || true' EXIT
jobs=$(nproc)
for acp in 1251:ru_RU.UTF-8 1252:en_US.UTF-8; do
  lang=${acp#*:}
  echo "=== $KOR_WINE_ARCH tests under Wine, ANSI code page ${acp%%:*} (LANG=$lang)"
  LANG=$lang LC_ALL=$lang KOR_EXPECT_ACP=${acp%%:*} ctest --test-dir "$build" --output-on-failure -j"$jobs" "$@"
done
