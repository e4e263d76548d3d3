#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop finds
# there: the programs, the desktop entry, the AppStream description, the
# library file type and both icons where the freedesktop specifications look
# for them, both man pages, and the package's copyright and changelog where
# Debian looks for them. Usage: install-test.sh BUILD-DIR
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

# --warnings turns groff's complaints into output, as lintian reads them.
page=$share/man/man1/VeskEdit.1.gz
man_warnings() { LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$1" 2>&1 > /dev/null; }
check "VeskEdit's man page renders without warnings" test -f "$page" -a -z "$(man_warnings "$page")"
check "VeskEdit's man page is of this version ($version)" sh -c "zcat '$page' | grep -q '^\\.TH VESKEDIT 1 \"[0-9-]*\" \"VeskEdit $version\"'"
check "VeskEdit's man page points to vesk's" sh -c "zcat '$page' | sed -n '/^\\.SH \"SEE ALSO\"/,\$p' | grep -q '^\\.BR vesk (1)'"

# The package's documents go in the folder named after the package.
doc=$share/doc/veskedit
check "copyright, changelog and README in the documentation folder" test -f "$doc/copyright" -a -f "$doc/changelog.gz" -a -f "$doc/README.md"
check "the README's links lead to the pages beside it" sh -c "grep -o '](docs/[^)#]*' '$doc/README.md' | cut -c3- | sort -u | while read -r f; do test -f \"$doc/\$f\" || exit 1; done"
check "copyright file in the machine-readable format" grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$doc/copyright"
zcat "$doc/changelog.gz" > "$prefix/changelog" 2> /dev/null
changelog_field() { dpkg-parsechangelog -l "$prefix/changelog" -S "$1"; }
check "the changelog's latest entry is this version ($version)" test "$(changelog_field Version)" = "$version"
release_date=$(sed -n "s/.*<release version=\"$version\" date=\"\([0-9-]*\)\".*/\1/p" "$metainfo")
check "the changelog's latest entry is dated as the AppStream release ($release_date)" \
    test "$(date -u -d "$(changelog_field Date)" +%F)" = "$release_date"

[ $failures -eq 0 ] || { echo "$failures failed"; exit 1; }
echo "PASS (install)"
