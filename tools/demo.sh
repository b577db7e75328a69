#!/bin/bash
# Builds setup.exe and runs it under Wine on the demo system in examples/demo (or on the
# directory given). With a display ($DISPLAY set) you drive it yourself; without one it runs
# under Xvfb, takes a screenshot of every message box or window it shows, answers it with
# Enter, and prints where the screenshots are. The log (korinst.log) is printed at the end.
# usage: tools/demo.sh [DESCRIPTION_DIR] [setup.exe arguments...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
src=$(realpath "${1:-examples/demo}")
shift || true

if [ "$(id -u)" = 0 ]; then bash tools/setup-machine.sh; else sudo bash tools/setup-machine.sh; fi

# The shipped build is i686; a machine that cannot execute 32-bit code runs the x86_64 build.
if bash tools/can-run-32bit.sh; then arch=win32; else arch=win64; fi
cmake --preset $arch >/dev/null
cmake --build build/$arch -j"$(nproc)" --target setup
export KOR_WINE_ARCH=$arch
. tools/wine-env.sh
bash tools/make-wineprefix.sh

run=$root/build/demo-run
rm -rf "$run"
mkdir -p "$run/work" "$run/shots"
cp -r "$src"/. "$run/work/"
# Wine takes TEMP from the prefix's registry: the log lands in the prefix's temporary folder.
log=$(ls -d "$WINEPREFIX"/drive_c/users/*/Temp | head -1)/korinst.log
before=$(stat -c %s "$log" 2>/dev/null || echo 0)
exe=$root/build/$arch/src/app/setup.exe

echo "=== running setup.exe ($arch) in $run/work"
if [ -n "${DISPLAY:-}" ]; then
  (cd "$run/work" && "$KOR_WINE" "$exe" "$@") || true
else
  xvfb-run -a -s "-screen 0 1024x768x24" bash tools/screenshot-run.sh "$run/shots" "$run/work" "$KOR_WINE" "$exe" "$@"
  for f in "$run"/shots/*.png; do [ -e "$f" ] && echo "screenshot: $f"; done; true
fi
echo "=== what this run wrote to $log"
tail -c +$((before + 1)) "$log" | tr -d '\r' | iconv -f CP1251 -t UTF-8
