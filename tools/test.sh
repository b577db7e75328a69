#!/bin/bash
# Builds everything and runs every test:
#  - the portable core natively (g++, ASan + UBSan);
#  - the Windows program built for x86_64 under 64-bit Wine, once with ANSI code page 1251
#    (LANG=ru_RU.UTF-8) and once with 1252 (LANG=en_US.UTF-8);
#  - the shipped i686 build: always built and checked to import no mingw DLL; its tests run
#    under 32-bit Wine only where the machine can execute 32-bit code.
# Exits non-zero when any build or test fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
t() { local s=$SECONDS; "$@"; echo "### $(( SECONDS - s )) s: $*" >&2; }

if [ "$(id -u)" = 0 ]; then t bash tools/setup-machine.sh; else t sudo bash tools/setup-machine.sh; fi

jobs=$(nproc)
build() { cmake --preset "$1" >/dev/null && cmake --build "build/$1" -j"$jobs"; }

t build native
t ctest --test-dir build/native --output-on-failure -j"$jobs"

t build win32
for exe in build/win32/src/app/setup.exe build/win32/src/setupcheck/setupcheck.exe; do bash tools/check-imports.sh "$exe"; done

run_wine_tests() {   # ARCH BUILD_DIR
  t xvfb-run -a -s "-screen 0 1024x768x24" bash tools/run-wine-tests.sh "$1" "$2"
}

t build win64
run_wine_tests win64 build/win64
if bash tools/can-run-32bit.sh; then
  run_wine_tests win32 build/win32
else
  echo "=== this machine cannot execute 32-bit code: the i686 build was built and checked, its tests ran as x86_64" >&2
fi
echo "all tests passed" >&2
