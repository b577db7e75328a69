# Source me: the environment for running the cross-built programs under Wine without any
# prompt. KOR_WINE_ARCH is win64 (default: 64-bit Wine, runs the x86_64 build) or win32
# (32-bit Wine, runs the i686 build; needs a machine that can execute 32-bit code).
# WINEPREFIX defaults to a prefix inside the build tree, one per architecture.
_kor_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export KOR_WINE_ARCH=${KOR_WINE_ARCH:-win64}
export WINEARCH=$KOR_WINE_ARCH
export WINEPREFIX=${WINEPREFIX:-$_kor_root/build/wineprefix-$KOR_WINE_ARCH}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono/Gecko install prompts, no desktop entries.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if [ "$KOR_WINE_ARCH" = win64 ]; then
  export KOR_WINE=/usr/lib/wine/wine64 KOR_WINESERVER=/usr/lib/wine/wineserver64
else
  export KOR_WINE=/usr/lib/wine/wine KOR_WINESERVER=/usr/lib/wine/wineserver32
fi
unset _kor_root
