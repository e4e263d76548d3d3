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

source "$(dirname "$0")/../../tools/measure-common.sh"
measure_programs "$@"
runs=${measure_args[0]:-9}
measure_start_x vesk_measure

# The X server tells of each window it maps: a window is on screen when its
# MapNotify arrives (read as it comes, line by line), not when a poll next
# looks, which on a machine of two cores would also take a core from the
# program starting with every process it runs.
coproc maps { exec stdbuf -oL xev -root -event substructure 2> /dev/null; }
trap 'kill $maps_PID $xvfb_pid 2> /dev/null; rm -rf "$work"' EXIT
sleep 0.3 # until xev listens

vesk_times=()
vesk_peaks=()
bare_times=()
bare_peaks=()

# Starts $1, waits for its window named $2 to map; sets took (ms) and peak (KiB).
measure() {
    local program=$1 name=$2 start mapped line window w pid

    # What earlier windows did (menus, closing) is behind us.
    while read -r -t 0.05 -u "${maps[0]}" line; do :; done
    line=

    start=$EPOCHREALTIME
    "$program" > /dev/null 2>&1 &
    pid=$!

    until [[ $line == MapNotify* ]]; do
        read -r -t 10 -u "${maps[0]}" line || { echo "$program mapped no window in 10 s (another copy running?)"; exit 1; }
    done

    mapped=$EPOCHREALTIME
    read -r -u "${maps[0]}" line # "event 0x..., window 0x..., override NO"
    window=${line#*window }
    window=$((${window%%,*}))

    # The window mapped first is the program's, with its name.
    for _ in $(seq 100); do
        w=$(xdotool search --all --onlyvisible --pid $pid --name "$name" 2> /dev/null) && break
        sleep 0.02
    done
    grep -qx "$window" <<< "$w" || { echo "$program mapped window $window first, not its '$name' ($w)"; exit 1; }

    took=$(((${mapped//[!0-9]/} - ${start//[!0-9]/}) / 1000))
    sleep 1 # let it settle (and run what it does after showing) before reading its peak
    peak=$(awk '/VmHWM/ { print $2 }' /proc/$pid/status)

    if [ "$program" = "$binary" ]; then
        # Typed to the focused window, so that the keys are let go even once
        # it is gone (sent to a window that is gone, a release is lost and
        # the key repeats into the next start).
        xdotool windowfocus --sync "${w%%$'\n'*}" key ctrl+q 2> /dev/null || true
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
