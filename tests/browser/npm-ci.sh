#!/bin/bash
# Fills DIR/node_modules from the pinned package.json and package-lock.json beside this script
# (npm ci), unless DIR already holds that very lock file's packages.
#   npm-ci.sh DIR
set -eu
here=$(cd "$(dirname "$0")" && pwd)
dir=$1
mkdir -p "$dir"
if [ -d "$dir/node_modules/playwright-core" ] && cmp -s "$here/package-lock.json" "$dir/package-lock.json"; then
    exit 0
fi
cp "$here/package.json" "$here/package-lock.json" "$dir/"
cd "$dir"
npm ci --no-audit --no-fund --loglevel=error
