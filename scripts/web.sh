#!/bin/bash
# Serves the page in dist/web/ on this computer only (127.0.0.1) and prints its address; Ctrl-C
# stops the server. Builds it first when it is missing.
#   scripts/web.sh [PORT]     (default 8014)
set -eu
cd "$(dirname "$0")/.."
PORT=${1:-8014}
[ -f dist/web/index.html ] || make
echo "The page: http://127.0.0.1:$PORT/  (Ctrl-C stops the server)"
exec python3 -m http.server --bind 127.0.0.1 "$PORT" --directory dist/web
