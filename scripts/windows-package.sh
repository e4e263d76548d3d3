#!/usr/bin/env bash
# Makes what ships for Windows from the Windows build (scripts/windows-build.sh):
# the installer (packaging/windows/VeskEdit.nsi, NSIS) and the portable zip,
# both in BUILD-DIR (default build-windows), and prints their sizes.
# Usage: windows-package.sh [BUILD-DIR]
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."

build=$(readlink -f "${1:-build-windows}")
for program in VeskEdit.exe vesk.exe; do
    [ -f "$build/$program" ] || { echo "windows-package: no $build/$program; run scripts/windows-build.sh first" >&2; exit 1; }
done
scripts/deps.sh nsis zip > /dev/null

version=$(sed -n 's/^project (VeskEdit VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "windows-package: no version in CMakeLists.txt's project ()" >&2; exit 1; }

# What both hold, with text files in Windows' line ends, dated as the last
# commit so that the zip is the same from the same sources.
stage=$build/package/VeskEdit-$version
rm -rf "$build/package"
mkdir -p "$stage"
# Without their symbol tables, which only a debugger reads: about 7 MB each
# rather than 13 MB.
for program in VeskEdit.exe vesk.exe; do
    x86_64-w64-mingw32-strip --strip-all -o "$stage/$program" "$build/$program"
done
scripts/windows-icon.sh "$stage/VeskEdit.ico"
sed 's/$/\r/' README.md > "$stage/README.txt"
sed 's/$/\r/' LICENSE > "$stage/LICENSE.txt"
# The README's links lead into docs/: its pages and pictures go beside it, and
# the installer learns their names (docs.nsh) to put them there and take
# exactly those away again.
mkdir "$stage/docs"
docs=()
for file in docs/*.md docs/*.png; do
    case $file in
        *.md) sed 's/$/\r/' "$file" > "$stage/$file" ;;
        *) cp "$file" "$stage/$file" ;;
    esac
    docs+=("$file")
done
{
    echo '!macro InstallDocs'
    echo '    SetOutPath "$INSTDIR\docs"'
    for file in "${docs[@]}"; do echo "    File \"\${STAGE}\\docs\\${file#docs/}\""; done
    echo '!macroend'
    echo '!macro RemoveDocs'
    for file in "${docs[@]}"; do echo "    Delete \"\$INSTDIR\\docs\\${file#docs/}\""; done
    echo '    RMDir "$INSTDIR\docs"'
    echo '!macroend'
} > "$build/package/docs.nsh"
date=$(git log -1 --format=%ct 2> /dev/null || date +%s)
touch -d "@$date" "$stage"/* "$stage"/docs/*

# Those of an earlier version go: one installer and one zip in the folder.
rm -f "$build"/VeskEdit-*-setup.exe "$build"/VeskEdit-*-windows-x64.zip
installer=$build/VeskEdit-$version-setup.exe
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DDOCS="$build/package/docs.nsh" -DOUTFILE="$installer" packaging/windows/VeskEdit.nsi

# The zip's own folder, so that unpacking it does not scatter the files.
zip=$build/VeskEdit-$version-windows-x64.zip
(cd "$build/package" && TZ=UTC zip -q -X -9 "$zip" \
    "VeskEdit-$version/VeskEdit.exe" "VeskEdit-$version/vesk.exe" \
    "VeskEdit-$version/README.txt" "VeskEdit-$version/LICENSE.txt" \
    "${docs[@]/#/VeskEdit-$version/}")

echo "$installer: $(stat -c %s "$installer") bytes"
echo "$zip: $(stat -c %s "$zip") bytes"
