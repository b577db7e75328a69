#!/bin/bash
# Builds the fuzz preset and runs the ZIP reader's fuzzer. Seeds: the shared corpus beside the
# checkout (read only) and small archives made here; new inputs go to build/fuzz/zip-corpus.
# Usage: tools/fuzz-zip.sh [SECONDS] [extra libFuzzer options]   (default 600 seconds)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-600}
shift || true
cmake --preset fuzz >/dev/null
cmake --build build/fuzz -j2 --target zip_fuzzer
corpus=build/fuzz/zip-corpus
mkdir -p "$corpus"
if [ -z "$(ls -A "$corpus")" ] && command -v zip >/dev/null; then
  seed=$(mktemp -d)
  (cd "$seed" && printf 'hello hello hello\n' > a.txt && mkdir d && printf 'x%.0s' {1..300} > d/b.txt &&
   zip -q -0 "$OLDPWD/$corpus/stored.zip" a.txt d/b.txt && zip -q -9 "$OLDPWD/$corpus/deflated.zip" -r . &&
   cat a.txt | zip -q - - | cat > "$OLDPWD/$corpus/descriptor.zip")
  rm -rf "$seed"
fi
shared=$root/../shared/zip-corpus
dirs=("$corpus")
[ -d "$shared" ] && while IFS= read -r d; do dirs+=("$d"); done < <(find "$shared" -mindepth 1 -maxdepth 1 -type d ! -name LICENSES)
exec build/fuzz/fuzz/zip_fuzzer -max_len=65536 -timeout=20 -rss_limit_mb=2048 -max_total_time="$seconds" \
  -print_final_stats=1 "$@" "${dirs[@]}"
