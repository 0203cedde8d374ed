#!/bin/bash
# Installs the Debian packages the build, the demo and the tests need, when any is missing.
set -eu
packages=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 fonts-wine xvfb xdotool x11-utils
    imagemagick cmake make g++ googletest python3 pkg-config binutils dpkg-dev
    libjpeg62-turbo-dev libpng-dev libwebp-dev libheif-dev libgif-dev libexif-dev
    libimagequant-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# 32-bit Wine runs the i686 programs as they ship (the installer that glimmer-pack writes with
# its installed images). A mirror fault can leave it out; the tests that need it then say so
# and are skipped.
if ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then
    echo "Installing: wine32:i386"
    if ! { $sudo dpkg --add-architecture i386 && $sudo apt-get update -qq &&
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
            wine32:i386; }; then
        echo "32-bit Wine could not be installed; tests of the i686 programs will be skipped" >&2
    fi
fi
