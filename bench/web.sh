#!/usr/bin/env bash
# The engine's executor and the LZSS decoder natively (build/bench), in WebAssembly under node
# (build/web), and built as the page builds them (build/web/page-tree: JavaScript exceptions
# and Asyncify), in one run, with the ratios of their speeds to the native one; then the sizes
# of the node player's files, raw and gzipped, and the page's figures in headless Chromium
# (bench/web-page.mjs: its size, the time to its first story line, its idle main thread).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap > /dev/null
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORNAL_BENCH=ON \
    -DVORNAL_TESTS=OFF > /dev/null
cmake --build build/bench --target bench_web > /dev/null
scripts/build-web -DVORNAL_BENCH=ON > /dev/null
cmake -S . -B build/web/page-tree -DVORNAL_BENCH=ON > /dev/null
NODE_PATH=${NODE_PATH:-/usr/share/nodejs} cmake --build build/web/page-tree --target bench_web \
    > /dev/null

native=$(build/bench/bin/bench_web)
wasm=$(node build/web/bin/bench_web.js)
page=$(node build/web/page-tree/bin/bench_web.js)
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
printf '%-12s %14s %14s %6s %14s %6s\n' workload native wasm ratio page ratio
while read -r name speed; do
    web=$(awk -v n="$name" '$1 == n { print $2 }' <<< "$wasm")
    paged=$(awk -v n="$name" '$1 == n { print $2 }' <<< "$page")
    unit=lines/s
    [ "$name" = lzss_decode ] && unit=bytes/s
    printf '%-12s %14s %14s %6s %14s %6s  (%s)\n' "$name" "$speed" "$web" \
        "$(ratio "$web" "$speed")" "$paged" "$(ratio "$paged" "$speed")" "$unit"
done <<< "$native"

echo
printf '%-28s %10s %10s\n' file bytes gzipped
for f in build/web/node/vnplayer.wasm build/web/node/vnplayer.js; do
    printf '%-28s %10s %10s\n' "$f" "$(stat -c %s "$f")" "$(gzip -9 -c "$f" | wc -c)"
done

echo
node bench/web-page.mjs build/web/site
