#!/bin/bash
# The saver preview's time per step against the step's period at the shortest fade time, in
# headless chromium (bench/web/preview_steps.js). A figure, not a test.
#   bench/web/preview.sh [BUILD_DIR] [SECONDS_PER_SCREEN]
set -eu
cd "$(dirname "$0")/../.."
BUILD=${1:-build}
DIST=dist
[ "$BUILD" = build ] || DIST=$BUILD/dist
tests/browser/npm-ci.sh "$BUILD/host/browser" >/dev/null
node bench/web/preview_steps.js "$DIST/web" "$BUILD/host/browser/node_modules" "${2:-6}"
