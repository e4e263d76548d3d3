# Sourced by the scripts that measure VeskEdit against a bare JUCE window
# (tests/e2e/measure-startup.sh, tools/measure-idle-cpu.sh).

# measure_programs ARGS...: binary (the first argument) and bare (the second
# when it is not a number, else build/tools/bare_window beside the binary when
# it is built, else empty); what is left is in measure_args.
measure_programs()
{
    binary=$(readlink -f "$1")
    shift
    bare=
    if [ $# -gt 0 ] && ! [[ $1 =~ ^[0-9]+$ ]]; then
        bare=$(readlink -f "$1")
        shift
    elif [ -x "$(dirname "$binary")/tools/bare_window" ]; then
        bare=$(dirname "$binary")/tools/bare_window
    fi
    measure_args=("$@")
}

# measure_start_x NAME: a folder of its own ($work, also HOME, with a runtime
# folder of its own, so a copy the user has open does not take these starts)
# and an X server ($xvfb_pid, DISPLAY); both go when the script ends.
measure_start_x()
{
    work=$(mktemp -d "/tmp/$1.XXXXXX")
    cd "$work"
    export HOME=$work
    export XDG_RUNTIME_DIR=$work/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"

    exec 3> "$work/display"
    # Its output goes nowhere: a pipe the script's output goes into stays open while it runs.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp > /dev/null 2>&1 &
    xvfb_pid=$!
    exec 3>&-
    trap 'kill $xvfb_pid 2> /dev/null; rm -rf "$work"' EXIT
    until [ -s "$work/display" ]; do sleep 0.05; done
    export DISPLAY=":$(head -1 "$work/display")"
}
