#!/bin/bash
# Runs a Windows program under Wine (the loader WINE names) in the test prefix.
# GLIMMER_USE_DISPLAY (8, 16 or 640) selects another display and its own prefix.
case ${GLIMMER_USE_DISPLAY:-} in
8 | 16 | 640)
    display_var=GLIMMER_DISPLAY$GLIMMER_USE_DISPLAY
    prefix_var=GLIMMER_PREFIX$GLIMMER_USE_DISPLAY
    export DISPLAY="${!display_var:?the display $GLIMMER_USE_DISPLAY is not set}"
    export WINEPREFIX="${!prefix_var:?}"
    ;;
esac
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
exec "${WINE:-/usr/lib/wine/wine}" "$@"
