#!/bin/bash
# Runs a Windows program under wine64 in the test prefix; GLIMMER_USE_DISPLAY8 selects the
# 8-bit display and its own prefix.
if [ -n "${GLIMMER_USE_DISPLAY8:-}" ]; then
    export DISPLAY="${GLIMMER_DISPLAY8:?the 8-bit display is not set}"
    export WINEPREFIX="${GLIMMER_PREFIX8:?}"
fi
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
exec /usr/lib/wine/wine64 "$@"
