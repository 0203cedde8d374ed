#!/bin/bash
# Prints the rendering figures on a 24-bit, a 16-bit and an 8-bit display, for the i686 program
# under 32-bit Wine and the x86_64 twin under wine64: builds both (make, make win64), starts
# three Xvfb screens and Wine prefixes of its own, runs render-bench on each, and stops what it
# started.
#   bench/render/run.sh [ITERATIONS]
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
iterations=${1:-300}
make all win64 >/dev/null
tmp=$(mktemp -d)
pids=()
prefixes=()
stop_all() {
    for prefix in "${prefixes[@]}"; do
        WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$tmp"
}
trap stop_all EXIT
for depth in 24 16 8; do
    Xvfb -displayfd 7 -screen 0 1024x768x$depth -nolisten tcp 7>"$tmp/d$depth" >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do [ -s "$tmp/d$depth" ] && break; sleep 0.1; done
done
# build, loader, prefix kind
for run in "win32 /usr/lib/wine/wine win32" "win64 /usr/lib/wine/wine64 win64"; do
    set -- $run
    bench=$root/build/$1/bench/render/render-bench.exe
    prefix=$root/build/bench-wineprefix-$3
    prefixes+=("$prefix")
    [ -x "$2" ] || { echo "== $1: $2 is not installed"; continue; }
    for depth in 24 16 8; do
        export DISPLAY=:$(head -n1 "$tmp/d$depth")
        WINE=$2 WINEARCH=$3 WINEPREFIX=$prefix scripts/wine-prefix.sh start "$prefix"
        echo "== $1, $depth bits per pixel"
        WINEPREFIX=$prefix WINEDEBUG=-all "$2" "$bench" "$iterations"
        WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null || true
    done
done
