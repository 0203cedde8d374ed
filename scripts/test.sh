#!/bin/bash
# Sets everything up and runs every test: installs missing packages (32-bit Wine among them),
# builds the host tools and the i686 programs with their tests, starts four Xvfb displays (24-bit,
# 8-bit PseudoColor and 16-bit High Colour at 1024 x 768, 24-bit at 640 x 480) and lets CTest run
# the host, Wine and end-to-end tests. The Win32 tests run the shipped i686 programs under 32-bit
# Wine; where 32-bit Wine could not be installed they run the x86_64 twin under wine64 instead.
# Stops only what it started.
#   scripts/test.sh [BUILD_DIR] [ctest options...]
# GLIMMER_WINE_TESTS=win64 runs the Wine tests on the twin even where 32-bit Wine is installed.
set -eu
cd "$(dirname "$0")/.."
BUILD=${1:-build}
[ $# -gt 0 ] && shift
mkdir -p "$BUILD"
BUILD=$(cd "$BUILD" && pwd)

scripts/deps.sh
if [ -n "${GLIMMER_WINE_TESTS:-}" ]; then
    wine_tests=$GLIMMER_WINE_TESTS
elif [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    wine_tests=win32
else
    echo "32-bit Wine is missing: the Wine tests run the x86_64 twin under wine64."
    wine_tests=win64
fi
make BUILD="$BUILD" WINE_TESTS=$wine_tests tests

pids=()
stop_all() {
    for prefix in "$BUILD/$wine_tests"/wineprefix*; do
        [ -d "$prefix" ] && WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    rm -rf "$tmp"
}
tmp=$(mktemp -d)
trap stop_all EXIT

# Starts an Xvfb screen (WIDTHxHEIGHTxDEPTH) on a free display number; its ":N" goes into the
# file named.
start_xvfb() {
    local screen=$1 out=$2 file=$tmp/display-$1
    Xvfb -displayfd 7 -screen 0 "$screen" -nolisten tcp 7>"$file" >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do
        [ -s "$file" ] && break
        sleep 0.1
    done
    [ -s "$file" ] || { echo "Xvfb ($screen) did not start" >&2; exit 1; }
    echo ":$(head -n1 "$file")" >"$out"
}
start_xvfb 1024x768x24 "$tmp/d24"
start_xvfb 1024x768x8 "$tmp/d8"
start_xvfb 1024x768x16 "$tmp/d16"
start_xvfb 640x480x24 "$tmp/d640"
export DISPLAY=$(cat "$tmp/d24")
export GLIMMER_DISPLAY8=$(cat "$tmp/d8") GLIMMER_DISPLAY16=$(cat "$tmp/d16")
export GLIMMER_DISPLAY640=$(cat "$tmp/d640")
echo "Xvfb: 24-bit on $DISPLAY, 8-bit on $GLIMMER_DISPLAY8, 16-bit on $GLIMMER_DISPLAY16," \
    "640 x 480 on $GLIMMER_DISPLAY640"

# One test at a time: the Wine tests share one prefix, its registry and its system directory.
ctest --test-dir "$BUILD" --output-on-failure "$@"
