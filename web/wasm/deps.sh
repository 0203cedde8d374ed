#!/bin/bash
# Fetches the decoding libraries' Debian source packages and builds them as static libraries.
#   web/wasm/deps.sh wasm OUT      WebAssembly (Debian's emscripten) into OUT/deps
#   web/wasm/deps.sh native OUT    libimagequant alone, natively, into OUT/native
# OUT/src holds the unpacked sources (apt-get source), fetched once; OUT/obj the build trees.
# A stamp per library, holding its source version and a digest of its flags, makes a rerun skip
# what is built already: nothing is fetched or compiled twice.
#
# The libraries are compiled as Debian ships them (Debian's patches applied by dpkg-source),
# never edited: what differs is flags and, for the libraries built by web/wasm/libs, the list
# of sources. WebAssembly: -O2, no SIMD, no threads, no fused multiply-add, source paths
# mapped to "." so that two build folders give the same bytes.
set -eu
target=$1
out=$(mkdir -p "$2" && cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
src=$out/src
mkdir -p "$src"
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
jobs=${JOBS:-2}

# Unpacks source package NAME into src/NAME (once). The newest version
# the archive lists comes first; a version whose files the mirror lacks gives way to the next.
fetch() {
    local name=$1 dir=$src/$1
    if [ ! -f "$src/.$name.fetched" ]; then
        rm -rf "$dir" "$src/tmp-$name"
        mkdir -p "$src/tmp-$name"
        local versions v got=""
        versions=$(apt-cache showsrc --only-source "$name" 2>/dev/null |
            sed -n 's/^Version: //p' | sort -u -r -V)
        [ -n "$versions" ] || {
            echo "deps.sh: no source package $name: run scripts/deb-src.sh" >&2
            exit 1
        }
        for v in $versions; do
            if (cd "$src/tmp-$name" && apt-get source -qq "$name=$v" >/dev/null 2>&1); then
                got=$v
                break
            fi
            echo "deps.sh: $name $v could not be fetched; trying an older version" >&2
            rm -rf "$src/tmp-$name"/*
        done
        [ -n "$got" ] || { echo "deps.sh: cannot fetch $name" >&2; exit 1; }
        mv "$(find "$src/tmp-$name" -mindepth 1 -maxdepth 1 -type d | head -n1)" "$dir"
        rm -rf "$src/tmp-$name"
        echo "$got" >"$src/.$name.fetched"
        echo "deps.sh: fetched $name $got" >&2
    fi
}

# cmake_lib NAME SOURCE_DIR CMAKE_ARGS...: the library's own CMake build, installed, unless
# its stamp says it is built from this source version with these flags. Programs the libraries
# build besides (libjpeg-turbo's cjpeg and the like) are linked without optimising: they are not
# used, and emcc's optimising link is slow.
cmake_lib() {
    local name=$1 dir=$2
    shift 2
    local flags="$cflags -ffile-prefix-map=${sources:-$dir}=."
    local args=(-G "Unix Makefiles" -DCMAKE_BUILD_TYPE=None -DCMAKE_C_FLAGS="$flags"
        -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS=-O0
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib
        -DCMAKE_POSITION_INDEPENDENT_CODE=OFF -DBUILD_TESTING=OFF "$@")
    local stamp
    stamp="$(cat "$src/.$name.fetched") $(printf '%s\n' "${args[@]}" | sha256sum | cut -c1-16)"
    [ "$(cat "$prefix/.$name.built" 2>/dev/null)" = "$stamp" ] && return 0
    local obj=$out/obj/$target/$name start=$SECONDS
    rm -rf "$obj"
    mkdir -p "$out/obj/$target"
    $cmake cmake -S "$dir" -B "$obj" "${args[@]}" >"$obj.log" 2>&1 ||
        { tail -n 30 "$obj.log" >&2; exit 1; }
    { cmake --build "$obj" -j"$jobs" && cmake --install "$obj"; } >>"$obj.log" 2>&1 ||
        { tail -n 30 "$obj.log" >&2; exit 1; }
    echo "$stamp" >"$prefix/.$name.built"
    echo "deps.sh: built $name ($target) in $((SECONDS - start)) s" >&2
}

# own_lib NAME: built from web/wasm/libs, which lists its sources.
# The digest of its recipe is one of the arguments, so that a changed list rebuilds it.
own_lib() {
    sources=$src/$1 cmake_lib "$1" "$here/libs" -DLIB="$1" -DLIB_SOURCE="$src/$1" \
        -DLIB_RECIPE="$(sha256sum <"$here/libs/CMakeLists.txt" | cut -c1-16)"
}

case $target in
wasm)
    prefix=$out/deps
    cmake=emcmake
    cflags="-O2 -ffp-contract=off"
    # Only this prefix's pkg-config files: never the host's libraries in a WebAssembly build.
    export PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig
    mkdir -p "$prefix"
    for name in zlib libpng1.6 libjpeg-turbo libwebp giflib libexif lcms2 libimagequant \
        libde265 libheif; do
        fetch "$name"
    done
    own_lib zlib
    cmake_lib libpng1.6 "$src/libpng1.6" -DPNG_SHARED=OFF \
        -DPNG_STATIC=ON -DPNG_EXECUTABLES=OFF -DPNG_TESTS=OFF \
        -DPNG_HARDWARE_OPTIMIZATIONS=OFF -DZLIB_INCLUDE_DIR="$prefix/include" \
        -DZLIB_LIBRARY="$prefix/lib/libz.a" -Dld-version-script=OFF
    # CMake's type-size probe runs its test under node and misreads the answer here; the
    # library folder must be absolute, or libjpeg-turbo installs relative to the working folder.
    cmake_lib libjpeg-turbo "$src/libjpeg-turbo" -DENABLE_SHARED=OFF \
        -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF -DHAVE_SIZE_T=TRUE -DSIZE_T=4 \
        -DHAVE_UNSIGNED_LONG=TRUE -DUNSIGNED_LONG=4 -DCMAKE_INSTALL_LIBDIR="$prefix/lib"
    cmake_lib libwebp "$src/libwebp" -DWEBP_ENABLE_SIMD=OFF \
        -DWEBP_USE_THREAD=OFF -DWEBP_BUILD_ANIM_UTILS=OFF -DWEBP_BUILD_CWEBP=OFF \
        -DWEBP_BUILD_DWEBP=OFF -DWEBP_BUILD_GIF2WEBP=OFF -DWEBP_BUILD_IMG2WEBP=OFF \
        -DWEBP_BUILD_VWEBP=OFF -DWEBP_BUILD_WEBPINFO=OFF -DWEBP_BUILD_LIBWEBPMUX=OFF \
        -DWEBP_BUILD_WEBPMUX=OFF -DWEBP_BUILD_EXTRAS=OFF -DWEBP_BUILD_WEBP_JS=OFF
    own_lib giflib
    own_lib libexif
    own_lib lcms2
    own_lib libimagequant
    cmake_lib libde265 "$src/libde265" -DBUILD_SHARED_LIBS=OFF \
        -DDISABLE_SSE=ON -DENABLE_SDL=OFF -DENABLE_DECODER=OFF -DENABLE_ENCODER=OFF
    # Its call that turns libde265's filters off is renamed to heif_full_decoding.c's, which
    # keeps them on: the same pixels as the native build (see that file).
    cflags="$cflags -Dde265_set_parameter_bool=glimmer_de265_parameter_kept" \
        cmake_lib libheif "$src/libheif" -DBUILD_SHARED_LIBS=OFF \
        -DENABLE_PLUGIN_LOADING=OFF -DWITH_EXAMPLES=OFF -DENABLE_MULTITHREADING_SUPPORT=OFF \
        -DWITH_LIBDE265=ON -DWITH_LIBDE265_PLUGIN=OFF \
        -DLIBDE265_INCLUDE_DIR="$prefix/include" \
        -DLIBDE265_LIBRARY="$prefix/lib/libde265.a" -DWITH_X265=OFF -DWITH_DAV1D=OFF \
        -DWITH_AOM_ENCODER=OFF -DWITH_AOM_DECODER=OFF -DWITH_SvtEnc=OFF -DWITH_RAV1E=OFF
    ;;
native)
    # The host's glimmer-pack may link this libimagequant instead of the system's, so that its
    # palettes are the WebAssembly build's to the byte.
    prefix=$out/native
    cmake=""
    cflags="-O2 -ffp-contract=off"
    mkdir -p "$prefix"
    fetch libimagequant
    own_lib libimagequant
    ;;
*)
    echo "usage: deps.sh wasm|native OUT" >&2
    exit 2
    ;;
esac
