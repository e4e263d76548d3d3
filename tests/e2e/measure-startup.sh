#!/usr/bin/env bash
# Start-up time (launch to main window on screen) and peak memory of the
# program under Xvfb, over several runs. Not a test: prints figures only.
#
# Usage: measure-startup.sh PATH-TO-VeskEdit [PATH-TO-bare_window] [RUNS]
#
# With a bare window (scripts/build.sh bare_window: an empty window of the
# same size from the same JUCE; build/tools/bare_window is taken when it is
# there) the two start in turn under one X server, the order swapped every
# run, and the medians and VeskEdit's ratios to the bare window are printed.
set -euo pipefail

binary=$(readlink -f "$1")
shift
bare=
if [ $# -gt 0 ] && ! [[ $1 =~ ^[0-9]+$ ]]; then
    bare=$(readlink -f "$1")
    shift
elif [ -x "$(dirname "$binary")/tools/bare_window" ]; then
    bare=$(dirname "$binary")/tools/bare_window
fi
runs=${1:-9}

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

vesk_times=()
vesk_peaks=()
bare_times=()
bare_peaks=()

# Starts $1, waits for its window named $2 to map; sets took (ms) and peak (KiB).
measure() {
    local program=$1 name=$2 start pid w
    start=$(date +%s%N)
    "$program" > /dev/null 2>&1 &
    pid=$!

    until w=$(xdotool search --all --onlyvisible --pid $pid --name "$name" 2> /dev/null); do
        kill -0 $pid 2> /dev/null || { echo "$program ended without a window (another copy running?)"; exit 1; }
        sleep 0.005
    done

    took=$((($(date +%s%N) - start) / 1000000))
    sleep 1 # let it settle (and run what it does after showing) before reading its peak
    peak=$(awk '/VmHWM/ { print $2 }' /proc/$pid/status)

    if [ "$program" = "$binary" ]; then
        xdotool key --window "${w%%$'\n'*}" ctrl+q 2> /dev/null || true
    else
        kill $pid 2> /dev/null || true
    fi

    wait $pid || true
}

vesk() { measure "$binary" '^Vesk Edit$'; vesk_times+=($took); vesk_peaks+=($peak); }
bare() { measure "$bare" '^Bare Window$'; bare_times+=($took); bare_peaks+=($peak); }

for run in $(seq "$runs"); do
    if [ -z "$bare" ]; then
        vesk
    elif [ $((run % 2)) -eq 1 ]; then
        vesk; bare
    else
        bare; vesk
    fi
done

median() { printf '%s\n' "$@" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

echo "runs: $runs"
echo "start to window, ms: ${vesk_times[*]} (median $(median "${vesk_times[@]}"))"
echo "peak resident memory, KiB: ${vesk_peaks[*]} (median $(median "${vesk_peaks[@]}"))"

if [ -n "$bare" ]; then
    echo "bare window, start to window, ms: ${bare_times[*]} (median $(median "${bare_times[@]}"))"
    echo "bare window, peak resident memory, KiB: ${bare_peaks[*]} (median $(median "${bare_peaks[@]}"))"
    echo "ratio of time: $(ratio "$(median "${vesk_times[@]}")" "$(median "${bare_times[@]}")")"
    echo "ratio of peak memory: $(ratio "$(median "${vesk_peaks[@]}")" "$(median "${bare_peaks[@]}")")"
fi
