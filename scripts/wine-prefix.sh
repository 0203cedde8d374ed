#!/bin/bash
# Creates and starts, or stops, the Wine prefixes the tests run in.
#   wine-prefix.sh start PREFIX [PREFIX8 [PREFIX16 [PREFIX640]]]
#       make PREFIX once (Windows 95, unmanaged X11 windows, Wine's own fonts), make each other
#       prefix as a copy of it, and start every prefix's wineserver
#   wine-prefix.sh stop PREFIX...   stop those wineservers
# WINE names the loader (/usr/lib/wine/wine for i686 programs, wine64 for x86_64 ones) and
# WINEARCH the prefix kind (win32 or win64). PREFIX runs on DISPLAY, the others on the displays
# GLIMMER_DISPLAY8, GLIMMER_DISPLAY16 and GLIMMER_DISPLAY640.
set -eu
action=$1
shift
WINE=${WINE:-/usr/lib/wine/wine}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

create() {
    local prefix=$1
    export WINEPREFIX=$prefix
    rm -rf "$prefix"
    "$WINE" wineboot -i >/dev/null 2>&1 </dev/null
    "$WINE" reg add 'HKCU\Software\Wine' /v Version /d win95 /f >/dev/null 2>&1 </dev/null
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
    mkdir -p "$prefix/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
    # The registry reaches the disk when the server ends; only then may the prefix be copied.
    "$WINESERVER" -w
    echo "$WINEARCH" >"$prefix/.glimmer-ready"
}

# Starts the prefix's server; a persistent one makes every program start fast. No output may
# reach CTest's pipes.
start() {
    local prefix=$1 display=$2
    [ -n "$display" ] || return 0
    export WINEPREFIX=$prefix
    "$WINESERVER" -p >/dev/null 2>&1 </dev/null || true
    # Wait until the server answers.
    DISPLAY=$display "$WINE" cmd /c exit >/dev/null 2>&1 </dev/null || true
}

case $action in
start)
    base=$1
    # A prefix made for the other architecture (or half made) is made again.
    if [ "$(cat "$base/.glimmer-ready" 2>/dev/null)" != "$WINEARCH" ]; then
        create "$base"
    fi
    displays=("${DISPLAY:-}" "${GLIMMER_DISPLAY8:-}" "${GLIMMER_DISPLAY16:-}"
        "${GLIMMER_DISPLAY640:-}")
    i=0
    for prefix in "$@"; do
        if [ "$prefix" != "$base" ] && ! cmp -s "$base/.glimmer-ready" "$prefix/.glimmer-ready"; then
            rm -rf "$prefix"
            cp -a "$base" "$prefix"
        fi
        start "$prefix" "${displays[$i]:-}"
        i=$((i + 1))
    done
    ;;
stop)
    for prefix in "$@"; do
        [ -d "$prefix" ] && WINEPREFIX=$prefix "$WINESERVER" -k 2>/dev/null || true
    done
    ;;
*)
    echo "usage: $0 start|stop PREFIX..." >&2
    exit 2
    ;;
esac
