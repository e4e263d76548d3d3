#!/usr/bin/env bash
# What the program costs while nothing happens, against a bare JUCE window of
# the same build. Not a test: prints figures only.
#
# Usage: tools/measure-idle-cpu.sh PATH-TO-VeskEdit [PATH-TO-bare_window] [SECONDS] [RUNS]
#
#     scripts/build.sh VeskEdit bare_window
#     tools/measure-idle-cpu.sh build/VeskEdit build/tools/bare_window 60 5
#
# Both run at once under one Xvfb, so that whatever else loads the machine
# loads both alike. Once their windows are up and have settled, each
# process's own CPU time (utime + stime from /proc/PID/stat, which other
# processes do not disturb as they disturb top's shares) and the voluntary
# context switches of all its threads (about how often it woke up) are read
# at the start and the end of SECONDS (60). Each run prints both and the
# ratio; the end, the medians over RUNS (3).
set -euo pipefail

source "$(dirname "$0")/measure-common.sh"
measure_programs "$@"
[ -n "$bare" ] || { echo "no bare window: scripts/build.sh bare_window" >&2; exit 2; }
seconds=${measure_args[0]:-60}
runs=${measure_args[1]:-3}
settle=5

measure_start_x vesk_idle
export XDG_CONFIG_HOME=$work/.config
unset VESKEDIT_LAYOUT_REPORT VESKEDIT_MIDI_LOG
pids=()

# Each step goes on whatever the one before it met (set -e holds in a trap too).
stop_all()
{
    for pid in "${pids[@]}" $xvfb_pid; do
        kill "$pid" 2> /dev/null || true
    done
    wait 2> /dev/null || true
    rm -rf "$work"
}
trap stop_all EXIT

ticks=$(getconf CLK_TCK)

# CPU time in ms (user + system) and voluntary context switches of PID.
cpu_ms() { awk -v t="$ticks" '{ sub(/^.*\) /, ""); print int(($12 + $13) * 1000 / t) }' "/proc/$1/stat"; }
wakeups() { cat /proc/$1/task/*/status 2> /dev/null | awk '/^voluntary_ctxt_switches/ { n += $2 } END { print n + 0 }'; }
has_window() { [ -n "$(xdotool search --onlyvisible --pid "$1" --name "$2" 2> /dev/null)" ]; }

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

vesk_all=() bare_all=() ratio_all=() vesk_wakes=() bare_wakes=()

for run in $(seq "$runs"); do
    "$binary" > "$work/vesk.log" 2>&1 &
    vesk=$!
    "$bare" > /dev/null 2>&1 &
    bare_pid=$!
    pids=("$vesk" "$bare_pid")

    for i in $(seq 300); do
        has_window "$vesk" '^Vesk Edit$' && has_window "$bare_pid" '^Bare Window$' && break
        sleep 0.1
    done
    has_window "$vesk" '^Vesk Edit$' || { echo "VeskEdit showed no window: $(cat "$work/vesk.log")" >&2; exit 1; }
    sleep "$settle"

    v0=$(cpu_ms "$vesk") b0=$(cpu_ms "$bare_pid") vw0=$(wakeups "$vesk") bw0=$(wakeups "$bare_pid")
    sleep "$seconds"
    v1=$(cpu_ms "$vesk") b1=$(cpu_ms "$bare_pid") vw1=$(wakeups "$vesk") bw1=$(wakeups "$bare_pid")

    v=$((v1 - v0)) b=$((b1 - b0))
    ratio=$(awk -v v=$v -v b=$b 'BEGIN { printf "%.2f", (b > 0 ? v / b : 0) }')
    printf 'run %d: VeskEdit %d ms CPU (%d wake-ups), bare window %d ms (%d wake-ups) in %d s: %sx\n' \
        "$run" $v $((vw1 - vw0)) $b $((bw1 - bw0)) "$seconds" "$ratio"
    vesk_all+=($v) bare_all+=($b) ratio_all+=("$ratio") vesk_wakes+=($((vw1 - vw0))) bare_wakes+=($((bw1 - bw0)))

    kill "$vesk" "$bare_pid" 2> /dev/null
    wait "$vesk" "$bare_pid" 2> /dev/null || true
    pids=()
done

printf 'median of %d runs of %d s: VeskEdit %s ms CPU (%s%% of a core, %s wake-ups), bare window %s ms (%s%%, %s wake-ups), ratio %sx\n' \
    "$runs" "$seconds" \
    "$(printf '%s\n' "${vesk_all[@]}" | median)" "$(printf '%s\n' "${vesk_all[@]}" | median | awk -v s="$seconds" '{ printf "%.2f", $1 / s / 10 }')" \
    "$(printf '%s\n' "${vesk_wakes[@]}" | median)" \
    "$(printf '%s\n' "${bare_all[@]}" | median)" "$(printf '%s\n' "${bare_all[@]}" | median | awk -v s="$seconds" '{ printf "%.2f", $1 / s / 10 }')" \
    "$(printf '%s\n' "${bare_wakes[@]}" | median)" \
    "$(printf '%s\n' "${ratio_all[@]}" | median)"
