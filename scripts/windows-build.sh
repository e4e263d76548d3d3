#!/usr/bin/env bash
# Cross-builds for Windows into build-windows/ with MinGW-w64 and checks the
# result under Wine. Today that is JUCE's modules (vesk_juce, from a patched
# copy of Debian's), GoogleTest, and tools/RepaintCounter.cpp, run under Wine
# and Xvfb, which must repaint its window and leaves a screenshot in
# build-windows/repaint-counter.png. The program's own layers need the
# platform layer first (README, "Windows (in progress)"). Safe to run again:
# it reuses what build-windows/ holds.
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."

root=$PWD/build-windows
took() { echo "== ($1 took $((SECONDS - started)) s)"; started=$SECONDS; }
started=$SECONDS

scripts/windows-deps.sh
took "the tools and libraries"

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
        -DJUCE_DIR="$juce/cmake" -DVESK_BUILD_BENCHMARKS=OFF
fi
cmake --build "$root" --parallel 2 --target vesk_juce gtest repaint_counter
took "the build"

# A Wine prefix of the build's own; without a window manager, closing a window
# waits for one unless Wine manages no windows itself.
export WINEPREFIX=$root/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/.vesk-ready" ]; then
    tests/with-xvfb.sh bash -c 'wineboot --init && wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f >/dev/null && wineserver --wait'
    touch "$WINEPREFIX/.vesk-ready"
fi

# The window for 6 s, photographed after 4 s.
shot=$root/repaint-counter.png
rm -f "$shot"
status=0
tests/with-xvfb.sh bash -c '
    wine "$1/tools/repaint_counter.exe" 6 & program=$!
    sleep 4
    import -window root "$2"
    wait $program' _ "$root" "$shot" || status=$?
wineserver --wait || true
took "the run under Wine"
if [ $status -ne 0 ]; then
    echo "windows-build: the window was not repainted under Wine (see $shot)" >&2
    exit 1
fi
echo "windows-build: done; the window repainted under Wine ($shot)"
