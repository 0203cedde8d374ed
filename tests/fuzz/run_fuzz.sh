#!/bin/sh
# One fuzz run as CTest makes it, the same every time and everywhere: the inputs it finds go to
# a fresh folder that is removed afterwards, so that no run depends on an earlier one; the seed
# corpus is only read; crash files go to ARTIFACTS (in the build folder), not the current
# directory.
#   run_fuzz.sh TARGET ARTIFACTS SEEDS [libFuzzer options...]
#
# libFuzzer keeps recent comparisons in a table indexed by code address and draws on it when it
# changes inputs; the values compared include stack addresses. So the target runs with address
# randomisation off, and with the same arguments and environment (their size moves the stack)
# wherever the build lies.
set -eu
target=$1 artifacts=$2 seeds=$3
shift 3
mkdir -p "$artifacts"
work=$(mktemp -d "${TMPDIR:-/tmp}/glimmer-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/found"
ln -s "$(cd "$(dirname "$target")" && pwd)/$(basename "$target")" "$work/fuzz"
ln -s "$(cd "$seeds" && pwd)" "$work/seeds"
ln -s "$(cd "$artifacts" && pwd)" "$work/artifacts"
same_addresses="setarch $(uname -m) -R"
if ! $same_addresses true 2>/dev/null; then
    echo "run_fuzz.sh: cannot turn address randomisation off; this run may differ from others" >&2
    same_addresses=
fi
cd "$work"
# libFuzzer writes new inputs only into the first folder it is given.
env -i PATH=/usr/bin:/bin $same_addresses ./fuzz "$@" -artifact_prefix=artifacts/ found seeds
