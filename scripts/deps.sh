#!/bin/bash
# Installs the Debian packages the build, the demo and the tests need, when any is missing.
set -eu
packages=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 fonts-wine xvfb xdotool x11-utils
    imagemagick cmake make g++ googletest python3 pkg-config binutils
    libjpeg62-turbo-dev libpng-dev libwebp-dev libheif-dev libgif-dev libexif-dev
    libimagequant-dev clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
