#!/usr/bin/env bash
# Installs what the Windows cross-build needs and builds the libraries Debian
# has no MinGW build of (libpng, libjpeg-turbo, SQLite) from Debian's own
# source packages into build-windows/deps. Each source is pinned by version and
# by the SHA-256 of its .dsc (which in turn pins every tarball's hash, checked
# by dpkg-source on unpacking). Safe to run again: finished steps are skipped.
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."

root=$PWD/build-windows
src=$root/src
prefix=$root/deps
toolchain=$PWD/cmake/mingw-w64-x86_64.cmake
host=x86_64-w64-mingw32

# bookworm's point release: the archive this machine reads has no security pool's sources.
png_version=1.6.39-2+deb12u5
png_dsc_sha256=7b86211030a34deb6b0a2cd7e1d9db0fe92443fd30cab537fb89b1e7f7c9f188
jpeg_version=1:2.1.5-2
jpeg_dsc_sha256=d718ead0dfbcbc8523665c02a7f7152e31039ded641d022868722623bb3b486d
sqlite_version=3.40.1-2+deb12u2
sqlite_dsc_sha256=ee3459ae9d00939741c7708fc1b8ce1bde12d8c3fb1dfa005bbbc8651d884e23

packages=(
    g++-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev
    wine wine64 nsis
    cmake ninja-build dpkg-dev tcl xvfb
)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

# Source entries for the same archive the machine already uses, under a name of ours.
sources_file=/etc/apt/sources.list.d/veskedit-windows-src.sources
need_update=0
if [ ! -f "$sources_file" ]; then
    base=/etc/apt/sources.list.d/debian.sources
    if [ ! -f "$base" ]; then
        echo "windows-deps: $base not found; cannot tell which Debian archive to fetch sources from" >&2
        exit 1
    fi
    grep -v '^#' "$base" | sed 's/^Types: deb$/Types: deb-src/' | $sudo tee "$sources_file" >/dev/null
    need_update=1
fi

if [ ${#missing[@]} -gt 0 ] || [ $need_update -eq 1 ]; then
    $sudo apt-get update
fi
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

mkdir -p "$src" "$prefix"

# fetch <source package> <version> <dsc sha256>: prints the unpacked folder.
fetch() {
    local name=$1 version=$2 sum=$3
    local upstream=${version#*:}
    upstream=${upstream%-*}
    local dir=$src/$name-$upstream
    if [ ! -f "$dir/.unpacked" ]; then
        rm -rf "$dir"
        (cd "$src" && apt-get source --download-only "$name=$version" >&2)
        local dsc=$src/${name}_${version#*:}.dsc
        if ! echo "$sum  $dsc" | sha256sum --check --status; then
            echo "windows-deps: $(basename "$dsc") does not have the pinned SHA-256 $sum (it has $(sha256sum "$dsc" | cut -d' ' -f1))" >&2
            exit 1
        fi
        (cd "$src" && dpkg-source -x "$(basename "$dsc")" "$dir" >&2)
        touch "$dir/.unpacked"
    fi
    echo "$dir"
}

jobs=2

if [ ! -f "$prefix/lib/libpng16.a" ]; then
    dir=$(fetch libpng1.6 "$png_version" "$png_dsc_sha256")
    cmake -S "$dir" -B "$root/deps-build/png" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF
    cmake --build "$root/deps-build/png" --parallel $jobs --target install
fi

if [ ! -f "$prefix/lib/libjpeg.a" ] || [ ! -f "$prefix/include/jpegint.h" ]; then
    dir=$(fetch libjpeg-turbo "$jpeg_version" "$jpeg_dsc_sha256")
    # Without SIMD: no nasm needed, and the editor only decodes a few small images.
    cmake -S "$dir" -B "$root/deps-build/jpeg" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF
    cmake --build "$root/deps-build/jpeg" --parallel $jobs --target install
    # As Debian's libjpeg62-turbo-dev does: JUCE's loader reads the library's internals.
    cp "$dir/jpegint.h" "$prefix/include/"
fi

if [ ! -f "$prefix/lib/libsqlite3.a" ]; then
    dir=$(fetch sqlite3 "$sqlite_version" "$sqlite_dsc_sha256")
    # Debian ships SQLite's full source tree, not the amalgamation; the source's own
    # tool (tool/mksqlite3c.tcl, run by "make sqlite3.c") makes it, natively.
    amal=$root/deps-build/sqlite
    if [ ! -f "$amal/sqlite3.c" ]; then
        mkdir -p "$amal"
        (cd "$amal" && "$dir/configure" --disable-tcl >/dev/null && make -j$jobs sqlite3.c)
    fi
    flags=(-O2 -DSQLITE_ENABLE_FTS5 -DSQLITE_THREADSAFE=1 -DSQLITE_DQS=0 -DSQLITE_OMIT_LOAD_EXTENSION)
    $host-gcc-posix "${flags[@]}" -c "$amal/sqlite3.c" -o "$amal/sqlite3.o"
    mkdir -p "$prefix/lib" "$prefix/include"
    rm -f "$prefix/lib/libsqlite3.a"
    $host-ar rcs "$prefix/lib/libsqlite3.a" "$amal/sqlite3.o"
    cp "$amal/sqlite3.h" "$amal/sqlite3ext.h" "$prefix/include/"
    echo "SQLite $(sed -n 's/^#define SQLITE_VERSION *"\(.*\)"/\1/p' "$amal/sqlite3.h") with FTS5" >"$prefix/SQLITE_VERSION"
fi

echo "windows-deps: done ($prefix)"
