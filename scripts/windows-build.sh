#!/usr/bin/env bash
# Cross-builds everything for Windows into build-windows/ with MinGW-w64: the
# libraries Debian has no MinGW build of (scripts/windows-deps.sh), a patched
# copy of Debian's JUCE, then VeskEdit.exe, vesk.exe and every test program
# from the same CMake targets as the Linux build. Checks that the programs
# need only Windows' own DLLs. scripts/windows-test.sh runs the tests under
# Wine. Safe to run again: it reuses what build-windows/ holds.
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."

root=$PWD/build-windows
took() { echo "== ($1 took $((SECONDS - started)) s)"; started=$SECONDS; }
started=$SECONDS

scripts/windows-deps.sh
took "the Windows tools and libraries"

# JUCE's modules, copied and patched; copied anew when a patch changes.
juce_cmake=/usr/lib/x86_64-linux-gnu/cmake/JUCE-7.0.5
juce=$root/juce
patches=(cmake/juce-7.0.5-vblank-fallback.patch cmake/juce-7.0.5-mingw-system-jpeg.patch)
stamp=$(cat "${patches[@]}" "$juce_cmake/JUCEConfig.cmake" | sha256sum | cut -d' ' -f1)
if [ "$(cat "$juce/.patched" 2>/dev/null)" != "$stamp" ]; then
    rm -rf "$juce"
    mkdir -p "$juce/cmake"
    cp -r /usr/share/juce/modules "$juce/modules"
    for p in "${patches[@]}"; do
        patch --quiet --forward -p1 -d "$juce/modules" < "$p"
    done
    # Debian's package configuration, pointed at the copy.
    sed -e "s|/usr/share/juce/modules|$juce/modules|g" -e "s|\${CMAKE_CURRENT_LIST_DIR}|$juce_cmake|g" "$juce_cmake/JUCEConfig.cmake" > "$juce/cmake/JUCEConfig.cmake"
    cp "$juce_cmake/JUCEConfigVersion.cmake" "$juce/cmake/"
    echo "$stamp" > "$juce/.patched"
    rm -f "$root/CMakeCache.txt"
fi

if [ ! -f "$root/CMakeCache.txt" ]; then
    cmake -S . -B "$root" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
        -DJUCE_DIR="$juce/cmake" -DVESK_BUILD_BENCHMARKS=OFF > /dev/null
fi
jobs=$(nproc 2>/dev/null || echo 2)
cmake --build "$root" --parallel "$jobs"
took "the Windows build"

# A DLL of MinGW's runtime (libstdc++-6.dll, libwinpthread-1.dll ...), zlib's
# or SQLite's would be missing on the user's machine; Windows' own DLLs are
# never named lib*.
status=0
for exe in "$root"/VeskEdit.exe "$root"/vesk.exe "$root"/tests/*.exe; do
    foreign=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p' | grep -Ei '^lib|^zlib|sqlite' || true)
    if [ -n "$foreign" ]; then
        echo "windows-build: $(basename "$exe") needs DLLs Windows does not have: $foreign" >&2
        status=1
    fi
done
[ $status -eq 0 ] || exit 1
echo "windows-build: done; $(stat -c '%n %s bytes' "$root/VeskEdit.exe" "$root/vesk.exe" | sed "s|$root/||" | paste -sd, - | sed 's/,/, /')"
