#!/bin/bash
# The demo: builds everything, starts the demo installer dist/setup.exe (the i686 program a
# Windows 95 PC runs) under 32-bit Wine, installs the demo saver through its dialog, runs the
# installed saver full-screen for a few seconds and saves screenshots of each step under dist/.
# Where 32-bit Wine could not be installed it runs the x86_64 twin under wine64 instead.
#
#   scripts/demo.sh [BUILD_DIR]     (default build/; another folder keeps its dist/ inside it)
#
# Runs on the display in DISPLAY when there is one, else on an Xvfb of its own. Uses a Wine
# prefix of its own (BUILD_DIR/demo-wineprefix, Windows 95) and stops only what it started.
set -eu
cd "$(dirname "$0")/.."
ROOT=$(pwd)
MAKE_BUILD=${1:-build}
if [ "$MAKE_BUILD" = build ]; then
    BUILD=$ROOT/build
    DIST=$ROOT/dist
else
    mkdir -p "$MAKE_BUILD"
    BUILD=$(cd "$MAKE_BUILD" && pwd)
    MAKE_BUILD=$BUILD
    DIST=$BUILD/dist
fi
SAVER_SECONDS=${GLIMMER_DEMO_SECONDS:-8}

export WINEPREFIX=$BUILD/demo-wineprefix
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
WINESERVER=/usr/lib/wine/wineserver

say() { printf '\n== %s\n' "$*"; }

say "Packages"
scripts/deps.sh

if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    WINE=/usr/lib/wine/wine
    export WINEARCH=win32
    DRIVER=$BUILD/win32/tools/glimmer-driver.exe
    SETUP=$DIST/setup.exe
    say "Build"
    make BUILD="$MAKE_BUILD" all
else
    say "32-bit Wine is missing: the demo runs the x86_64 twin under wine64"
    WINE=/usr/lib/wine/wine64
    export WINEARCH=win64
    DRIVER=$BUILD/win64/tools/glimmer-driver.exe
    SETUP=$DIST/win64/setup.exe
    say "Build"
    make BUILD="$MAKE_BUILD" all win64
    make BUILD="$MAKE_BUILD" dist
fi

xvfb_pid=""
tmp=$(mktemp -d)
stop_all() {
    [ -d "$WINEPREFIX" ] && "$WINESERVER" -k 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$tmp"
}
trap stop_all EXIT

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    say "Display $DISPLAY"
    managed=Y
else
    Xvfb -displayfd 7 -screen 0 1024x768x24 -nolisten tcp 7>"$tmp/display" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$tmp/display" ] && break
        sleep 0.1
    done
    [ -s "$tmp/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
    export DISPLAY=":$(head -n1 "$tmp/display")"
    say "No display: Xvfb on $DISPLAY (1024 x 768)"
    # Without a window manager Wine would wait for every unmapped window.
    managed=N
fi

wine() { "$WINE" "$@" </dev/null; }
driver() { "$WINE" "$DRIVER" "$@" </dev/null | tr -d '\r'; }

if [ "$(cat "$WINEPREFIX/.glimmer-demo" 2>/dev/null)" != "$WINEARCH" ]; then
    say "Wine prefix $WINEPREFIX (first run: about half a minute)"
    rm -rf "$WINEPREFIX"
    wine wineboot -i >/dev/null 2>&1
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    echo "$WINEARCH" >"$WINEPREFIX/.glimmer-demo"
fi
wine reg add 'HKCU\Software\Wine' /v Version /d win95 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$managed" /f >/dev/null 2>&1
"$WINESERVER" -p >/dev/null 2>&1 </dev/null || true # already running is fine

# The demo saver's name comes from the installer's payload; a saver left by an earlier run
# would make the install report that it is already there.
name=$(python3 -c '
import struct, sys
data = open(sys.argv[1], "rb").read()
offset = struct.unpack_from("<I", data, 106)[0]
kind, size = struct.unpack_from("<HI", data, offset)
print(data[offset + 6:offset + 6 + size].split(b"\0")[0].decode("latin-1"))
' "$SETUP")
system32=$WINEPREFIX/drive_c/windows/system32
rm -f "$system32/$name.scr"

# A screenshot of the whole screen, or of the rectangle "x y width height".
shoot() {
    local file=$1 rect=${2:-}
    if [ -n "$rect" ]; then
        set -- $rect
        import -window root -crop "${3}x${4}+${1}+${2}" +repage "$file"
    else
        import -window root "$file"
    fi
    echo "   saved $file"
}

say "setup.exe: the dialog"
"$WINE" "$SETUP" </dev/null >/dev/null 2>&1 &
setup_pid=$!
driver wait Setup 30000 >/dev/null
sleep 1 # let the preview paint
dialog=$(driver rect Setup)
shoot "$DIST/demo-setup.png" "$dialog"
echo "   saver name: $(driver gettext Setup 102 | sed 's/^TEXT=//')"

say "setup.exe: Install"
driver click Setup 100
box=$(driver box Setup 30000)
echo "$box" | sed 's/^/   /; s/\\n/ /g'
sleep 0.5
shoot "$DIST/demo-installed.png" "$dialog"
driver box Setup 5000 ok >/dev/null
wait "$setup_pid" || true
scr="$system32/$name.scr"
[ -f "$scr" ] || { echo "the saver was not installed" >&2; exit 1; }
echo "   installed: C:\\windows\\system32\\$name.scr ($(stat -c %s "$scr") bytes)"

say "The installed saver, full-screen (/s), for $SAVER_SECONDS seconds"
"$WINE" "$scr" /s </dev/null >/dev/null 2>&1 &
saver_pid=$!
driver window MainClass 30000 >/dev/null
# Let it run, then catch a slide once it has faded in fully.
sleep "$SAVER_SECONDS"
lit() { convert "$1" -fill white +opaque black -format '%[fx:mean]' info:; }
for _ in $(seq 60); do
    import -window root "$tmp/screen.png"
    if awk -v v="$(lit "$tmp/screen.png")" 'BEGIN { exit !(v > 0.25) }'; then
        sleep 1.5
        import -window root "$tmp/screen.png"
        awk -v v="$(lit "$tmp/screen.png")" 'BEGIN { exit !(v > 0.25) }' && break
    fi
    sleep 0.5
done
cp "$tmp/screen.png" "$DIST/demo-saver.png"
echo "   saved $DIST/demo-saver.png"
driver window MainClass 5000 close >/dev/null || true
for _ in $(seq 100); do
    kill -0 "$saver_pid" 2>/dev/null || break
    sleep 0.2
done
kill "$saver_pid" 2>/dev/null || true

say "The page that makes installers in the browser"
if [ -x /usr/bin/chromium ] && tests/browser/npm-ci.sh "$BUILD/host/browser" >/dev/null; then
    if node scripts/web-screenshot.js "$DIST/web" "$BUILD/win32/setup/demo" "$name" \
        "$DIST/web-builder.png" "$BUILD/host/browser/node_modules"; then
        echo "   saved $DIST/web-builder.png"
    else
        echo "   the page could not be photographed (is its WebAssembly module built?)"
    fi
else
    echo "   chromium or playwright-core is missing: no screenshot of the page"
fi

say "Done"
echo "   $DIST/demo-setup.png      the installer's dialog"
echo "   $DIST/demo-installed.png  its message after Install"
echo "   $DIST/demo-saver.png      the installed saver running full-screen"
echo "   $DIST/web-builder.png     the page with the demo pictures added (scripts/web.sh serves it)"
