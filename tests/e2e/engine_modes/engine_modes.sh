#!/bin/bash
# The engine's command-line modes end to end under Wine, on copies of the real programs named
# like an installed saver: Settings (OK saves, Cancel and the close box do not, stored values
# are loaded at start-up, the sustain maximum of each variant), the password notice, dialogs
# owned by the window on the command line, unknown switches, and preview or saver runs that
# cannot show anything. Every run must end with exit code 0.
#   engine_modes.sh STANDALONE_ENGINE CARRIED_ENGINE DRIVER
set -u
standalone=$1
carried=$2
driver=$3
WINE=${WINE:-/usr/lib/wine/wine}
export WINEDEBUG=-all

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    "$WINE" reg delete "$key" /f >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

name="Engine Modes"
key="HKCU\\Software\\Halvorne\\Vistamo\\$name"
saver="$work/$name.scr"
failures=0

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

# A little-endian 32-bit integer as registry hex.
le32() {
    local v=$(($1 & 0xFFFFFFFF))
    printf '%02X%02X%02X%02X' $((v & 255)) $((v >> 8 & 255)) $((v >> 16 & 255)) $((v >> 24 & 255))
}
record() { echo "$(le32 "$1")$(le32 "$2")$(le32 "$3")"; }

# "TYPE HEX" of the stored value, or "none".
stored() {
    local line
    line=$("$WINE" reg query "$key" /v Configuration 2>/dev/null | tr -d '\r' |
        awk '$1 == "Configuration" { print $2, $3 }')
    echo "${line:-none}"
}
store() { "$WINE" reg add "$key" /v Configuration /t REG_BINARY /d "$1" /f >/dev/null 2>&1; }
forget() { "$WINE" reg delete "$key" /f >/dev/null 2>&1 || true; }

drive() { "$WINE" "$driver" "$@" | tr -d '\r'; }

# Starts the saver with the given arguments in the background.
start() {
    timeout 60 "$WINE" "$saver" "$@" >/dev/null 2>&1 &
    engine=$!
    pids+=("$engine")
}
# Waits for the saver started last and checks that it ended with exit code 0.
finish() {
    wait "$engine"
    expect "$1" 0 "$?"
}

use() { cp "$1" "$saver"; }

echo "== standalone engine"
use "$standalone"

forget
start /c
expect "settings opens on the defaults" "256 200 6000" "$(drive positions Settings 103 101 102)"
drive press Settings 1
finish "settings OK exit code"
expect "settings OK stores 12 bytes" "REG_BINARY $(record 256 200 6000)" "$(stored)"

forget
start
drive wait Settings >/dev/null || fail "no Settings dialog for an empty command line"
drive press Settings 2
finish "empty command line, Cancel exit code"
expect "Cancel stores nothing" none "$(stored)"

store "$(record 100 250 20000)"
start -C:
expect "settings shows the stored record" "100 250 20000" "$(drive positions Settings 103 101 102)"
drive close Settings
finish "settings close box exit code"
expect "close box leaves the record" "REG_BINARY $(record 100 250 20000)" "$(stored)"

forget
start /a
expect "password notice text" "This screen saver does|not support passwords." \
    "$(drive text 'Change Password' 65535 | paste -sd '|')"
drive press "Change Password" 1
finish "password notice exit code"
expect "password notice stores nothing" none "$(stored)"

windows_saver="Z:${saver//\//\\}"
expect "settings owned by the window on the command line" "owner ours|exit 0" \
    "$(drive owned "$windows_saver" /c: Settings | paste -sd '|')"
expect "password notice owned by the window on the command line" "owner ours|exit 0" \
    "$(drive owned "$windows_saver" '/a ' 'Change Password' | paste -sd '|')"

# Unknown switches show nothing and end at once; so do preview and saver runs of an engine
# that carries no pictures, including a preview with no window to live in.
for tail in /x "/ s" /p "/p 0" /s; do
    began=$(date +%s%N)
    timeout 30 "$WINE" "$saver" $tail >/dev/null 2>&1
    code=$?
    elapsed=$((($(date +%s%N) - began) / 1000000))
    expect "'$tail' exit code" 0 "$code"
    [ "$elapsed" -lt 10000 ] || fail "'$tail' took $elapsed ms"
    echo "   '$tail' ended after $elapsed ms"
done
expect "nothing stored by the runs without a dialog" none "$(stored)"

# Windows 95 starts a saver by the short 8.3 path that SYSTEM.INI holds. The saver still reads
# the settings of the name it was installed under, where its Settings dialog stores them.
short=$(drive short "$windows_saver")
case "$short" in
*" "* | "") fail "no short path for $windows_saver: '$short'" ;;
esac
store "$(record 100 250 9000)"
timeout 60 "$WINE" "$short" /c >/dev/null 2>&1 &
engine=$!
pids+=("$engine")
expect "started by its short path, settings shows the long name's record" "100 250 9000" \
    "$(drive positions Settings 103 101 102)"
drive press Settings 1
finish "short path settings OK exit code"
expect "OK by the short path stores under the long name" "REG_BINARY $(record 100 250 9000)" \
    "$(stored)"

echo "== carried engine"
use "$carried"
store "$(record 100 250 20000)"
start /c
expect "carried engine refuses sustain 20000" "256 200 6000" \
    "$(drive positions Settings 103 101 102)"
drive press Settings 1
finish "carried settings OK exit code"
expect "carried OK stores the defaults" "REG_BINARY $(record 256 200 6000)" "$(stored)"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all checks passed"
