#!/bin/sh
# Benchmark of photo import against ImageMagick on real photographs and large made-up JPEGs.
#
# Installs Debian's plasma-workspace-wallpapers when missing (pictures are never copied into the
# tree), makes a few 12-megapixel JPEGs in a temporary folder, builds the benchmark program and
# prints a table: time per 800 x 600 slide and PSNR, ours and ImageMagick's, on the same inputs.
# Environment: PHOTO_BENCH_BUILD (build folder), PHOTO_BENCH_SPEED (quantisation speed, 4).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${PHOTO_BENCH_BUILD:-$root/build/bench-photo}
speed=${PHOTO_BENCH_SPEED:-4}
convert=/usr/bin/convert
wallpapers=/usr/share/wallpapers

if ! dpkg-query -W -f '${Status}' plasma-workspace-wallpapers 2>/dev/null | grep -q installed; then
    echo "installing plasma-workspace-wallpapers" >&2
    apt-get install -y --no-install-recommends plasma-workspace-wallpapers >/dev/null ||
        { apt-get update >/dev/null && apt-get install -y --no-install-recommends plasma-workspace-wallpapers >/dev/null; }
fi

cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The largest file of each wallpaper.
set --
for dir in "$wallpapers"/*/contents/images; do
    largest=$(ls -S "$dir" | head -n 1)
    [ -n "$largest" ] && set -- "$@" "$dir/$largest"
done

# Three 12-megapixel JPEGs: a fractal landscape, a wallpaper enlarged, and a portrait one.
$convert -size 4000x3000 -seed 7 plasma:fractal -blur 0x1.5 -quality 92 "$work/fractal-12mp.jpg"
$convert "$wallpapers/Flow/contents/images/5120x2880.jpg" -resize '4000x3000^' \
    -gravity center -extent 4000x3000 -quality 92 "$work/flow-12mp.jpg"
$convert "$wallpapers/Altai/contents/images/5120x2880.png" -resize '4000x3000^' \
    -gravity center -extent 4000x3000 -rotate 90 -quality 92 "$work/altai-portrait-12mp.jpg"
set -- "$@" "$work/fractal-12mp.jpg" "$work/flow-12mp.jpg" "$work/altai-portrait-12mp.jpg"

mkdir "$work/scratch"
"$build/photo_bench" "$convert" "$work/scratch" "$speed" "$@"
