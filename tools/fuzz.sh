#!/bin/bash
# Builds the fuzz targets (clang, libFuzzer, ASan, UBSan) and runs one of them.
# usage: tools/fuzz.sh TARGET [SECONDS] [libFuzzer options...]
# The seed corpus is fuzz/corpus/<name without _fuzzer>; new inputs go to build/fuzz/corpus-<target>.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
target=${1:?usage: tools/fuzz.sh TARGET [SECONDS]}
seconds=${2:-60}
shift $(( $# >= 2 ? 2 : 1 ))
cmake --preset fuzz >/dev/null
cmake --build build/fuzz -j"$(nproc)" --target "$target"
work=build/fuzz/corpus-$target
mkdir -p "$work"
seeds=fuzz/corpus/${target%_fuzzer}
exe=$(find build/fuzz -name "$target" -type f -perm -u+x | head -1)
"$exe" -max_total_time="$seconds" -print_final_stats=1 "$@" "$work" $( [ -d "$seeds" ] && echo "$seeds" )
