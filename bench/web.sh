#!/usr/bin/env bash
# The engine's executor and the LZSS decoder natively (build/bench) and in WebAssembly under
# node (build/web), in one run, with the ratio of their speeds; then the sizes of the node
# player's files, raw and gzipped.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap > /dev/null
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORNAL_BENCH=ON \
    -DVORNAL_TESTS=OFF > /dev/null
cmake --build build/bench --target bench_web > /dev/null
scripts/build-web -DVORNAL_BENCH=ON > /dev/null

native=$(build/bench/bin/bench_web)
wasm=$(node build/web/bin/bench_web.js)
printf '%-12s %16s %16s %8s\n' workload native wasm ratio
while read -r name speed; do
    web=$(awk -v n="$name" '$1 == n { print $2 }' <<< "$wasm")
    unit=lines/s
    [ "$name" = lzss_decode ] && unit=bytes/s
    printf '%-12s %16s %16s %8s  (%s)\n' "$name" "$speed" "$web" \
        "$(awk -v a="$web" -v b="$speed" 'BEGIN { printf "%.2f", a / b }')" "$unit"
done <<< "$native"

echo
printf '%-28s %10s %10s\n' file bytes gzipped
for f in build/web/node/vnplayer.wasm build/web/node/vnplayer.js; do
    printf '%-28s %10s %10s\n' "$f" "$(stat -c %s "$f")" "$(gzip -9 -c "$f" | wc -c)"
done
