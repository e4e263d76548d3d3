#!/usr/bin/env bash
# Builds the Debian package (cpack -G DEB) in build/ and checks it with dpkg-deb:
# its fields, the dependencies dpkg-shlibdeps read from the binaries, and that it
# holds every installed file; then with lintian, which must find no error and no
# warning. Prints the package's path and size.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh lintian
scripts/build.sh VeskEdit vesk vesk_man package_docs

# A group-writable umask, so that lintian sees the package's permissions do
# not depend on whoever builds it.
(cd build && umask 0002 && cpack -G DEB > cpack.log) || { cat build/cpack.log; exit 1; }
package=$(ls -t build/veskedit_*.deb | head -1)

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

info=$(dpkg-deb --info "$package")
contents=$(dpkg-deb --contents "$package")
field() { dpkg-deb --field "$package" "$1"; }

[ "$(field Package)" = veskedit ] || fail "package name is $(field Package)"
[ "$(field Version)" = "$(build/vesk --version | awk '{ print $2 }')" ] || fail "version $(field Version) is not vesk's"
[ "$(field Section)" = sound ] || fail "section is $(field Section)"

# Read from the binaries by dpkg-shlibdeps (the C and C++ libraries, what JUCE
# reads fonts and pictures with), and the libraries opened at run time, named
# by hand: X for the window, ALSA for MIDI, SQLite for the collection.
depends=$(field Depends)
for library in libc6 libstdc++6 libasound2 libfreetype6 libpng16-16 libx11-6 libxext6 libsqlite3-0; do
    grep -q "\b$library\b" <<< "$depends" || fail "Depends lacks $library: $depends"
done
# The programs' packed relocations need glibc 2.36, which dpkg-shlibdeps does not read from them.
grep -q 'libc6 (>= 2.36)' <<< "$depends" || fail "Depends lacks libc6 (>= 2.36): $depends"

for file in ./usr/bin/VeskEdit ./usr/bin/vesk \
            ./usr/share/applications/org.example.veskedit.VeskEdit.desktop \
            ./usr/share/metainfo/org.example.veskedit.VeskEdit.metainfo.xml \
            ./usr/share/mime/packages/veskedit.xml \
            ./usr/share/icons/hicolor/scalable/apps/org.example.veskedit.VeskEdit.svg \
            ./usr/share/icons/hicolor/256x256/apps/org.example.veskedit.VeskEdit.png \
            ./usr/share/man/man1/vesk.1.gz ./usr/share/man/man1/VeskEdit.1.gz \
            ./usr/share/doc/veskedit/copyright ./usr/share/doc/veskedit/changelog.gz; do
    grep -q " $file\$" <<< "$contents" || fail "the package lacks $file"
done

grep -q ' ./usr/bin/VeskEdit$' <<< "$(grep -- '-rwxr-xr-x' <<< "$contents")" || fail "VeskEdit is not executable"

# The copyright file names the licence LICENSE holds, by the copy every Debian system has.
cmp -s LICENSE /usr/share/common-licenses/GPL-3 || fail "LICENSE is no longer the GPL version 3: packaging/copyright must say what it is"

echo "$info"

# Errors and warnings fail; info tags are shown (lintian -i explains each).
lintian_status=0
report=$(lintian --fail-on error,warning --display-info "$package" 2>&1) || lintian_status=$?
grep -v '^running with root privileges' <<< "$report" || echo "lintian: no tags"
[ $lintian_status -eq 0 ] || fail "lintian found errors or warnings (exit status $lintian_status)"

if [ $failures -ne 0 ]; then
    echo "$failures check(s) of $package failed"
    exit 1
fi

echo "$package: $(stat -c %s "$package") bytes; installed size $(field Installed-Size) KiB"
