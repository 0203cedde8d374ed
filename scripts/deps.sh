#!/bin/bash
# Installs the Debian packages the build, the demo and the tests need, when any is missing, and
# 32-bit Wine (wine32:i386), which runs the shipped i686 programs. A mirror that cannot deliver
# the i386 packages is retried a few times; if it still fails, this says so in one line and the
# tests fall back to the x86_64 twin.
set -eu
packages=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 fonts-wine xvfb xdotool x11-utils
    imagemagick cmake make g++ googletest python3 pkg-config binutils dpkg-dev
    libjpeg62-turbo-dev libpng-dev libwebp-dev libheif-dev libgif-dev libexif-dev
    libimagequant-dev clang libclang-rt-14-dev chromium)
# The saver preview's WebAssembly module is built with Debian's emscripten.
packages+=(emscripten)
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive

missing=()
for p in "${packages[@]}"; do
    installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if ! installed wine32:i386; then
    dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
    for attempt in 1 2 3; do
        echo "Installing 32-bit Wine (wine32:i386), attempt $attempt"
        if $sudo apt-get update -qq && $sudo apt-get install -y -qq --no-install-recommends \
            wine32:i386; then
            break
        fi
        sleep $((attempt * 5))
    done
    installed wine32:i386 ||
        echo "32-bit Wine (wine32:i386) could not be installed: the Wine tests run the x86_64 twin instead."
fi
exit 0
