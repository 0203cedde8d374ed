#!/bin/sh
# Benchmark of colour reduction against a plain median cut: PSNR per picture of the photo
# benchmark's wallpapers plus a few made gradients and a piece of flat artwork.
#
# Needs Debian's plasma-workspace-wallpapers (installed when missing, as run.sh does) and
# python3-pil for the median cut. Environment: PHOTO_BENCH_BUILD (build folder),
# PHOTO_BENCH_SPEED (quantisation speed, 4).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${PHOTO_BENCH_BUILD:-$root/build/bench-photo}
speed=${PHOTO_BENCH_SPEED:-4}
wallpapers=/usr/share/wallpapers

for package in plasma-workspace-wallpapers python3-pil; do
    if ! dpkg-query -W -f '${Status}' "$package" 2>/dev/null | grep -q installed; then
        echo "installing $package" >&2
        apt-get install -y --no-install-recommends "$package" >/dev/null ||
            { apt-get update >/dev/null && apt-get install -y --no-install-recommends "$package" >/dev/null; }
    fi
done

cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target quantise_bench >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The largest file of each wallpaper.
set --
for dir in "$wallpapers"/*/contents/images; do
    largest=$(ls -S "$dir" | head -n 1)
    [ -n "$largest" ] && set -- "$@" "$dir/$largest"
done

"$build/quantise_bench" "$here/median_cut.py" "$work" "$speed" "$@"
