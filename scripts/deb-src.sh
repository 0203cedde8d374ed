#!/bin/bash
# Adds deb-src entries for the Debian archive suites this machine installs from, so that
# `apt-get source` can fetch the libraries the WebAssembly build compiles. Idempotent: the
# entries live in one file of their own, rewritten only when it would change; apt-get update
# runs only then, or when the source indexes are missing.
#   scripts/deb-src.sh
# Reads deb822 files (/etc/apt/sources.list.d/*.sources) and one-line entries
# (/etc/apt/sources.list, *.list); only entries of the Debian archive itself are mirrored,
# since third-party repositories often publish no sources.
set -eu
out=/etc/apt/sources.list.d/glimmer-deb-src.sources
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo

is_debian_uri() { [[ $1 =~ ^https?://[^/]*/debian(-security)?/?$ ]]; }

# Prints one deb822 stanza per Debian "deb" entry found, with Types: deb-src.
collect() {
    local f
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] && [ "$f" != "$out" ] || continue
        # Blank lines end a stanza; comments are dropped.
        awk 'function flush() {
                 if (types ~ /(^| )deb( |$)/ && enabled != "no" && uris != "")
                     printf "%s\t%s\t%s\t%s\n", uris, suites, comps, signed
                 types = uris = suites = comps = signed = enabled = ""
             }
             /^[ \t]*#/ { next }
             /^[ \t]*$/ { flush(); next }
             { key = $1; sub(/:$/, "", key); $1 = ""; sub(/^ +/, "")
               if (key == "Types") types = $0; else if (key == "URIs") uris = $0
               else if (key == "Suites") suites = $0; else if (key == "Components") comps = $0
               else if (key == "Signed-By") signed = $0; else if (key == "Enabled") enabled = $0 }
             END { flush() }' "$f"
    done
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] || continue
        # deb [options] URI SUITE COMPONENT...
        awk '$1 == "deb" { i = 2; signed = ""
                           if ($2 ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
                           comps = ""; for (j = i + 2; j <= NF; j++) comps = comps " " $j
                           sub(/^ /, "", comps)
                           printf "%s\t%s\t%s\t%s\n", $i, $(i + 1), comps, signed }' "$f"
    done
}

stanzas=""
while IFS=$'\t' read -r uris suites comps signed; do
    for uri in $uris; do
        is_debian_uri "$uri" || continue
        stanzas+="Types: deb-src"$'\n'"URIs: $uri"$'\n'"Suites: $suites"$'\n'
        stanzas+="Components: $comps"$'\n'
        [ -n "$signed" ] && stanzas+="Signed-By: $signed"$'\n'
        stanzas+=$'\n'
    done
done < <(collect)
if [ -z "$stanzas" ]; then
    echo "deb-src.sh: no Debian archive entry found in /etc/apt; cannot add deb-src" >&2
    exit 1
fi
content="# Written by glimmer's scripts/deb-src.sh: sources for the WebAssembly build."$'\n'
content+=$stanzas

changed=0
if [ ! -f "$out" ] || [ "$(cat "$out")" != "$(printf '%s' "$content")" ]; then
    printf '%s' "$content" | $sudo tee "$out" >/dev/null
    changed=1
fi
if [ $changed -eq 1 ] || ! ls /var/lib/apt/lists/*_Sources* >/dev/null 2>&1; then
    # Another apt may hold the lock for a moment.
    for attempt in 1 2 3 4 5; do
        $sudo apt-get update -qq && break
        sleep $((attempt * 3))
    done
fi
