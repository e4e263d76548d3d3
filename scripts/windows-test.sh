#!/usr/bin/env bash
# Runs every Windows test program (scripts/windows-build.sh builds them) under
# Wine and one virtual X server, through CTest (label "windows"), in the Wine
# prefix build-windows/wine. Extra arguments go to CTest (-R model_tests ...).
#
# Drive S: is a small tmpfs of its own, named to the tests in
# VESK_TEST_SMALL_DRIVE, for the cases that fill a disk for real; mounting it
# takes root, and without it those cases are skipped.
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."

root=$PWD/build-windows
took() { echo "== ($1 took $((SECONDS - started)) s)"; started=$SECONDS; }
started=$SECONDS

export WINEPREFIX=$root/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# The build's own prefix. Without a window manager, closing a window waits
# for one unless Wine manages no windows itself.
if [ ! -f "$WINEPREFIX/.vesk-ready" ]; then
    tests/with-xvfb.sh bash -c 'wineboot --init && wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f && wineserver --wait' > "$root/wineboot.log" 2>&1 \
        || { cat "$root/wineboot.log" >&2; exit 1; }
    touch "$WINEPREFIX/.vesk-ready"
    took "the Wine prefix"
fi

# A test program that crashes ends there, with its failure in CTest's
# report, instead of waiting in Wine's debugger until CTest's timeout.
if [ ! -f "$WINEPREFIX/.vesk-no-debugger" ]; then
    wine reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f > /dev/null 2>&1 || true
    wineserver --wait
    touch "$WINEPREFIX/.vesk-no-debugger"
fi

drive=$root/small-drive
letter=$WINEPREFIX/dosdevices/s:
cleanup() {
    wineserver -k 2> /dev/null || true
    rm -f "$letter"
    if mountpoint -q "$drive"; then umount "$drive"; fi
}
trap cleanup EXIT

# Larger than any one test asks for (ScopedTmpfs takes what it does not want).
mkdir -p "$drive"
if mountpoint -q "$drive" || mount -t tmpfs -o size=8m,mode=0700 tmpfs "$drive" 2> /dev/null; then
    ln -sfn "$drive" "$letter"
    export VESK_TEST_SMALL_DRIVE=S:
else
    echo "windows-test: cannot mount a tmpfs for drive S: (not root?); the cases that fill a disk are skipped"
fi

# One X server and one Wine server for every program. Wine's own processes
# (its desktop, its services) start with the first program and keep what it
# was given as output open, so they are started here first, by a program
# whose output goes nowhere: CTest would otherwise wait for the end of a
# test's output until they end.
jobs=$(nproc 2>/dev/null || echo 2)
status=0
tests/with-xvfb.sh bash -c 'wineserver -p && wine cmd /c exit > /dev/null 2>&1 < /dev/null
    ctest --test-dir "$1" -L windows --parallel "$2" --output-on-failure "${@:3}"; status=$?
    wineserver -k; exit $status' \
    _ "$root" "$jobs" "$@" || status=$?
took "the tests under Wine"
exit $status
