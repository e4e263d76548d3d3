#!/usr/bin/env bash
# End-to-end tests of the real program under Xvfb, driven as a user would with
# xdotool. Usage: e2e.sh CASE PATH-TO-VeskEdit
#
# Each case runs in a fresh working directory with its own X server and HOME.
# Nothing here sleeps for a fixed time where polling works: every wait polls
# with a timeout.
set -uo pipefail

case_name=$1
binary=$(readlink -f "$2")
lock=/var/tmp/juceAppLock_VeskEdit

work=$(mktemp -d /tmp/vesk_e2e.XXXXXX)
cd "$work"
export HOME=$work/home
mkdir -p "$HOME"

xvfb_pid=""
app_pid=""

cleanup()
{
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail()
{
    echo "FAIL ($case_name): $*"
    if [ -n "$app_pid" ]; then
        echo "windows of the program:"
        for w in $(windows "$app_pid" '^'); do echo "  $(xdotool getwindowname "$w")"; done
        echo "program output:"
        sed 's/^/  /' "$work/app.log"
    fi
    [ -n "${DISPLAY:-}" ] && import -window root "$work/fail.png" 2>/dev/null \
        && cp "$work/fail.png" "/tmp/vesk_e2e_${case_name}_fail.png" \
        && echo "screen at the failure: /tmp/vesk_e2e_${case_name}_fail.png"
    exit 1
}

# wait_for SECONDS COMMAND...: polls every 50 ms until COMMAND succeeds.
wait_for()
{
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ $SECONDS -ge $deadline ] && return 1
        sleep 0.05
    done
}

start_x()
{
    exec 3> "$work/display"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 2> "$work/xvfb.log" &
    xvfb_pid=$!
    exec 3>&-
    wait_for 10 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    export DISPLAY=":$(head -1 "$work/display")"
}

# Prints the visible windows of PID whose title matches the regular expression.
windows() { xdotool search --all --onlyvisible --pid "$1" --name "$2" 2>/dev/null; }
has_window() { [ -n "$(windows "$1" "$2")" ]; }
no_window() { [ -z "$(windows "$1" "$2")" ]; }
window() { windows "$app_pid" "$1" | head -1; }
gone() { ! kill -0 "$1" 2>/dev/null; }

# Starts the program and waits for its main window. JUCE lets one copy run per
# machine: a copy that finds the lock taken ends at once without a window.
start_app()
{
    "$binary" > "$work/app.log" 2>&1 &
    app_pid=$!

    if ! wait_for 30 has_window "$app_pid" '^Vesk Edit$'; then
        if gone "$app_pid"; then
            wait "$app_pid"
            local rc=$?
            app_pid=""
            fail "VeskEdit ended at once (exit code $rc) without a window: another copy of VeskEdit is" \
                 "probably running on this machine and holds $lock (running: $(pgrep -a -x VeskEdit | tr '\n' ' '))." \
                 "Close it and run the end-to-end tests again."
        fi
        fail "no window titled 'Vesk Edit' within 30 s"
    fi

    main=$(window '^Vesk Edit$')
}

# Key presses typed as a person types them: the window gets the focus and the
# keys go through the X server. Keys sent with --window arrive as synthetic
# events, after which JUCE can believe the letter of a shortcut is still held
# (Ctrl+S then swallows or repeats the next "s" typed into the chooser). Shift
# and Control are pressed and released first: after clicks and typing, JUCE can
# believe one of them is still held, which changes the command a key means.
press()
{
    local w=$1
    shift
    xdotool windowfocus --sync "$w" 2> /dev/null
    xdotool keydown Shift_L keyup Shift_L 2> /dev/null
    xdotool keydown Control_L keyup Control_L 2> /dev/null
    xdotool key "$@" 2> /dev/null
}

click() { xdotool mousemove --window "$1" "$2" "$3" click 1 2> /dev/null; }

# choose_from_menu X TITLE: opens the menu at X of the menu bar, clicks its
# first item and waits for a window titled TITLE. A menu ignores clicks for a
# moment after it opens, so the item is clicked again while the menu stays.
choose_from_menu()
{
    local x=$1 title=$2
    click "$main" "$x" $menu_y
    wait_for 5 has_window "$app_pid" '^menu$' || fail "the menu at x $x did not open"

    for attempt in 1 2 3 4 5; do
        click "$main" "$x" $first_item_y
        wait_for 1 has_window "$app_pid" "$title" && return 0
        has_window "$app_pid" '^menu$' || break
    done

    fail "the first item of the menu at x $x opened no window titled $title"
}

# The menu bar items, by their place in the bar.
file_menu_x=28
setup_menu_x=85
unit_menu_x=146
help_menu_x=202
menu_y=42
first_item_y=66

# The Unit menu's items, in the window's coordinates.
get_all_y=66
send_all_y=88
verify_y=110
virtual_unit_y=163

# menu_item X Y: opens the menu at X of the menu bar and clicks its item at Y
# (again while the menu stays: it ignores clicks for a moment after it opens).
menu_item()
{
    local x=$1 y=$2
    click "$main" "$x" $menu_y
    wait_for 5 has_window "$app_pid" '^menu$' || fail "the menu at x $x did not open"

    for attempt in 1 2 3 4 5; do
        click "$main" "$x" "$y"
        wait_for 1 no_window "$app_pid" '^menu$' && return 0
    done

    fail "the item at y $y of the menu at x $x did not close the menu"
}

# The summary a transfer's window shows at its end, copied as a person would.
# The summary box is white (#FFFFFF) where the running window shows its
# background, so its appearance says the transfer has ended.
summary_shown() { [ "$(pixel "$1" 230 200)" = "#FFFFFF" ]; }

transfer_summary()
{
    local title=$1 dialog
    wait_for 10 has_window "$app_pid" "^$title\$" || fail "no window titled '$title'"
    dialog=$(window "^$title\$")
    wait_for 30 summary_shown "$dialog" || fail "'$title' did not end within 30 s"
    click "$dialog" 230 200
    press "$dialog" ctrl+a ctrl+c
    local text=""
    for attempt in 1 2 3 4 5 6 7 8 9 10; do
        text=$(timeout 2 xclip -o -selection clipboard 2> /dev/null) && [ -n "$text" ] && break
        sleep 0.2
    done
    printf '%s' "$text"
}

close_transfer()
{
    local title=$1
    press "$(window "^$title\$")" Escape
    wait_for 10 no_window "$app_pid" "^$title\$" || fail "Escape did not close '$title'"
}

size_of() { xwininfo -id "$1" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'; }
pixel() { import -window "$1" -crop "1x1+$2+$3" -depth 8 txt:- 2>/dev/null | awk 'NR == 2 { print $3 }'; }

quit_cleanly()
{
    press "$main" ctrl+q
    wait_for 10 gone "$app_pid" || fail "Ctrl+Q did not end the program"
    wait "$app_pid"
    local rc=$?
    app_pid=""
    [ $rc -eq 0 ] || fail "the program ended with exit code $rc"
}

# A library of zeros, as the tests write it: "VSK" + 7449 image bytes.
write_library()
{
    { printf 'VSK'; head -c 7449 /dev/zero; } > "$1"
}

# Types a full path into JUCE's file chooser titled $1 and confirms it.
choose_file()
{
    local title=$1 path=$2
    wait_for 10 has_window "$app_pid" "^$title\$" || fail "no file chooser titled '$title'"
    local chooser
    chooser=$(window "^$title\$")
    # The file name box is the line above the buttons.
    local height
    height=$(size_of "$chooser" | cut -dx -f2)
    click "$chooser" 300 $((height - 63))
    # Typed as a person types, to the focused box: keys sent to a window with
    # --window can leave JUCE believing the key of the shortcut that opened the
    # chooser is still held, which repeats or swallows that letter.
    xdotool windowfocus --sync "$chooser" 2> /dev/null
    xdotool key ctrl+a BackSpace 2> /dev/null
    xdotool type "$path" 2> /dev/null

    # Return takes the typed name (a first Return may only go to its folder).
    # Sent as real key strokes to the focused box: a box that the chosen file
    # opens must see the Return released, or it takes it as its own.
    for attempt in 1 2 3; do
        xdotool key Return 2> /dev/null
        wait_for 2 no_window "$app_pid" "^$title\$" && return 0
    done

    fail "the chooser '$title' did not close"
}

start_x

case "$case_name" in
    start)
        start_app
        [ "$(size_of "$main")" = "446x492" ] || fail "window is $(size_of "$main"), not 446x492"
        [ "$(pixel "$main" 2 250)" = "#999999" ] || fail "window background is $(pixel "$main" 2 250), not #999999"
        bar=$(pixel "$main" 200 $menu_y)
        [ "$bar" != "#999999" ] || fail "no menu bar below the title"

        # Each of the four menu bar items opens a menu.
        for x in $file_menu_x $setup_menu_x $unit_menu_x $help_menu_x; do
            click "$main" $x $menu_y
            wait_for 5 has_window "$app_pid" '^menu$' || fail "no menu opens at x $x of the menu bar"
            press "$(window '^menu$')" Escape
            wait_for 5 no_window "$app_pid" '^menu$' || fail "the menu at x $x did not close"
        done

        # New: nothing to see, but the program goes on.
        press "$main" ctrl+n
        press "$main" ctrl+c ctrl+u
        kill -0 "$app_pid" || fail "the program ended after Ctrl+N"
        quit_cleanly
        ;;

    midi-settings)
        start_app
        press "$main" ctrl+m
        wait_for 10 has_window "$app_pid" '^Midi Settings$' || fail "Ctrl+M opened no 'Midi Settings' dialog"
        dialog=$(window '^Midi Settings$')
        # 500 x 300 of content, in JUCE's own border and title bar.
        [ "$(size_of "$dialog")" = "502x328" ] || fail "dialog is $(size_of "$dialog")"
        [ "$(pixel "$dialog" 100 250)" = "#F0FFFF" ] || fail "dialog background is $(pixel "$dialog" 100 250)"

        press "$dialog" Escape
        wait_for 10 no_window "$app_pid" '^Midi Settings$' || fail "Escape did not close the dialog"
        [ ! -e MidiSettings.xml ] || fail "closing the dialog on a first run wrote MidiSettings.xml"

        # Again through Setup > Midi Settings, closed with the close button.
        choose_from_menu $setup_menu_x '^Midi Settings$'
        dialog=$(window '^Midi Settings$')

        # Modal: the main window's menu bar does not open while it is up.
        click "$main" $file_menu_x $menu_y
        ! wait_for 1 has_window "$app_pid" '^menu$' || fail "the menu bar opened behind the modal dialog"

        click "$dialog" 488 12
        wait_for 10 no_window "$app_pid" '^Midi Settings$' || fail "the close button did not close the dialog"
        [ ! -e MidiSettings.xml ] || fail "closing the dialog without a choice wrote MidiSettings.xml"
        quit_cleanly
        ;;

    settings-file)
        # A settings file that the device manager reads is written back when the dialog closes.
        printf '<?xml version="1.0" encoding="UTF-8"?>\n<DEVICESETUP audioDeviceName="" defaultMidiOutput="Vesk Out" defaultMidiOutputDevice="vesk-out"/>\n' > MidiSettings.xml
        touch -d '2001-01-01' MidiSettings.xml
        start_app
        press "$main" ctrl+m
        wait_for 10 has_window "$app_pid" '^Midi Settings$' || fail "Ctrl+M opened no 'Midi Settings' dialog"
        press "$(window '^Midi Settings$')" Escape
        wait_for 10 no_window "$app_pid" '^Midi Settings$' || fail "Escape did not close the dialog"
        wait_for 5 test MidiSettings.xml -nt "$work/display" || fail "MidiSettings.xml was not written when the dialog closed"
        grep -q 'defaultMidiOutput="Vesk Out"' MidiSettings.xml || fail "the chosen output was lost: $(cat MidiSettings.xml)"
        quit_cleanly
        ;;

    about)
        start_app
        choose_from_menu $help_menu_x '^About Vesk Edit$'
        about=$(window '^About Vesk Edit$')
        [ "$(size_of "$about")" = "322x228" ] || fail "About box is $(size_of "$about")"
        press "$about" Escape
        wait_for 10 no_window "$app_pid" '^About Vesk Edit$' || fail "Escape did not close the About box"

        press "$main" ctrl+h
        wait_for 10 has_window "$app_pid" '^Vesk Edit Help$' || fail "Ctrl+H opened no help window"
        press "$(window '^Vesk Edit Help$')" Escape
        wait_for 10 no_window "$app_pid" '^Vesk Edit Help$' || fail "Escape did not close the help window"
        quit_cleanly
        ;;

    save)
        start_app
        press "$main" ctrl+s
        choose_file Save "$work/First.vsk"
        wait_for 10 test -s First.vsk || fail "Save wrote no First.vsk"
        wait_for 5 test "$(stat -c %s First.vsk)" = 7473 || fail "First.vsk is $(stat -c %s First.vsk) bytes, not 7473"
        [ "$(head -c 3 First.vsk)" = "VSK" ] || fail "First.vsk does not start with VSK"

        # Now it has a file: Save writes it again without asking.
        rm First.vsk
        press "$main" ctrl+s
        wait_for 10 test -s First.vsk || fail "the second Save did not write First.vsk"
        no_window "$app_pid" '^Save$' || fail "the second Save asked for a file"
        quit_cleanly
        ;;

    open)
        write_library "$work/Zeros.vsk"
        printf 'these are notes, not a library\n' > "$work/notes.vsk"
        start_app

        press "$main" ctrl+o
        choose_file Load "$work/Zeros.vsk"
        ! wait_for 2 has_window "$app_pid" '^Failed to open file' || fail "a library written by the tests was refused"

        press "$main" ctrl+o
        choose_file Load "$work/notes.vsk"
        wait_for 10 has_window "$app_pid" '^Failed to open file...$' || fail "a file that is not a library gave no 'Failed to open file...' box"
        # A real Return to the box, which has the focus (see choose_file).
        xdotool key Return
        wait_for 10 no_window "$app_pid" '^Failed to open file...$' || fail "the failure box did not close"

        # What was loaded is still there: saving it gives the zeros back.
        press "$main" ctrl+a
        choose_file Save "$work/Again.vsk"
        wait_for 10 test -s Again.vsk || fail "Save As wrote no Again.vsk"
        cmp -s Zeros.vsk Again.vsk || fail "the library after a failed open differs from the one loaded before"
        quit_cleanly
        ;;

    second-instance)
        start_app
        "$binary" > "$work/second.log" 2>&1 &
        second=$!
        wait_for 30 gone "$second" || { kill "$second"; fail "a second start did not end by itself"; }
        wait "$second"
        [ "$(windows "$app_pid" '^Vesk Edit$' | wc -l)" -eq 1 ] || fail "not exactly one main window"
        kill -0 "$app_pid" || fail "the first copy ended"
        quit_cleanly
        ;;

    pages)
        # The pattern page starts in the window at (5, 84): its band picture is
        # at (1, 1) of the page and a part editor at (1, 91).
        start_app
        for row in 85 87 99; do
            [ "$(pixel "$main" 300 $row)" = "#990000" ] || fail "band title bar row $row is $(pixel "$main" 300 $row), not #990000"
        done
        [ "$(pixel "$main" 300 86)" = "#CC0000" ] || fail "band title bar row 86 is $(pixel "$main" 300 86), not #CC0000"
        [ "$(pixel "$main" 300 101)" = "#262626" ] || fail "band body row 101 is $(pixel "$main" 300 101)"
        [ "$(pixel "$main" 300 102)" = "#333333" ] || fail "band body row 102 is $(pixel "$main" 300 102)"
        editor_before=$(pixel "$main" 48 176)

        # System: the light page.
        click "$main" 110 72
        wait_for 5 test "$(pixel "$main" 300 420)" = "#F0FFFF" || fail "the System tab shows $(pixel "$main" 300 420), not its #F0FFFF page"

        # Back to Patterns, type "Line In": the line-in editor's Output panel appears at (1, 91) of the page.
        click "$main" 60 72
        wait_for 5 test "$(pixel "$main" 300 85)" = "#990000" || fail "the Patterns tab did not come back"
        click "$main" 40 158
        wait_for 5 has_window "$app_pid" '^menu$' || fail "the type list did not open"
        popup=$(window '^menu$')
        for attempt in 1 2 3 4 5; do
            click "$popup" 20 8
            wait_for 1 no_window "$app_pid" '^menu$' && break
        done
        wait_for 5 test "$(pixel "$main" 48 175)" = "#990000" \
            || fail "no line-in editor at (1, 91) of the page: $(pixel "$main" 48 175), before it was $editor_before"
        [ "$(pixel "$main" 48 176)" = "#CC0000" ] || fail "line-in title bar row 176 is $(pixel "$main" 48 176)"
        [ "$editor_before" != "#990000" ] || fail "something was at (1, 91) of the page before Line In was chosen"
        quit_cleanly
        ;;

    transfers)
        # A library of zeros, everything got from the virtual unit, saved:
        # exactly the unit's defaults.
        write_library "$work/Zeros.vsk"
        "$(dirname "$binary")/vesk" new "$work/Defaults.vsk" || fail "vesk new failed"
        start_app
        press "$main" ctrl+o
        choose_file Load "$work/Zeros.vsk"

        menu_item $unit_menu_x $virtual_unit_y
        menu_item $unit_menu_x $get_all_y
        summary=$(transfer_summary 'Get All From Unit')
        case "$summary" in
            "Got all 22 blocks from the unit"*) ;;
            *) fail "Get All reported: $summary" ;;
        esac
        close_transfer 'Get All From Unit'

        press "$main" ctrl+a
        choose_file Save "$work/Got.vsk"
        wait_for 10 test -s Got.vsk || fail "Save wrote no Got.vsk"
        vesk=$(dirname "$binary")/vesk
        got=$("$vesk" show --json Got.vsk | jq -S 'del(.file)') || fail "vesk show Got.vsk failed"
        defaults=$("$vesk" show --json Defaults.vsk | jq -S 'del(.file)')
        [ "$got" = "$defaults" ] || fail "the library got from the virtual unit is not its defaults: $(diff <(echo "$got") <(echo "$defaults") | head -20)"

        # A knob (the tempo's + button), Send All, Verify: all the same.
        click "$main" 131 158
        menu_item $unit_menu_x $send_all_y
        summary=$(transfer_summary 'Send All To Unit')
        [[ "$summary" == "Sent all 22 blocks to the unit"* ]] || fail "Send All reported: $summary"
        close_transfer 'Send All To Unit'

        menu_item $unit_menu_x $verify_y
        summary=$(transfer_summary 'Verify Unit Against Library')
        [[ "$summary" == "The unit matches the library: all 22 blocks are the same."* ]] || fail "Verify reported: $summary"
        close_transfer 'Verify Unit Against Library'

        # The knob did change the library that was verified.
        press "$main" ctrl+s
        tempo_saved() { grep -q '^Temporary *tempo' <("$vesk" diff Defaults.vsk Got.vsk); } # diff exits 1: they differ
        wait_for 10 tempo_saved || fail "the knob did not change the library: $("$vesk" diff Defaults.vsk Got.vsk)"
        quit_cleanly
        ;;

    *)
        echo "unknown case $case_name"
        exit 2
        ;;
esac

echo "PASS ($case_name)"
