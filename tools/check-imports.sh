#!/bin/bash
# Fails when a Windows program imports anything but system DLLs (no mingw runtime DLLs).
set -euo pipefail
dlls=$(i686-w64-mingw32-objdump -p "$1" | sed -n 's/.*DLL Name: //p')
bad=$(echo "$dlls" | grep -viE '^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|shlwapi|ole32|oleaut32|advapi32|msvcrt|version|uuid)\.dll$' || true)
if [ -n "$bad" ]; then echo "$1 imports non-system DLLs: $bad" >&2; exit 1; fi
echo "$1 imports only system DLLs: $(echo $dlls)"
