#!/usr/bin/env bash
# The end-to-end cases that run against the Windows build under Wine and Xvfb
# (e2e.sh's own cases, through Wine), and the promise between the two
# builds: a knob turned with the mouse and saved gives the same library,
# byte for byte, from VeskEdit.exe as from the Linux VeskEdit.
# Usage: windows-e2e.sh LINUX-VeskEdit WINDOWS-VeskEdit.exe
set -uo pipefail

here=$(dirname "$(readlink -f "$0")")
linux=$1
windows=$2
saved=$(mktemp -d /tmp/vesk_windows_e2e.XXXXXX)
trap 'rm -rf "$saved"' EXIT

status=0
# Save through Windows' own chooser, the lead editor's knobs, lists and step
# grid, undo, and a second start handing its library over through the pipe.
for case in command-line-save save lead-editor undo command-line; do
    "$here/e2e.sh" "$case" "$windows" || status=1
done
VESK_E2E_SAVED=$saved/linux.vsk "$here/e2e.sh" knob-save "$linux" || status=1
VESK_E2E_SAVED=$saved/windows.vsk "$here/e2e.sh" knob-save "$windows" || status=1

if [ -f "$saved/linux.vsk" ] && [ -f "$saved/windows.vsk" ]; then
    if cmp "$saved/linux.vsk" "$saved/windows.vsk"; then
        echo "PASS (the same library saved on Linux and on Windows)"
    else
        echo "FAIL: the libraries saved differ:"
        "$(dirname "$linux")/vesk" diff "$saved/linux.vsk" "$saved/windows.vsk" | head -10
        cmp -l "$saved/linux.vsk" "$saved/windows.vsk" | head -10
        status=1
    fi
fi
exit $status
