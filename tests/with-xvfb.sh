#!/usr/bin/env bash
# Runs a command with a virtual X server of its own (DISPLAY set for it), for
# tests whose windows must really open: JUCE lays out an alert window from the
# screen it is on, and without a display there is none.
set -u

folder=$(mktemp -d /tmp/vesk_xvfb.XXXXXX)
exec 3> "$folder/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 2> "$folder/xvfb.log" &
xvfb_pid=$!
exec 3>&-

for _ in $(seq 200); do
    [ -s "$folder/display" ] && break
    kill -0 $xvfb_pid 2> /dev/null || break
    sleep 0.05
done

if [ ! -s "$folder/display" ]; then
    echo "with-xvfb.sh: Xvfb did not start: $(cat "$folder/xvfb.log")" >&2
    kill $xvfb_pid 2> /dev/null
    rm -rf "$folder"
    exit 1
fi

DISPLAY=":$(head -1 "$folder/display")" "$@"
status=$?

kill $xvfb_pid 2> /dev/null
wait $xvfb_pid 2> /dev/null
rm -rf "$folder"
exit $status
