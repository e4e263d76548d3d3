#!/usr/bin/env bash
# Start-up time (launch to main window on screen) and peak memory of the
# program under Xvfb, over several runs. Not a test: prints figures only.
# Usage: measure-startup.sh PATH-TO-VeskEdit [RUNS]
set -euo pipefail

binary=$(readlink -f "$1")
runs=${2:-9}
work=$(mktemp -d /tmp/vesk_measure.XXXXXX)
cd "$work"
export HOME=$work
# A runtime folder of its own: a copy the user has open does not take these starts.
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 2> /dev/null &
xvfb_pid=$!
exec 3>&-
trap 'kill $xvfb_pid 2> /dev/null; rm -rf "$work"' EXIT
until [ -s "$work/display" ]; do sleep 0.05; done
export DISPLAY=":$(head -1 "$work/display")"

times=()
peaks=()

for run in $(seq "$runs"); do
    start=$(date +%s%N)
    "$binary" > /dev/null 2>&1 &
    pid=$!

    until w=$(xdotool search --all --onlyvisible --pid $pid --name '^Vesk Edit$' 2> /dev/null); do
        kill -0 $pid 2> /dev/null || { echo "VeskEdit ended without a window (another copy running?)"; exit 1; }
        sleep 0.005
    done

    times+=($((($(date +%s%N) - start) / 1000000)))
    sleep 1 # let it settle before reading its peak
    peaks+=($(awk '/VmHWM/ { print $2 }' /proc/$pid/status))
    xdotool key --window "${w%%$'\n'*}" ctrl+q 2> /dev/null || true
    wait $pid || true
done

median() { printf '%s\n' "$@" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
echo "runs: $runs"
echo "start to window, ms: ${times[*]} (median $(median "${times[@]}"))"
echo "peak resident memory, KiB: ${peaks[*]} (median $(median "${peaks[@]}"))"
