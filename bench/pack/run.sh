#!/bin/sh
# Benchmark of the short command on a folder of 100 pictures made at run time: 60 camera-sized
# JPEGs (4000 x 3000), 25 PNG screenshots (1920 x 1080) and 15 BMPs already in the saver's form
# (800 x 600, 256 colours). Prints the wall time and peak memory of
#   glimmer-pack build -o Holiday.exe --name Holiday FOLDER/
# with one picture worker and with one per processor, then with one per processor making large
# true-colour slides (--size 2048x1536 --bits 24: 943 MB of slides, written one by one as they
# are ready), and the tool's own closing lines.
#   bench/pack/run.sh [GLIMMER_PACK]    default: dist/glimmer-pack (after make)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
exec python3 "$here/pack_bench.py" "${1:-$root/dist/glimmer-pack}"
