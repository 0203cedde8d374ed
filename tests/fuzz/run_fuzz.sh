#!/bin/sh
# One fuzz run as CTest makes it: the inputs it finds go to a fresh folder that is removed
# afterwards, so that no run depends on an earlier one; the seed corpus is only read; crash
# files go to ARTIFACTS (in the build folder), not the current directory.
#   run_fuzz.sh TARGET ARTIFACTS SEEDS [libFuzzer options...]
set -eu
target=$1 artifacts=$2 seeds=$3
shift 3
mkdir -p "$artifacts"
found=$(mktemp -d "${TMPDIR:-/tmp}/glimmer-fuzz.XXXXXX")
trap 'rm -rf "$found"' EXIT
# libFuzzer writes new inputs only into the first folder it is given.
"$target" "$@" -artifact_prefix="$artifacts/" "$found" "$seeds"
