#!/bin/bash
# Builds the fuzz targets (clang, libFuzzer, ASan, UBSan) and runs one of them.
# usage: tools/fuzz.sh TARGET [SECONDS] [libFuzzer options...]      (targets: idf_fuzzer, zip_fuzzer)
# Seeds: fuzz/corpus/<name without _fuzzer> when it exists; for zip_fuzzer also small archives
# made here and the shared ZIP corpus beside the checkout (read only). New inputs go to
# build/fuzz/corpus-<target>.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
target=${1:?usage: tools/fuzz.sh TARGET [SECONDS] [libFuzzer options...]}
seconds=${2:-60}
shift $(( $# >= 2 ? 2 : 1 ))
cmake --preset fuzz >/dev/null
cmake --build build/fuzz -j"$(nproc)" --target "$target"
work=build/fuzz/corpus-$target
mkdir -p "$work"
dirs=("$work")
[ -d "fuzz/corpus/${target%_fuzzer}" ] && dirs+=("fuzz/corpus/${target%_fuzzer}")
options=()
if [ "$target" = zip_fuzzer ]; then
  options=(-max_len=65536 -timeout=20 -rss_limit_mb=2048)
  if [ -z "$(ls -A "$work")" ] && command -v zip >/dev/null; then
    seed=$(mktemp -d)
    (cd "$seed" && printf 'hello hello hello\n' > a.txt && mkdir d && printf 'x%.0s' {1..300} > d/b.txt &&
     zip -q -0 "$OLDPWD/$work/stored.zip" a.txt d/b.txt && zip -q -9 "$OLDPWD/$work/deflated.zip" -r . &&
     cat a.txt | zip -q - - | cat > "$OLDPWD/$work/descriptor.zip")
    rm -rf "$seed"
  fi
  shared=$root/../shared/zip-corpus
  [ -d "$shared" ] && while IFS= read -r d; do dirs+=("$d"); done < <(find "$shared" -mindepth 1 -maxdepth 1 -type d ! -name LICENSES)
fi
exec "build/fuzz/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 "${options[@]}" "$@" "${dirs[@]}"
