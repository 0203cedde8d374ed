#!/bin/bash
# Creates and starts, or stops, the Wine prefixes the tests run in.
#   wine-prefix.sh start PREFIX [PREFIX8]   make each prefix once (Windows 95, unmanaged X11
#                                           windows, Wine's own fonts), start its wineserver
#   wine-prefix.sh stop PREFIX [PREFIX8]    stop those wineservers
# PREFIX8 runs on the 8-bit display named by GLIMMER_DISPLAY8.
set -eu
action=$1
shift
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

prepare() {
    local prefix=$1
    export WINEPREFIX=$prefix
    if [ ! -f "$prefix/.glimmer-ready" ]; then
        rm -rf "$prefix"
        "$WINE" wineboot -i >/dev/null 2>&1 </dev/null
        "$WINE" reg add 'HKCU\Software\Wine' /v Version /d win95 /f >/dev/null 2>&1 </dev/null
        "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
        mkdir -p "$prefix/drive_c/windows/Fonts"
        cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
        "$WINESERVER" -w
        touch "$prefix/.glimmer-ready"
    fi
    # A persistent server makes every program start fast; no output may reach CTest's pipes.
    "$WINESERVER" -p >/dev/null 2>&1 </dev/null || true
    # Wait until the server answers.
    "$WINE" cmd /c exit >/dev/null 2>&1 </dev/null || true
}

case $action in
start)
    prepare "$1"
    if [ $# -gt 1 ] && [ -n "${GLIMMER_DISPLAY8:-}" ]; then
        DISPLAY=$GLIMMER_DISPLAY8 prepare "$2"
    fi
    ;;
stop)
    for prefix in "$@"; do
        [ -d "$prefix" ] && WINEPREFIX=$prefix "$WINESERVER" -k 2>/dev/null || true
    done
    ;;
*)
    echo "usage: $0 start|stop PREFIX [PREFIX8]" >&2
    exit 2
    ;;
esac
