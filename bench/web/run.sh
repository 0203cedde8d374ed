#!/bin/bash
# The page against glimmer-pack on 20 twelve-megapixel JPEGs made at run time (4000 x 3000,
# ImageMagick's plasma, a different seed each): prints the seconds of each and whether their
# installers are the same bytes. A figure, not a test.
#   bench/web/run.sh [BUILD_DIR] [COUNT]
set -eu
cd "$(dirname "$0")/../.."
BUILD=${1:-build}
COUNT=${2:-20}
DIST=dist
[ "$BUILD" = build ] || DIST=$BUILD/dist
tests/browser/npm-ci.sh "$BUILD/host/browser" >/dev/null
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for i in $(seq "$COUNT"); do
    convert -size 4000x3000 -seed "$i" plasma: -quality 90 "$tmp/photo_$i.jpg"
done
node bench/web/page_vs_command_line.js "$DIST/web" "$DIST/glimmer-pack" \
    "$BUILD/host/browser/node_modules" "$tmp"/photo_*.jpg
