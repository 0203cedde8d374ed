#!/bin/bash
# Prints the rendering figures on a 24-bit and an 8-bit display: builds (make), starts two Xvfb
# screens and a Wine prefix of its own, runs render-bench on each, and stops what it started.
#   bench/render/run.sh [ITERATIONS]
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
iterations=${1:-300}
make >/dev/null
bench=$root/build/win64/bench/render/render-bench.exe
prefix=$root/build/bench-wineprefix
tmp=$(mktemp -d)
pids=()
stop_all() {
    WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null || true
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$tmp"
}
trap stop_all EXIT
for depth in 24 8; do
    Xvfb -displayfd 7 -screen 0 1024x768x$depth -nolisten tcp 7>"$tmp/d$depth" >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do [ -s "$tmp/d$depth" ] && break; sleep 0.1; done
done
for depth in 24 8; do
    export DISPLAY=:$(head -n1 "$tmp/d$depth")
    WINEPREFIX=$prefix scripts/wine-prefix.sh start "$prefix"
    echo "== $depth bits per pixel"
    WINEPREFIX=$prefix WINEDEBUG=-all /usr/lib/wine/wine64 "$bench" "$iterations"
    WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null || true
done
