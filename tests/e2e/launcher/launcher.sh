#!/bin/bash
# The launch key end to end under Wine: a saver installed in the system directory whose options
# carry a web address, run full-screen and ended by keys from outside. The recording stand-in is
# registered as the web browser and, in the last cases, copied to C:\AOL30\AOL.EXE as the online
# client; every start it records holds its command line and whether a slideshow window still
# existed. The registry value, C:\AOL30 and the installed saver are put back as they were.
#   launcher.sh ENGINE RECORDER LAUNCH_DRIVER DIALOG_DRIVER GLIMMER_PACK
set -u
engine=$1
recorder=$2
driver=$3
dialogs=$4
pack=$5
WINE=${WINE:-/usr/lib/wine/wine}
export WINEDEBUG=-all

address="http://example.test/"
key='HKCR\HTTP\shell\open\command'
caption="Visit Us Online"
VK_V=86
VK_X=88
work=$(mktemp -d)
sysdir="$WINEPREFIX/drive_c/windows/system32"
saver="$sysdir/LaunchTest.scr"
saver_win='C:\windows\system32\LaunchTest.scr'
client_dir="$WINEPREFIX/drive_c/AOL30"
record="$work/record.txt"
pids=()
failures=0

winpath() { printf 'Z:%s' "${1//\//\\}"; }

cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    "$WINE" reg delete "$key" /f >/dev/null 2>&1 || true
    if [ -f "$work/browser.reg" ]; then
        "$WINE" reg import "$(winpath "$work/browser.reg")" >/dev/null 2>&1 || true
    fi
    rm -rf "$client_dir" "$saver" "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

expect() { # what, expected, actual
    if [ "$2" = "$3" ]; then
        echo "ok: $1"
    else
        fail "$1: expected '$2', got '$3'"
    fi
}

# Waits up to 30 s for a background program of this shell to end; sets status to its exit code
# or "running".
finish() {
    local pid=$1
    status=running
    for _ in $(seq 600); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"
            status=$?
            return
        fi
        sleep 0.05
    done
}

# The recorded starts, one per line, once the expected number is there (or after a moment when
# none is expected); a second start would show up within the extra second.
started() {
    local count=$1
    for _ in $(seq 200); do
        [ "$count" -gt 0 ] && [ -f "$record" ] && [ "$(wc -l <"$record")" -ge "$count" ] && break
        [ "$count" -eq 0 ] && break
        sleep 0.05
    done
    sleep 1
    [ -f "$record" ] && tr -d '\r' <"$record"
}

# Runs the installed saver full-screen and ends it with a key; with a dialog action, also
# answers the "Visit Us Online" dialog by that button and checks the address it shows.
run_saver() { # name, key, [button]
    local name=$1 vk=$2 button=${3:-}
    rm -f "$record"
    "$WINE" "$saver_win" /s >/dev/null 2>&1 </dev/null &
    local pid=$!
    pids+=("$pid")
    "$WINE" "$driver" key MainClass "$vk" </dev/null || fail "$name: no saver window"
    if [ -n "$button" ]; then
        local shown
        shown=$("$WINE" "$dialogs" gettext "$caption" 100 </dev/null | tr -d '\r')
        expect "$name: the dialog shows the address" "TEXT=$address" "$shown"
        "$WINE" "$dialogs" click "$caption" "$button" </dev/null || fail "$name: no dialog"
    fi
    finish "$pid"
    expect "$name: the saver ends with exit code 0" 0 "$status"
}

# Two small 24-bit pictures: the logo and one slide.
python3 - "$work" <<'PY'
import struct, sys
def bmp(path, w, h, rgb):
    row = (bytes(rgb[::-1]) * w).ljust((w * 3 + 3) & ~3, b"\0")
    pixels = row * h
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 14 + 40 + len(pixels), 0, 0, 54) + header + pixels)
bmp(sys.argv[1] + "/logo.bmp", 32, 16, (255, 255, 0))
bmp(sys.argv[1] + "/slide.bmp", 64, 48, (0, 0, 255))
PY

"$pack" saver -o "$work/LaunchTest.scr" --engine "$engine" --options "DV$address" \
    --logo "$work/logo.bmp" "$work/slide.bmp" >/dev/null || { echo "FAIL: glimmer-pack"; exit 1; }
mkdir -p "$sysdir"
cp "$work/LaunchTest.scr" "$saver"
rm -rf "$client_dir"

"$WINE" reg export "$key" "$(winpath "$work/browser.reg")" >/dev/null 2>&1 </dev/null ||
    rm -f "$work/browser.reg"
recorder_win=$(winpath "$recorder")
"$WINE" reg add "$key" /ve /d "$recorder_win %1" /f >/dev/null 2>&1 </dev/null ||
    { echo "FAIL: cannot register the browser"; exit 1; }
export GLIMMER_LAUNCH_RECORD
GLIMMER_LAUNCH_RECORD=$(winpath "$record")

# The launch key starts the registered browser once, with the quoted address, after the
# slideshow window is gone.
run_saver "launch key" $VK_V
expect "launch key: the browser starts once with the quoted address, no window left" \
    "$(printf '%s "%s"\t0' "$recorder_win" "$address")" "$(started 1)"

# Another key ends the saver and starts nothing.
run_saver "other key" $VK_X
expect "other key: nothing starts" "" "$(started 0)"

# The launch key in the preview ends it and starts nothing.
rm -f "$record"
preview=$("$WINE" "$driver" preview "$saver_win" $VK_V </dev/null | tr -d '\r')
expect "preview: the launch key ends the preview with exit code 0" "EXIT=0" "$preview"
expect "preview: nothing starts" "" "$(started 0)"

# With the online client installed, the dialog offers it first.
mkdir -p "$client_dir"
cp "$recorder" "$client_dir/AOL.EXE"
run_saver "client, Start AOL" $VK_V 1
expect "client, Start AOL: the client starts once, quoted, no window left" \
    "$(printf '"C:\\AOL30\\AOL.EXE"\t0')" "$(started 1)"
run_saver "client, Cancel" $VK_V 2
expect "client, Cancel: neither the client nor the browser starts" "" "$(started 0)"

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all launcher checks passed"
