#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop finds
# there: the programs, the desktop entry, the AppStream description, the
# library file type and both icons where the freedesktop specifications look
# for them, and vesk's man page. Usage: install-test.sh BUILD-DIR
set -uo pipefail

build=$(readlink -f "$1")
prefix=$(mktemp -d /tmp/vesk_install.XXXXXX)
trap 'rm -rf "$prefix"' EXIT
id=org.example.veskedit.VeskEdit
failures=0

check()
{
    local what=$1
    shift
    if "$@" > "$prefix/.out" 2>&1; then
        echo "ok: $what"
    else
        echo "FAIL: $what"
        sed 's/^/    /' "$prefix/.out"
        failures=$((failures + 1))
    fi
}

cmake --install "$build" --prefix "$prefix" > "$prefix/.install.log" 2>&1 \
    || { cat "$prefix/.install.log"; echo "FAIL: cmake --install"; exit 1; }

share=$prefix/share
check "VeskEdit and vesk in bin" test -x "$prefix/bin/VeskEdit" -a -x "$prefix/bin/vesk"
check "the installed vesk runs" "$prefix/bin/vesk" --version

desktop=$share/applications/$id.desktop
check "desktop entry passes desktop-file-validate" desktop-file-validate "$desktop"
check "desktop entry opens the file it is given" grep -qx 'Exec=VeskEdit %f' "$desktop"
check "desktop entry names the library type" grep -qx 'MimeType=application/x-vesk-library;' "$desktop"
check "desktop entry's categories" grep -qx 'Categories=AudioVideo;Audio;Midi;' "$desktop"

metainfo=$share/metainfo/$id.metainfo.xml
check "AppStream metainfo passes appstream-util validate-relax" appstream-util validate-relax --nonet "$metainfo"
version=$("$prefix/bin/vesk" --version | awk '{ print $2 }')
check "AppStream release is the program's version ($version)" grep -q "<release version=\"$version\"" "$metainfo"
check "AppStream shows the README's screenshot" grep -q "docs/main-window.png</image>" "$metainfo"

# The icon theme looks in share/icons/hicolor/SIZE/apps for the desktop entry's Icon name.
check "scalable icon is an SVG" xmllint --noout "$share/icons/hicolor/scalable/apps/$id.svg"
check "256 x 256 icon" test "$(identify -format '%m %wx%h' "$share/icons/hicolor/256x256/apps/$id.png" 2>&1)" = "PNG 256x256"
check "desktop entry names the installed icon" grep -qx "Icon=$id" "$desktop"

# shared-mime-info reads share/mime/packages; a desktop finds the type by name and by its first bytes.
check "mime description in share/mime/packages" test -f "$share/mime/packages/veskedit.xml"
check "update-mime-database takes it" update-mime-database "$share/mime"
mkdir -p "$prefix/files"
printf 'VSK' > "$prefix/files/Set 1.vsk"
printf 'VSK\0\0\0' > "$prefix/files/renamed.bin"
type_of() { XDG_DATA_DIRS="$share" XDG_DATA_HOME="$prefix/none" gio info -a standard::content-type "$1" | awk '/content-type/ { print $2 }'; }
check "a *.vsk file is a Vesk library" test "$(type_of "$prefix/files/Set 1.vsk")" = application/x-vesk-library
check "a file that starts with VSK is a Vesk library" test "$(type_of "$prefix/files/renamed.bin")" = application/x-vesk-library
printf 'XYZ\0\0\0' > "$prefix/files/other.bin"
check "another file is not" test "$(type_of "$prefix/files/other.bin")" != application/x-vesk-library

check "vesk's man page" sh -c "zcat '$share/man/man1/vesk.1.gz' | grep -q '^\\.TH VESK \"1\"'"
check "licence and README in the documentation folder" test -f "$share/doc/VeskEdit/copyright" -a -f "$share/doc/VeskEdit/README.md"

[ $failures -eq 0 ] || { echo "$failures failed"; exit 1; }
echo "PASS (install)"
