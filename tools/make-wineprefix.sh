#!/bin/bash
# Creates the 32-bit Wine prefix the tests and the demo run in, without any prompt and
# without a display. Does nothing when the prefix is already there (pass --fresh to rebuild).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
if [ "${1:-}" = "--fresh" ]; then rm -rf "$WINEPREFIX"; fi
if [ -f "$WINEPREFIX/.kor-ready" ]; then exit 0; fi
rm -rf "$WINEPREFIX"
mkdir -p "$(dirname "$WINEPREFIX")"
( unset DISPLAY; "$KOR_WINE" wineboot -i >/dev/null 2>&1; "$KOR_WINESERVER" -w )
# Debian's Wine does not load its own fonts from /usr/share/wine/fonts: dialog sizes would
# change between machines. Put them into C:\windows\Fonts.
cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
# Desktop, Documents... are symlinks to $HOME: make them real folders inside the prefix, so
# shortcuts and files never land in the home directory.
for l in "$WINEPREFIX"/drive_c/users/*/*; do
  if [ -L "$l" ]; then rm "$l"; mkdir "$l"; fi
done
touch "$WINEPREFIX/.kor-ready"
echo "Wine prefix ready: $WINEPREFIX ($("$KOR_WINE" --version))"
