#!/bin/bash
# Sets everything up and runs every test: installs missing packages, builds host, win32 and
# win64, starts two Xvfb displays (24-bit and 8-bit PseudoColor) and lets CTest run the host,
# Wine and end-to-end tests. Stops only what it started.
#   scripts/test.sh [BUILD_DIR] [ctest options...]
set -eu
cd "$(dirname "$0")/.."
BUILD=${1:-build}
[ $# -gt 0 ] && shift
mkdir -p "$BUILD"
BUILD=$(cd "$BUILD" && pwd)

scripts/deps.sh
make BUILD="$BUILD" all

pids=()
stop_all() {
    for prefix in "$BUILD/win64/wineprefix" "$BUILD/win64/wineprefix8"; do
        [ -d "$prefix" ] && WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    rm -rf "$tmp"
}
tmp=$(mktemp -d)
trap stop_all EXIT

# Starts an Xvfb on a free display number and prints ":N".
start_xvfb() {
    local depth=$1 file=$tmp/display$1
    Xvfb -displayfd 7 -screen 0 1024x768x"$depth" -nolisten tcp 7>"$file" >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do
        [ -s "$file" ] && break
        sleep 0.1
    done
    [ -s "$file" ] || { echo "Xvfb ($depth-bit) did not start" >&2; exit 1; }
    echo ":$(head -n1 "$file")"
}
start_xvfb 24 >"$tmp/d24"
start_xvfb 8 >"$tmp/d8"
export DISPLAY=$(cat "$tmp/d24")
export GLIMMER_DISPLAY8=$(cat "$tmp/d8")
echo "Xvfb: 24-bit on $DISPLAY, 8-bit on $GLIMMER_DISPLAY8"

# One test at a time: the Wine tests share one prefix, its registry and its system directory.
ctest --test-dir "$BUILD" --output-on-failure "$@"
