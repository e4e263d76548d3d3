#!/usr/bin/env bash
# End-to-end tests of the real program under Xvfb, driven as a user would with
# xdotool. Usage: e2e.sh CASE PATH-TO-VeskEdit
#
# Each case runs in a fresh working directory with its own X server, HOME and
# XDG_RUNTIME_DIR: the single-instance lock and the hand-over socket are per
# user, in the runtime folder, so no case sees another's running copy.
# Nothing here sleeps for a fixed time where polling works: every wait polls
# with a timeout.
set -uo pipefail

case_name=$1
binary=$(readlink -f "$2")

work=$(mktemp -d /tmp/vesk_e2e.XXXXXX)
cd "$work"
export HOME=$work/home
export XDG_CONFIG_HOME=$HOME/.config
export XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
settings=$XDG_CONFIG_HOME/VeskEdit/VeskEdit.settings
# Where the program writes where its controls lie (see "Controls found where the program lays them out").
export VESKEDIT_LAYOUT_REPORT=$work/layout.txt
layout=$VESKEDIT_LAYOUT_REPORT

# A Windows build (a NAME.exe) runs through Wine, with vesk.exe beside it, in
# the Wine prefix WINEPREFIX names or else in a copy of the build's own
# (BUILD/wine) made for the case. Its settings then lie in the prefix's
# %APPDATA%. tests/e2e/windows-e2e.sh names the cases that run there.
program=("$binary")
vesk=$(dirname "$binary")/vesk
if [[ $binary == *.exe ]]; then
    if [ -z "${WINEPREFIX:-}" ]; then
        cp -a "$(dirname "$binary")/wine" "$work/wine" || { echo "FAIL ($case_name): no Wine prefix beside $binary"; rm -rf "$work"; exit 1; }
        export WINEPREFIX=$work/wine
    fi
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    program=(wine "$binary")
    vesk=$work/vesk
    printf '#!/bin/sh\nexec wine "%s" "$@"\n' "$(dirname "$binary")/vesk.exe" > "$vesk"
    chmod +x "$vesk"
    settings=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/VeskEdit/VeskEdit.settings
fi

xvfb_pid=""
app_pid=""
other_pid=""
other_home=""
holders=""

cleanup()
{
    # Wine's own processes first, while their X server is still there.
    [ "${program[0]}" = wine ] && wineserver -k 2> /dev/null
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    [ -n "$other_pid" ] && kill "$other_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    [ -n "$holders" ] && kill $holders 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
    [ -n "$other_home" ] && rm -rf "$other_home"
}
trap cleanup EXIT

# A case that cannot run here says why; CTest counts exit code 77 as skipped.
skip()
{
    echo "SKIP ($case_name): $*"
    exit 77
}

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
    # SECONDS may be fractional to a tenth ("0.5"); time is counted in microseconds.
    local whole=${1%%.*} tenths=0
    [[ $1 == *.* ]] && tenths=${1#*.} && tenths=${tenths:0:1}
    local deadline=$((${EPOCHREALTIME/[.,]/} + (whole * 10 + tenths) * 100000))
    shift
    until "$@"; do
        [ "${EPOCHREALTIME/[.,]/}" -ge $deadline ] && return 1
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

# Starts the program (arguments: its command line) and waits for its main
# window. One copy runs per user: a copy that finds the lock in its runtime
# folder taken hands its files to the running one and ends without a window.
start_app()
{
    rm -f "$layout"
    "${program[@]}" "$@" > "$work/app.log" 2>&1 &
    app_pid=$!

    if ! wait_for 30 has_window "$app_pid" '^Vesk Edit$'; then
        if gone "$app_pid"; then
            wait "$app_pid"
            local rc=$?
            app_pid=""
            fail "VeskEdit ended at once (exit code $rc) without a window: $(cat "$work/app.log")"
        fi
        fail "no window titled 'Vesk Edit' within 30 s"
    fi

    main=$(window '^Vesk Edit$')
    wait_for 10 test -s "$layout" || fail "the program wrote no layout report"
    read_menu_bar

    # The window is mapped before it is painted: wait for the pattern page's band
    # (further in when a saved zoom shows everything larger).
    local zoom=${start_zoom:-100}
    wait_for 10 pixel_is "$main" $((300 * zoom / 100)) $((85 * zoom / 100)) "#990000" || fail "the pattern page was not painted within 10 s"
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
    if [ "${program[0]}" = wine ]; then
        press_slowly "$@"
    else
        xdotool key "$@" 2> /dev/null
    fi
}

# press_slowly KEY...: each chord's modifiers held a moment before and after
# its key. Wine, when busy, can read the modifiers' state at a point where a
# chord sent at once has them up again, and takes Ctrl+Q for Q.
press_slowly()
{
    local chord modifiers
    for chord in "$@"; do
        modifiers=()
        while [[ $chord == *+* ]]; do
            case ${chord%%+*} in
                ctrl) modifiers+=(Control_L) ;;
                shift) modifiers+=(Shift_L) ;;
                alt) modifiers+=(Alt_L) ;;
                *) modifiers+=("${chord%%+*}") ;;
            esac
            chord=${chord#*+}
        done
        xdotool ${modifiers[@]/#/keydown } sleep 0.05 key "$chord" sleep 0.05 ${modifiers[@]/#/keyup } 2> /dev/null
    done
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

# The menu bar's menus, where the layout report puts them: sets file_menu_x,
# edit_menu_x, setup_menu_x, unit_menu_x, help_menu_x and menu_y.
read_menu_bar()
{
    local menu xy
    for menu in File Edit Setup Unit Help; do
        xy=$(place $menu) || fail "the layout report lists no menu $menu"
        printf -v "${menu,,}_menu_x" '%s' "${xy% *}"
    done
    menu_y=${xy#* }
}
first_item_y=66
second_item_y=88

# shot NAME: with VESK_E2E_SHOTS set to a folder, keeps the main window as NAME.png there.
shot() { [ -z "${VESK_E2E_SHOTS:-}" ] || import -window "$main" "$VESK_E2E_SHOTS/$1.png"; }
# shot_screen NAME: the same from the screen, with the windows that lie over the main window.
shot_screen()
{
    [ -n "${VESK_E2E_SHOTS:-}" ] || return 0
    local geometry
    geometry=$(xwininfo -id "$main" | awk '/Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 }
        /Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h "+" x "+" y }')
    import -window root -crop "$geometry" +repage "$VESK_E2E_SHOTS/$1.png"
}

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

# Ctrl+Q on a changed library: the question comes, and "Discard changes" (key d) ends the program.
quit_discarding()
{
    press "$main" ctrl+q
    wait_for 10 has_window "$app_pid" '^Closing document...$' || fail "Ctrl+Q on a changed library asked nothing"
    press "$(window '^Closing document...$')" d
    wait_for 10 gone "$app_pid" || fail "Discard did not end the program"
    wait "$app_pid"
    local rc=$?
    app_pid=""
    [ $rc -eq 0 ] || fail "the program ended with exit code $rc"
}

# Prints a checksum of the pixels of a part of a window: WxH+X+Y.
area() { import -window "$1" -crop "$2" -depth 8 rgb:- 2>/dev/null | md5sum | cut -d' ' -f1; }
# For wait_for, which runs its command again each time: WINDOW AREA CHECKSUM.
area_is() { [ "$(area "$1" "$2")" = "$3" ]; }
# The area once two reads 100 ms apart agree (up to 5 s): not a state painted on the way.
area_settled() {
    local before now
    before=$(area "$1" "$2")
    for _ in $(seq 50); do
        sleep 0.1
        now=$(area "$1" "$2")
        [ "$now" = "$before" ] && break
        before=$now
    done
    echo "$now"
}
area_is_not() { [ "$(area "$1" "$2")" != "$3" ]; }
pixel_is() { [ "$(pixel "$1" "$2" "$3")" = "$4" ]; }
pixel_is_not() { [ "$(pixel "$1" "$2" "$3")" != "$4" ]; }
lines_in() { wc -l < "$1"; }
has_lines() { [ "$(lines_in "$1")" -eq "$2" ]; }
has_lines_at_least() { [ "$(lines_in "$1")" -ge "$2" ]; }

# Shows the System tab, drawn afresh from the Patterns tab (nothing else
# repaints what a closed window covered).
show_system_page()
{
    click_tab 60 300 85 "#990000" || fail "the Patterns tab did not open"
    click_tab $system_tab_x 300 420 "#F0FFFF" || fail "the System tab did not open"
}

# click_tab X PX PY COLOUR: clicks the tab at X until pixel (PX, PY) shows
# COLOUR (up to 5 s). Under Wine a window just back from Windows' own file
# chooser can miss a first click, which a second one then reaches.
click_tab()
{
    local attempt
    for attempt in 1 2 3 4 5; do
        click "$main" "$1" $tab_y
        wait_for 1 pixel_is "$main" "$2" "$3" "$4" && return 0
    done
    return 1
}

# The System tab, and the master tune box on it.
system_tab_x=110
tab_y=72
master_tune_box=72x20+116+93

# A library of zeros, as the tests write it: "VSK" + 7449 image bytes.
write_library()
{
    { printf 'VSK'; head -c 7449 /dev/zero; } > "$1"
}

# A path as the program names it: under Wine, Windows' name for it.
native_path() { if [ "${program[0]}" = wine ]; then winepath -w "$1" 2> /dev/null; else echo "$1"; fi; }

# Types a full path into the file chooser titled $1 and confirms it.
choose_file()
{
    local title=$1 path=$2
    wait_for 10 has_window "$app_pid" "^$title\$" || fail "no file chooser titled '$title'"
    local chooser
    chooser=$(window "^$title\$")
    # The file name box is the line above the buttons; a click on it makes
    # the chooser the active window.
    local height
    height=$(size_of "$chooser" | cut -dx -f2)
    if [ "${program[0]}" = wine ]; then
        # Windows' own chooser, which takes Windows' names.
        path=$(native_path "$path")
        click "$chooser" 400 $((height - 45))
    else
        click "$chooser" 300 $((height - 63))
    fi
    # Typed as a person types, to the focused box: keys sent to a window with
    # --window can leave JUCE believing the key of the shortcut that opened the
    # chooser is still held, which repeats or swallows that letter.
    xdotool windowfocus --sync "$chooser" 2> /dev/null
    # What the box holds goes first (Windows' box takes no Ctrl+A).
    xdotool key ctrl+a BackSpace End shift+Home BackSpace 2> /dev/null
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

# The window below its title bar, and the title bar, as images in $work.
title_height=30
shoot()
{
    import -window "$main" "$work/$1.png" 2> /dev/null
    convert "$work/$1.png" -crop "x$title_height+0+0" +repage "$work/$1-title.png"
    convert "$work/$1.png" -crop "+0+$title_height" +repage "$work/$1-below.png"
}

# Pixels that differ between two shots (PART: title or below), beyond the
# one-level shading differences of anti-aliased edges painted in pieces.
pixels_differing() { compare -metric AE -fuzz 5% "$work/$1-$3.png" "$work/$2-$3.png" null: 2>&1; }
same_as() { shoot now && [ "$(pixels_differing "$1" now below)" = 0 ] && [ "$(pixels_differing "$1" now title)" = 0 ]; }

# Takes shot $1 once the window has stopped changing.
shoot_settled()
{
    shoot settle
    for attempt in $(seq 50); do
        sleep 0.1
        shoot "$1"
        [ "$(pixels_differing settle "$1" below)" = 0 ] && return 0
        cp "$work/$1.png" "$work/settle.png"
        shoot settle
    done
    fail "the window did not stop changing"
}

# Fails unless the window, title bar included, comes back to shot $1 after $2.
expect_as_before()
{
    wait_for 5 same_as "$1" && return 0
    cp "$work/$1.png" "/tmp/vesk_e2e_${case_name}_before.png"
    cp "$work/now.png" "/tmp/vesk_e2e_${case_name}_after.png"
    fail "after $2 the window differs from before in $(pixels_differing "$1" now below) pixels below its title bar" \
         "and $(pixels_differing "$1" now title) in the title bar (/tmp/vesk_e2e_${case_name}_before.png, _after.png)"
}

# --- The part editors ---------------------------------------------------------
# The pattern page starts at (5, 84) of the window and a part editor at (1, 91)
# of the page, so editor coordinates are window coordinates less (6, 175).
type_combo_x=40
type_combo_y=158
synth_seq_x=235
synth_seq_y=125

# choose_item X Y INDEX: opens the list of the combo box at X, Y of the main
# window and clicks item INDEX (from 0; every item is 15 pixels high).
choose_item()
{
    local x=$1 y=$2 index=$3
    click "$main" "$x" "$y"
    wait_for 5 has_window "$app_pid" '^menu$' || fail "the list at ($x, $y) did not open"
    local popup
    popup=$(window '^menu$')

    # A list ignores clicks for a moment after it opens.
    for attempt in 1 2 3 4 5; do
        click "$popup" 20 $((11 + 15 * index))
        wait_for 1 no_window "$app_pid" '^menu$' && return 0
    done

    fail "item $index of the list at ($x, $y) could not be chosen"
}

# turn_knob X Y: drags the knob whose dial is centred at X, Y of the main
# window from twelve o'clock round to three o'clock, as a hand turns it.
turn_knob()
{
    local x=$1 y=$2
    xdotool mousemove --window "$main" "$x" $((y - 12)) mousedown 1 \
        mousemove --window "$main" $((x + 8)) $((y - 9)) \
        mousemove --window "$main" $((x + 12)) "$y" mouseup 1 2> /dev/null
}

# turn_knob_slowly X Y: the same turn, each step let through before the next.
# Wine can take the button's release before the last move sent with it.
turn_knob_slowly()
{
    local x=$1 y=$2
    xdotool mousemove --window "$main" "$x" $((y - 12)) mousedown 1 sleep 0.2 \
        mousemove --window "$main" $((x + 8)) $((y - 9)) sleep 0.2 \
        mousemove --window "$main" $((x + 12)) "$y" sleep 0.2 mouseup 1 2> /dev/null
}

# --- The step grid ----------------------------------------------------------
# The grid is taller than the page and scrolls with it (choosing a pattern
# scrolls to its notes), so where it lies comes from the layout report. Its
# step-number band (rows 20-31) stays at the top of the part in view.

# grid_layout: sets grid_x and grid_y (the grid's top left, above the window
# when the page is scrolled down) and grid_top (the top of its part in view).
grid_layout()
{
    local view_y
    read -r grid_x grid_y _ <<< "$(awk -F'\t' '$1 == "viewport/grid" { print $2 }' "$layout")"
    read -r _ view_y _ <<< "$(awk -F'\t' '$1 == "viewport" { print $2 }' "$layout")"
    [ -n "$grid_y" ] && [ -n "$view_y" ] || return 1
    grid_top=$((grid_y > view_y ? grid_y : view_y))
}

# grid_shown: the band is painted where the layout puts the top of the grid in view.
grid_shown() { grid_layout && pixel_is "$main" $((grid_x + 294)) $((grid_top + 25)) "#CC0000"; }

show_grid()
{
    click "$main" $synth_seq_x $synth_seq_y
    wait_for 5 grid_shown || fail "Synth / Seq did not show the step grid where the layout report puts it"
}

# scroll_to_page_top: turns the wheel over the page's scroll bar until the
# page is back at its top, the grid's top rows below its settings (over the
# grid, the wheel changes a step).
page_at_top()
{
    awk -F'\t' '$1 == "viewport" { split($2, r, " "); view = r[2] } $1 == "viewport/commonGroup" { split($2, r, " "); group = r[2] }
        END { exit ! (view != "" && group != "" && group + 0 >= view + 0) }' "$layout" && grid_layout
}
scroll_to_page_top()
{
    local bar
    bar=$(awk -F'\t' '$1 == "viewport" { split($2, r, " "); print r[1] + r[3] - 5, r[2] + int(r[4] / 2) }' "$layout")
    for attempt in $(seq 20); do
        wait_for 1 page_at_top && return 0
        xdotool mousemove --window "$main" $bar click --repeat 10 4 2> /dev/null
    done
    fail "the wheel over the page's scroll bar did not bring the page back to its top"
}

# The window's y in the middle of a note's row (rows of 12 from note 127 down,
# below the 32 of the band).
grid_row() { echo $((grid_y + 32 + (127 - $1) * 12 + 6)); }

# A note whose row lies in view, a few rows below the band.
grid_note_in_view() { echo $((127 - (grid_top - grid_y) / 12 - 4)); }

# edit_grid: switches to the step grid and, at step 2, places a note in view
# with a click (kept in $grid_note), drags its velocity 20 up and turns its step
# type one notch up.
edit_grid()
{
    show_grid
    grid_note=$(grid_note_in_view)

    local x=$((grid_x + 107)) y=$(grid_row $grid_note)
    xdotool mousemove --window "$main" $x $y click 1 2> /dev/null
    xdotool mousemove --window "$main" $x $y mousedown 1 \
        mousemove --window "$main" $x $((y - 10)) \
        mousemove --window "$main" $x $((y - 20)) mouseup 1 2> /dev/null
    xdotool click 4 2> /dev/null
}

# The library's fields as "path raw" lines, and those of $2 that differ from $1.
fields() { "$vesk" show "$1" --json | jq -r 'paths(scalars) as $p | select($p[-1] == "raw") | "\($p[:-1] | map(tostring) | join(".")) \(getpath($p))"' | sort; }
changes() { comm -13 <(fields "$1") <(fields "$2"); }

# slot_fields FILE N: the fields of user pattern index N (0-19), without their prefix.
slot_fields() { fields "$1" | grep "^userPatterns\.$2\." | sed "s/^userPatterns\.$2\.//"; }

# saved_slot_is SAVED N FROM M OPENED: SAVED's user pattern index N holds FROM's
# index M, and nothing else in SAVED differs from OPENED; fails with what does.
saved_slot_is()
{
    local saved=$1 n=$2 from=$3 m=$4 opened=$5 others
    same_slot() { [ "$(slot_fields "$saved" "$n")" = "$(slot_fields "$from" "$m")" ]; }
    wait_for 10 same_slot || fail "$saved's User $(printf %02d $((n + 1))) is not $from's User $(printf %02d $((m + 1))): $(changes "$opened" "$saved" | head)"
    others=$(changes "$opened" "$saved" | grep -v "^userPatterns\.$n\.")
    [ -z "$others" ] || fail "besides User $(printf %02d $((n + 1))), the library changed in: $others"
}

# save_and_check KNOB_FIELD EXPECTED_LINE...: saves the library and checks that
# it differs from the defaults in exactly the expected fields, and in the knob's
# field, turned from its default towards three o'clock (about 103 of 127).
save_and_check()
{
    local knob=$1
    shift
    press "$main" ctrl+s
    choose_file Save "$work/edited.vsk"
    wait_for 10 test -s edited.vsk || fail "Save wrote no library"
    "$vesk" new "$work/defaults.vsk" > /dev/null || fail "vesk new failed"

    local actual turned
    actual=$(changes defaults.vsk edited.vsk)
    turned=$(grep "^temporaryPattern\.$knob " <<< "$actual" | cut -d' ' -f2)
    [ -n "$turned" ] && [ "$turned" -ge 95 ] && [ "$turned" -le 110 ] \
        || fail "the turned knob stored '$turned' in $knob, not about 103; changes: $actual"
    local others expected
    others=$(grep -v "^temporaryPattern\.$knob " <<< "$actual")
    expected=$(printf 'temporaryPattern.%s\n' "$@" | sort)
    [ "$others" = "$expected" ] || fail "the library changed in
$others
and not in exactly
$expected"
}

# --- Controls found where the program lays them out ---------------------------
# With VESKEDIT_LAYOUT_REPORT set, the program writes where each named control
# lies in the window ("PATH<tab>X Y W H"), so a case clicks "the System tab" or
# "the Transpose +" by name and follows the layout wherever it moves.

# place PATH: the centre of the control, "X Y" in the window's coordinates.
place()
{
    awk -F'\t' -v path="$1" '$1 == path { split($2, r, " "); print r[1] + int(r[3] / 2), r[2] + int(r[4] / 2); found = 1 }
        END { exit ! found }' "$layout"
}

# below PATH PIXELS: a point that many pixels below the control's bottom edge, "X Y".
below()
{
    wait_for 2 place "$1" > /dev/null
    awk -F'\t' -v path="$1" -v by="$2" '$1 == path { split($2, r, " "); print r[1] + 1, r[2] + r[4] + by; found = 1 }
        END { exit ! found }' "$layout"
}

click_on()
{
    local xy
    # A page built when its tab is first chosen is listed at the report's next round.
    wait_for 2 place "$1" > /dev/null
    xy=$(place "$1") || fail "the layout report lists no '$1': $(cut -f1 "$layout" | tr '\n' ' ')"
    click "$main" $xy
}

# next_message WHAT COMMAND...: runs COMMAND and waits for the one message it
# adds to the MIDI log, which it keeps in $message.
next_message()
{
    local before=$(lines_in "$VESKEDIT_MIDI_LOG") what=$1
    shift
    "$@"
    wait_for 5 has_lines_at_least "$VESKEDIT_MIDI_LOG" $((before + 1)) || fail "$what sent nothing"
    # A step sends what it sends at once, as one burst: half a second shows
    # whether anything came after the one message.
    ! wait_for 0.5 has_lines_at_least "$VESKEDIT_MIDI_LOG" $((before + 2)) \
        || fail "$what sent $(($(lines_in "$VESKEDIT_MIDI_LOG") - before)) messages, not one"
    message=$(tail -1 "$VESKEDIT_MIDI_LOG")
}

# An exclusive message as the log shows it ("F0 41 ... F7"): its value is the
# byte before the checksum, and the checksum makes the address, the value and
# itself add up to a multiple of 128.
value_of() { local b=($1); echo $((16#${b[-3]})); }
checksum_fits()
{
    local b=($1) sum=0 i
    for ((i = 6; i < ${#b[@]} - 1; ++i)); do sum=$((sum + 16#${b[i]})); done
    [ ${#b[@]} -gt 8 ] && [ $((sum % 128)) -eq 0 ]
}
# Both messages say the same up to their value: one kind, to one address.
same_address() { local a=($1) b=($2); [ "${a[*]:0:${#a[@]}-3}" = "${b[*]:0:${#b[@]}-3}" ]; }

# Waits until the MIDI log has not grown for a second: the start has sent all it sends.
log_settled()
{
    wait_for 10 test -s "$VESKEDIT_MIDI_LOG" || fail "nothing was sent at the start"
    local count=-1 deadline=$((SECONDS + 20))
    until [ "$count" -eq "$(lines_in "$VESKEDIT_MIDI_LOG")" ]; do
        [ $SECONDS -ge $deadline ] && fail "the MIDI log did not stop growing"
        count=$(lines_in "$VESKEDIT_MIDI_LOG")
        sleep 0.5
    done
}

transpose_in() { "$vesk" show --json "$1" | jq -r '.systemBlock.transpose.raw'; }
saved_transpose_is() { [ "$(transpose_in "$1")" = "$2" ]; }


# --- The pattern tools ---------------------------------------------------------
# write_melody FILE: four quarter notes at 100 BPM, C, D, E, F, each half a beat
# long, as another program writes them.
write_melody()
{
    /usr/bin/python3 - "$1" <<'PY' || fail "could not write $1"
import struct, sys
events = b"\x00\xff\x51\x03\x09\x27\xc0"
for i, key in enumerate((60, 62, 64, 65)):
    events += (b"\x00" if i == 0 else b"\x81\x70") + bytes((0x90, key, 100)) + b"\x81\x70" + bytes((0x80, key, 0))
events += b"\x00\xff\x2f\x00"
with open(sys.argv[1], "wb") as f:
    f.write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, 480) + b"MTrk" + struct.pack(">I", len(events)) + events)
PY
}

# The notes of steps 1, 5, 9 and 13 (or those named) of the temporary pattern in a library.
notes_of() { "$vesk" show --json "$1" | jq -r "[.temporaryPattern.steps[${2:-0,4,8,12}].stepNote.raw] | join(\" \")"; }
notes_are() { [ "$(notes_of "$1" "${3:-0,4,8,12}")" = "$2" ]; }
files_same() { cmp -s "$1" "$2"; }

# start_on_melody_grid: Song.vsk with the melody in the temporary pattern (and
# opened.vsk a copy of it), opened with the MIDI log on and the step grid shown.
start_on_melody_grid()
{
    export VESKEDIT_MIDI_LOG=$work/sent.txt
    "$vesk" new "$work/Song.vsk" > /dev/null || fail "vesk new failed"
    write_melody "$work/melody.mid"
    "$vesk" import-mid melody.mid Song.vsk temp > /dev/null || fail "vesk import-mid failed"
    cp Song.vsk opened.vsk
    start_app Song.vsk
    log_settled
    show_grid
    xdotool mousemove --window "$main" 300 450 2> /dev/null
}
files_differ() { ! cmp -s "$1" "$2"; }

start_x

case "$case_name" in
    start)
        # Without a display there is nowhere for the window: a message, exit 1, no crash.
        DISPLAY=:4093 "$binary" > "$work/nodisplay.log" 2>&1
        rc=$?
        [ $rc = 1 ] && grep -q "no display" "$work/nodisplay.log" \
            || fail "without a display VeskEdit ended with $rc: $(cat "$work/nodisplay.log")"

        start_app
        [ "$(size_of "$main")" = "446x492" ] || fail "window is $(size_of "$main"), not 446x492"
        [ "$(pixel "$main" 2 250)" = "#999999" ] || fail "window background is $(pixel "$main" 2 250), not #999999"
        bar=$(pixel "$main" 200 $menu_y)
        [ "$bar" != "#999999" ] || fail "no menu bar below the title"

        # Each of the five menu bar items opens a menu.
        for x in $file_menu_x $edit_menu_x $setup_menu_x $unit_menu_x $help_menu_x; do
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
        wait_for 5 eval '[ "$(stat -c %s First.vsk)" = 7473 ]' || fail "First.vsk is $(stat -c %s First.vsk) bytes, not 7473"
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
        # Private to this user: a 0700 folder, a 0600 socket, and no network port at all.
        run=$XDG_RUNTIME_DIR/VeskEdit
        wait_for 10 test -S "$run/VeskEdit.socket" || fail "no socket in $run: $(ls -la "$run" 2>&1)"
        [ "$(stat -c %a "$run")" = 700 ] || fail "$run has mode $(stat -c %a "$run"), not 700"
        [ "$(stat -c %a "$run/VeskEdit.socket")" = 600 ] || fail "the socket has mode $(stat -c %a "$run/VeskEdit.socket"), not 600"
        ports=$(ss -Hlntup 2> /dev/null | grep "pid=$app_pid,")
        [ -z "$ports" ] || fail "VeskEdit listens on a network port: $ports"

        "$binary" > "$work/second.log" 2>&1 &
        second=$!
        wait_for 30 gone "$second" || { kill "$second"; fail "a second start did not end by itself"; }
        wait "$second" || fail "the second start ended with exit code $?: $(cat "$work/second.log")"
        [ "$(windows "$app_pid" '^Vesk Edit$' | wc -l)" -eq 1 ] || fail "not exactly one main window"
        kill -0 "$app_pid" || fail "the first copy ended"
        quit_cleanly
        [ ! -e "$run/VeskEdit.socket" ] || fail "the socket is left behind after Ctrl+Q"

        # A folder that others may enter is not used, and does not keep VeskEdit from starting.
        chmod 755 "$run"
        start_app
        [ -s "$work/app.log" ] || fail "a start without a private folder said nothing about it"
        [ ! -e "$run/VeskEdit.socket" ] || fail "VeskEdit listens in a folder that others may enter"
        quit_cleanly
        ;;

    two-users)
        # Another local user starts VeskEdit while this user's copy runs: they
        # get a copy and a hand-over of their own, and this copy is untouched.
        other=65534
        command -v setpriv > /dev/null || skip "setpriv is not installed"
        getent passwd $other > /dev/null || skip "there is no user $other"
        other_home=$(mktemp -d /tmp/vesk_e2e_other.XXXXXX)
        chown $other:$other "$other_home"
        # A command line, not a function: run in the background, its $! is the program's own.
        as_other=(setpriv --reuid=$other --regid=$other --clear-groups env -C "$other_home" HOME="$other_home"
            XDG_CONFIG_HOME="$other_home/.config" XDG_RUNTIME_DIR="$other_home/runtime" VESKEDIT_LAYOUT_REPORT="$other_home/layout.txt")
        "${as_other[@]}" true 2> /dev/null || skip "cannot run programs as user $other here (that takes root)"
        "${as_other[@]}" test -x "$binary" || skip "user $other cannot run $binary"
        "${as_other[@]}" mkdir -m 700 "$other_home/runtime"

        start_app
        "${as_other[@]}" "$binary" > "$other_home/app.log" 2>&1 &
        other_pid=$!
        wait_for 30 has_window "$other_pid" '^Vesk Edit$' \
            || fail "user $other got no window of their own: $(cat "$other_home/app.log")"
        theirs=$other_home/runtime/VeskEdit/VeskEdit.socket
        wait_for 10 test -S "$theirs" || fail "no socket of user $other at $theirs"
        [ "$(stat -c %u:%a "$theirs")" = "$other:600" ] || fail "user $other's socket is $(stat -c %u:%a "$theirs")"

        # Their later start goes to their copy; ours still has its one window.
        "${as_other[@]}" "$binary" > "$other_home/second.log" 2>&1 &
        second=$!
        wait_for 30 gone "$second" || { kill "$second"; fail "user $other's second start did not end by itself"; }
        wait "$second" || fail "user $other's second start ended with exit code $?: $(cat "$other_home/second.log")"
        [ "$(windows "$other_pid" '^Vesk Edit$' | wc -l)" -eq 1 ] || fail "user $other has not exactly one main window"
        [ "$(windows "$app_pid" '^Vesk Edit$' | wc -l)" -eq 1 ] || fail "not exactly one main window of ours"

        press "$(windows "$other_pid" '^Vesk Edit$' | head -1)" ctrl+q
        wait_for 10 gone "$other_pid" || fail "Ctrl+Q did not end user $other's copy"
        wait "$other_pid" || fail "user $other's copy ended with exit code $?"
        other_pid=""
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
        # The lead editor of the default pattern: its LFO panel is 59 wide.
        [ "$(pixel "$main" 60 175)" = "#990000" ] || fail "no lead editor at (1, 91) of the page: $(pixel "$main" 60 175)"

        # System: the light page.
        click "$main" 110 72
        wait_for 5 pixel_is "$main" 300 420 "#F0FFFF" || fail "the System tab shows $(pixel "$main" 300 420), not its #F0FFFF page"

        # Back to Patterns, type "Line In": the line-in editor's Output panel appears at (1, 91) of the page.
        click "$main" 60 72
        wait_for 5 pixel_is "$main" 300 85 "#990000" || fail "the Patterns tab did not come back"
        choose_item 40 158 0
        # Its Output panel is 45 wide.
        wait_for 5 pixel_is_not "$main" 60 175 "#990000" \
            || fail "the lead editor is still at (1, 91) of the page after Line In was chosen"
        [ "$(pixel "$main" 48 175)" = "#990000" ] || fail "no line-in editor at (1, 91) of the page: $(pixel "$main" 48 175)"
        [ "$(pixel "$main" 48 176)" = "#CC0000" ] || fail "line-in title bar row 176 is $(pixel "$main" 48 176)"
        quit_discarding
        ;;

    command-line)
        # Low.vsk: master tune at its lowest; Defaults.vsk: the unit's defaults.
        write_library "$work/Low.vsk"
        "$vesk" new "$work/Defaults.vsk" > /dev/null || fail "vesk could not write Defaults.vsk"
        start_app Low.vsk
        show_system_page
        low=$(area "$main" $master_tune_box)

        # A second start hands its file to this window and ends.
        (cd / && "${program[@]}" "$work/Defaults.vsk" > "$work/second.log" 2>&1) &
        second=$!
        wait_for 30 gone "$second" || { kill "$second"; fail "the second start did not end by itself"; }
        wait "$second" || fail "the second start ended with exit code $?: $(cat "$work/second.log")"
        wait_for 10 area_is_not "$main" $master_tune_box "$low" || fail "the running window did not open Defaults.vsk"
        show_system_page
        handed=$(area "$main" $master_tune_box)
        [ "$(windows "$app_pid" '^Vesk Edit$' | wc -l)" -eq 1 ] || fail "not exactly one main window"

        # What each library looks like when opened from inside: Low.vsk through File > Open, the defaults through New.
        press "$main" ctrl+o
        choose_file Load "$work/Low.vsk"
        show_system_page
        wait_for 10 area_is "$main" $master_tune_box "$low" || fail "Low.vsk opened from the command line showed other values than through File > Open"
        press "$main" ctrl+n
        wait_for 10 area_is "$main" $master_tune_box "$handed" || fail "Defaults.vsk handed over showed other values than New"
        grep -qF "$(native_path "$work/Low.vsk")" "$settings" || fail "Low.vsk is not among the recent files: $(cat "$settings")"
        quit_cleanly
        ;;

    unsaved-question)
        start_app
        show_system_page
        tick_before=$(area "$main" 16x16+16+192)
        click "$main" 24 200
        wait_for 5 area_is_not "$main" 16x16+16+192 "$tick_before" || fail "the first switch of the System page did not change"
        # On a loaded machine the first change seen may be the switch held down.
        edited=$(area_settled "$main" 16x16+16+192)

        press "$main" ctrl+q
        wait_for 10 has_window "$app_pid" '^Closing document...$' || fail "Ctrl+Q on a changed library asked nothing"
        press "$(window '^Closing document...$')" Escape
        wait_for 10 no_window "$app_pid" '^Closing document...$' || fail "Escape did not cancel the question"
        ! wait_for 1 gone "$app_pid" || fail "the program ended after Cancel"
        show_system_page
        # The page's background is up before its switches are painted again.
        wait_for 5 area_is "$main" 16x16+16+192 "$edited" || fail "the edit is gone after Cancel"
        quit_discarding
        ;;

    reset-at-start)
        export VESKEDIT_MIDI_LOG=$work/sent.txt
        start_app
        # The defaults, then the pattern page's loop control.
        wait_for 10 has_lines sent.txt 659 || fail "a start sent $(lines_in sent.txt) messages, not 659"
        first_default=$(head -1 sent.txt)

        # Setup > Reset Unit At Start, the second item.
        click "$main" $setup_menu_x $menu_y
        wait_for 5 has_window "$app_pid" '^menu$' || fail "the Setup menu did not open"
        for attempt in 1 2 3 4 5; do
            click "$main" $setup_menu_x $second_item_y
            wait_for 1 no_window "$app_pid" '^menu$' && break
        done
        wait_for 5 grep -q 'name="resetUnitAtStart" val="0"' "$settings" || fail "Reset Unit At Start was not remembered unticked"
        quit_cleanly

        start_app
        # Something that is sent after the start: New sends the 658 defaults.
        press "$main" ctrl+n
        wait_for 10 has_lines_at_least sent.txt 658 || fail "New sent $(lines_in sent.txt) messages"
        ! wait_for 1 has_lines_at_least sent.txt 659 || fail "$(lines_in sent.txt) messages, not New's 658 alone: the start sent something"
        [ "$(head -1 sent.txt)" = "$first_default" ] || fail "the first message is not New's first default: $(head -1 sent.txt)"
        quit_cleanly
        ;;

    repaint)
        # Whatever a dialog, a chooser or a list covered is painted again when
        # it closes, the title bar is drawn active again and the keyboard is
        # back with the main window, with no window manager to see to it.
        start_app
        xdotool mousemove --window "$main" 300 400 # over the empty page, lighting up nothing
        shoot_settled before

        # Escape typed as a person does, to the dialog that has the focus.
        press "$main" ctrl+m
        wait_for 10 has_window "$app_pid" '^Midi Settings$' || fail "Ctrl+M opened no 'Midi Settings' dialog"
        xdotool key Escape
        wait_for 10 no_window "$app_pid" '^Midi Settings$' || fail "Escape did not close the Midi Settings dialog"
        expect_as_before before "the Midi Settings dialog closed"

        # With the mouse away from the window, keys reach it only if it has the focus.
        xdotool mousemove 0 0
        xdotool key ctrl+o
        wait_for 10 has_window "$app_pid" '^Load$' || fail "Ctrl+O typed after the Midi Settings dialog closed opened no Load chooser"
        xdotool key Escape
        wait_for 10 no_window "$app_pid" '^Load$' || fail "Escape typed to the Load chooser did not close it"
        expect_as_before before "the Load chooser closed"

        # The pattern list, left by choosing the pattern already shown.
        choose_item 50 125 0
        xdotool mousemove --window "$main" 300 400
        expect_as_before before "the pattern list closed"
        quit_cleanly
        ;;

    lead-editor)
        # Line In and back to Lead builds the lead editor from the type list.
        start_app
        choose_item $type_combo_x $type_combo_y 0
        wait_for 5 pixel_is_not "$main" 60 175 "#990000" || fail "Line In did not replace the lead editor"
        choose_item $type_combo_x $type_combo_y 1
        wait_for 5 pixel_is "$main" 60 175 "#990000" || fail "Lead brought no lead editor back"

        turn_knob 268 279 # filterCutoffSlider
        choose_item 230 456 4 # effect type PH1
        edit_grid
        save_and_check filterCutoffOrBdLevel "vintageOrEffectType 4" \
            "steps.2.stepNote $grid_note" "steps.2.stepLevel 84" "steps.2.stepType 1"
        quit_cleanly
        ;;

    bass-editor)
        start_app
        choose_item $type_combo_x $type_combo_y 2
        # The bass editor's oscillator panel reaches to x 434 of the page.
        wait_for 5 pixel_is "$main" 420 176 "#CC0000" || fail "Bass brought no bass editor"

        turn_knob 358 307 # envModSlider
        click "$main" 90 466 # vintage "On / Off"
        edit_grid
        save_and_check envModOrEffectParam2 "type 2" "vintageOrEffectType 1" \
            "steps.2.stepNote $grid_note" "steps.2.stepLevel 84" "steps.2.stepType 1"
        quit_cleanly
        ;;

    rythm-editor)
        start_app
        choose_item $type_combo_x $type_combo_y 3
        # The rhythm editor is 135 wide: the lead's oscillator panel is gone from x 200.
        wait_for 5 pixel_is_not "$main" 200 176 "#CC0000" || fail "Rythm brought no rhythm editor"

        choose_item 58 206 3 # kit "Standard"
        turn_knob 28 270 # BDLevelSlider
        edit_grid
        save_and_check filterCutoffOrBdLevel "type 3" "toneOrKit 3" \
            "steps.2.stepNote $grid_note" "steps.2.stepLevel 84" "steps.2.stepType 1"
        quit_cleanly
        ;;

    screenshots)
        # Not a test (tools/editor-screenshots.sh runs it): the part editors as
        # the README shows them, kept in the folder VESK_E2E_SHOTS names.
        [ -d "${VESK_E2E_SHOTS:-}" ] || fail "VESK_E2E_SHOTS names no folder for the pictures"
        start_app
        shot main-window # the default pattern is a lead pattern
        shot lead-editor

        # Send All to the virtual unit, caught half-way.
        menu_item $unit_menu_x $virtual_unit_y
        menu_item $unit_menu_x $send_all_y
        wait_for 10 has_window "$app_pid" '^Send All To Unit$' || fail "Send All opened no window"
        sleep 1.2
        shot_screen transfer-progress
        transfer_summary 'Send All To Unit' > /dev/null
        press "$(window '^Send All To Unit$')" Escape
        wait_for 10 no_window "$app_pid" '^Send All To Unit$' || fail "the Send All window did not close"
        choose_item $type_combo_x $type_combo_y 2
        wait_for 5 pixel_is "$main" 420 176 "#CC0000" || fail "Bass brought no bass editor"
        shot bass-editor
        choose_item $type_combo_x $type_combo_y 3
        wait_for 5 pixel_is_not "$main" 200 176 "#CC0000" || fail "Rythm brought no rhythm editor"
        choose_item 58 206 3 # kit "Standard"
        shot rythm-editor

        # A one-bar, twelve-step beat in the grid's top rows, the page scrolled
        # back up to them: kick, snare, hats.
        click "$main" 290 158
        show_grid
        scroll_to_page_top
        for step in 0 1 2 3 4 5 6 7 8 9 10 11; do
            case $step in
                0 | 6) note=126 ;;
                3 | 9) note=124 ;;
                *) note=121 ;;
            esac
            x=$((grid_x + 33 + 32 * step + 10)) y=$(grid_row $note)
            xdotool mousemove --window "$main" $x $y click 1 2> /dev/null
            case $step in
                0 | 6) xdotool click 4 click 4 2> /dev/null ;; # "CA"
                5 | 11) xdotool click 5 2> /dev/null ;;        # the blank type
                2 | 8) xdotool mousedown 1 mousemove --window "$main" $((x + 25)) $((y - 20)) mouseup 1 2> /dev/null ;;
            esac
        done
        xdotool mousemove --window "$main" 300 450 2> /dev/null
        wait_for 2 false
        shot rythm-grid
        quit_discarding
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

    zoom)
        # Ctrl+= three times is 200 %: the window, its title bar and menu bar
        # and its dialogs twice as large, and so at the next start.
        start_app
        plain=$(size_of "$main")
        w=${plain%x*} h=${plain#*x}
        press "$main" ctrl+m
        wait_for 10 has_window "$app_pid" '^Midi Settings$' || fail "Ctrl+M opened no 'Midi Settings' dialog"
        plain_dialog=$(size_of "$(window '^Midi Settings$')")
        press "$(window '^Midi Settings$')" Escape
        wait_for 10 no_window "$app_pid" '^Midi Settings$' || fail "Escape did not close the dialog"

        press "$main" ctrl+equal ctrl+equal ctrl+equal
        doubled() { [ "$(size_of "$main")" = "$((2 * w))x$((2 * h))" ]; }
        wait_for 10 doubled || fail "at 200 % the window is $(size_of "$main"), not twice $plain"
        wait_for 5 grep -q 'name="zoom" val="200"' "$settings" || fail "200 % was not remembered"
        # The pattern page's band, and the menu bar above it, where twice the
        # coordinates of 100 % put them.
        wait_for 5 pixel_is "$main" 600 170 "#990000" || fail "the pattern page was not drawn at twice the size"
        [ "$(pixel "$main" 400 $((2 * menu_y)))" != "#999999" ] || fail "no menu bar at twice its height"

        press "$main" ctrl+m
        wait_for 10 has_window "$app_pid" '^Midi Settings$' || fail "Ctrl+M at 200 % opened no 'Midi Settings' dialog"
        dialog_size=$(size_of "$(window '^Midi Settings$')")
        [ "$dialog_size" = "$((2 * ${plain_dialog%x*}))x$((2 * ${plain_dialog#*x}))" ] \
            || fail "at 200 % the Midi Settings dialog is $dialog_size, not twice $plain_dialog"
        press "$(window '^Midi Settings$')" Escape
        wait_for 10 no_window "$app_pid" '^Midi Settings$' || fail "Escape did not close the dialog"
        quit_cleanly

        start_zoom=200 start_app
        [ "$(size_of "$main")" = "$((2 * w))x$((2 * h))" ] || fail "a start at 200 % made the window $(size_of "$main")"
        press "$main" ctrl+0
        wait_for 10 eval '[ "$(size_of "$main")" = "$plain" ]' || fail "Ctrl+0 left the window at $(size_of "$main"), not $plain"
        quit_cleanly
        ;;

    knob-drag)
        # With Knob Drag set to Vertical, a knob dragged straight up turns up
        # (circular, the same straight drag above the centre would barely turn
        # it), less with Shift held; a double-click brings the default back.
        export VESKEDIT_MIDI_LOG=$work/sent.txt
        mkdir -p "$(dirname "$settings")"
        printf '<?xml version="1.0" encoding="UTF-8"?>\n<PROPERTIES>\n  <VALUE name="knobDrag" val="vertical"/>\n</PROPERTIES>\n' > "$settings"
        start_app
        knob=viewport/paramsGroup/filterGroup/filterCutoffSlider
        xy=$(place $knob) || fail "the layout report lists no cutoff knob"
        x=${xy% *} y=${xy#* }
        drag_up() # PIXELS [KEY]: a press on the knob, a move straight up, a release
        {
            [ -z "${2:-}" ] || xdotool keydown "$2"
            xdotool mousemove --window "$main" "$x" "$y" mousedown 1 \
                mousemove --window "$main" "$x" $((y - $1 / 2)) mousemove --window "$main" "$x" $((y - $1)) mouseup 1 2> /dev/null
            [ -z "${2:-}" ] || xdotool keyup "$2"
        }
        # The log grows as the program sends: what a gesture sent comes after
        # the mark, and its last value once the log has stopped growing.
        mark() { sent_before=$(lines_in "$VESKEDIT_MIDI_LOG"); }
        next_value() # the value of the last controller sent since the mark
        {
            wait_for 5 has_lines_at_least "$VESKEDIT_MIDI_LOG" $((sent_before + 1)) || fail "the knob sent nothing"
            log_settled
            local last=$(tail -1 "$VESKEDIT_MIDI_LOG")
            echo $((16#${last##* }))
        }
        wait_for 10 test -f "$VESKEDIT_MIDI_LOG" || fail "no MIDI log"
        mark
        drag_up 40
        up=$(next_value)
        [ "$up" -ge 75 ] || fail "40 pixels up on a vertical knob took cutoff from 64 to $up only"
        mark
        drag_up 40 shift
        fine=$(next_value)
        [ "$fine" -gt "$up" ] && [ $((fine - up)) -lt $(((up - 64) / 2)) ] \
            || fail "with Shift, 40 pixels up went from $up to $fine: not finer than without"
        mark
        xdotool mousemove --window "$main" "$x" "$y" click --repeat 2 --delay 80 1 2> /dev/null
        wait_for 5 eval '[ "$(next_value)" = 64 ]' || fail "a double-click did not bring cutoff back to 64"
        quit_discarding
        ;;

    undo)
        # Transpose two steps up on the System page, a second apart as a person
        # clicks, undone and redone with the keys, saved to the file opened.
        export VESKEDIT_MIDI_LOG=$work/sent.txt
        "$vesk" new "$work/Song.vsk" > /dev/null || fail "vesk new failed"
        opened=$(transpose_in Song.vsk)
        start_app Song.vsk
        click_on System
        wait_for 5 pixel_is "$main" $(below Store 40) "#F0FFFF" || fail "the System tab did not open"
        log_settled

        next_message 'Transpose "+"' click_on Transpose/+
        up1=$message
        sleep 1 # a person's pace: the second click is a step of its own however quick, but comes like this
        next_message 'the second Transpose "+"' click_on Transpose/+
        up2=$message
        { same_address "$up1" "$up2" && checksum_fits "$up1" && checksum_fits "$up2"; } \
            || fail "the two steps up sent '$up1' and '$up2', not one field's value twice"
        [ "$(value_of "$up1") $(value_of "$up2")" = "$((opened + 1)) $((opened + 2))" ] \
            || fail "the two steps up sent the values $(value_of "$up1") and $(value_of "$up2") after $opened"

        # Ctrl+Z takes back the second step alone; Ctrl+S keeps one step up.
        next_message "Ctrl+Z" press "$main" ctrl+z
        [ "$message" = "$up1" ] || fail "Ctrl+Z sent '$message', not the first step's '$up1' again"
        press "$main" ctrl+s
        wait_for 10 saved_transpose_is Song.vsk $((opened + 1)) \
            || fail "Song.vsk holds transpose $(transpose_in Song.vsk), not one step up from $opened"
        no_window "$app_pid" '^Save$' || fail "Ctrl+S asked for a file, though the library came from one"

        # Ctrl+Z again: the value opened goes back to the unit, where the steps went.
        next_message "the second Ctrl+Z" press "$main" ctrl+z
        { same_address "$up1" "$message" && checksum_fits "$message"; } \
            || fail "the second Ctrl+Z sent '$message', not a data set to where '$up1' went"
        [ "$(value_of "$message")" = "$opened" ] || fail "the second Ctrl+Z sent transpose $(value_of "$message"), not $opened"

        # Both steps again, and saved.
        next_message "Ctrl+Shift+Z" press "$main" ctrl+shift+z
        [ "$message" = "$up1" ] || fail "Ctrl+Shift+Z sent '$message', not '$up1'"
        next_message "the second Ctrl+Shift+Z" press "$main" ctrl+shift+z
        [ "$message" = "$up2" ] || fail "the second Ctrl+Shift+Z sent '$message', not '$up2'"
        press "$main" ctrl+s
        wait_for 10 saved_transpose_is Song.vsk $((opened + 2)) \
            || fail "Song.vsk holds transpose $(transpose_in Song.vsk), not two steps up from $opened"

        # A step taken back to what was saved: nothing to ask about when quitting.
        next_message 'a third Transpose "+"' click_on Transpose/+
        next_message "Ctrl+Z after it" press "$main" ctrl+z
        [ "$message" = "$up2" ] || fail "Ctrl+Z after the third step sent '$message', not '$up2'"
        quit_cleanly
        saved_transpose_is Song.vsk $((opened + 2)) || fail "Song.vsk changed after the last save"
        ;;

    library)
        # On the Library page: User 03 dragged onto User 07, taken back with
        # Ctrl+Z, dragged again and saved to the library opened. User 03 is
        # made unlike every other slot first (all zero bytes, from a library
        # of zeros), so the copy shows in the bytes.
        export VESKEDIT_MIDI_LOG=$work/sent.txt
        write_library "$work/Zeros.vsk"
        "$vesk" new "$work/Song.vsk" > /dev/null || fail "vesk new failed"
        "$vesk" copy "$work/Song.vsk" 3 3 --from "$work/Zeros.vsk" || fail "vesk copy failed"
        cp Song.vsk Opened.vsk
        start_app Song.vsk
        log_settled
        click_on Library

        # The list's header runs to the page's right edge, where the pattern page has none.
        read -r lx ly lw lh <<< "$(awk -F'\t' '$1 == "ourList" { print $2 }' "$layout")"
        [ -n "$lx" ] || fail "the layout report lists no ourList"
        wait_for 5 pixel_is "$main" $((lx + lw - 6)) $((ly + 8)) "#990000" || fail "the Library tab did not open"
        from=$(place "ourList/User 03") || fail "the layout report lists no row User 03"
        to=$(place "ourList/User 07") || fail "the layout report lists no row User 07"

        # A hand's drag: pressed, moved a little, carried over, let go.
        drag_row()
        {
            local fx=${from% *} fy=${from#* } tx=${to% *} ty=${to#* }
            xdotool mousemove --window "$main" "$fx" "$fy" mousedown 1 2> /dev/null
            for y in $((fy + 4)) $((fy + 10)) $(((fy + ty) / 2)) $((ty - 2)) "$ty"; do
                sleep 0.1
                xdotool mousemove --window "$main" "$tx" "$y" 2> /dev/null
            done
            sleep 0.2
            xdotool mouseup 1 2> /dev/null
        }

        # Each step sends User 07's record to the unit first (and then selects
        # the pattern shown again, when it is User 07): RECORD WHAT COMMAND...
        # runs COMMAND and keeps the first message it sends in $message.
        first_message()
        {
            local what=$1 before
            shift
            before=$(lines_in "$VESKEDIT_MIDI_LOG")
            "$@"
            wait_for 5 has_lines_at_least "$VESKEDIT_MIDI_LOG" $((before + 1)) || fail "$what sent nothing"
            message=$(sed -n "$((before + 1))p" "$VESKEDIT_MIDI_LOG")
            # Send All's pause after the record, before the next step may start.
            sleep 0.5
        }

        user07=$(printf 'F0 41 10 00 4F 12 02 06 00 00 %s' "$(printf '00 %.0s' $(seq 159))")
        first_message "the first drag" drag_row
        [ "${message:0:${#user07}}" = "$user07" ] || fail "the drag sent '$message', not User 03's zeros to User 07"
        first_message "Ctrl+Z" press "$main" ctrl+z
        [[ "$message" == "F0 41 10 00 4F 12 02 06 00 00 "* && "$message" != "$user07"* ]] \
            || fail "Ctrl+Z sent '$message', not User 07's own record back to it"
        first_message "the second drag" drag_row
        [ "${message:0:${#user07}}" = "$user07" ] || fail "the second drag sent '$message'"
        press "$main" ctrl+s
        no_window "$app_pid" '^Save$' || fail "Ctrl+S asked for a file, though the library came from one"

        # User 07 is User 03 now; every other field is as opened.
        saved_slot_is Song.vsk 6 Opened.vsk 2 Opened.vsk
        quit_cleanly
        ;;

    midi-file)
        # A melody handed to the running window (as a file manager's "open
        # with" or a drop does) goes into the shown pattern as one undo step,
        # sent to the unit; saved, the library holds it.
        export VESKEDIT_MIDI_LOG=$work/sent.txt
        "$vesk" new "$work/Song.vsk" > /dev/null || fail "vesk new failed"
        write_melody "$work/melody.mid"
        start_app Song.vsk
        log_settled
        before=$(lines_in "$VESKEDIT_MIDI_LOG")

        (cd / && "$binary" "$work/melody.mid" > "$work/second.log" 2>&1) &
        second=$!
        wait_for 30 gone "$second" || { kill "$second"; fail "the second start did not end by itself"; }
        wait_for 10 has_window "$app_pid" '^Import MIDI File$' || fail "no message about the import"
        press "$(window '^Import MIDI File$')" Return
        wait_for 5 no_window "$app_pid" '^Import MIDI File$' || fail "the message about the import did not close"
        has_lines_at_least "$VESKEDIT_MIDI_LOG" $((before + 4)) || fail "the import sent nothing to the unit"

        press "$main" ctrl+s
        wait_for 10 notes_are Song.vsk "60 62 64 65" || fail "Song.vsk holds the notes $(notes_of Song.vsk) on steps 1, 5, 9 and 13, not the melody's"

        # One Ctrl+Z takes the whole import back.
        press "$main" ctrl+z
        press "$main" ctrl+s
        wait_for 10 notes_are Song.vsk "64 64 64 64" || fail "after Ctrl+Z Song.vsk holds the notes $(notes_of Song.vsk), not the pattern's own"
        quit_cleanly
        ;;

    held-files)
        # Files that keep a read waiting for ever, where a user or another
        # user on the machine can put them: a pipe a writer holds open named
        # on the command line and as the settings file, and MidiSettings.xml in
        # the (shared) start folder a link to a terminal. The window shows at
        # once, says what it could not open, and goes on.
        mkfifo held.mid
        sleep 600 <> held.mid &
        holders="$holders $!"
        mkdir -p "$(dirname "$settings")"
        mkfifo "$settings"
        sleep 600 <> "$settings" &
        holders="$holders $!"
        ln -s /dev/ptmx MidiSettings.xml

        start_app held.mid
        wait_for 10 has_window "$app_pid" '^Import MIDI File$' || fail "no message about held.mid"
        press "$(window '^Import MIDI File$')" Return
        wait_for 5 no_window "$app_pid" '^Import MIDI File$' || fail "the message about held.mid did not close"

        # A second start hands the running window a terminal: refused there too.
        (cd / && "$binary" /dev/ptmx > "$work/second.log" 2>&1) &
        second=$!
        wait_for 30 gone "$second" || { kill "$second"; fail "the second start did not end by itself"; }
        wait_for 10 has_window "$app_pid" '^Failed to open file...$' || fail "no message about /dev/ptmx"
        xdotool key Return
        wait_for 10 no_window "$app_pid" '^Failed to open file...$' || fail "the message about /dev/ptmx did not close"

        [ -p held.mid ] && [ -L MidiSettings.xml ] && [ -p "$settings" ] || fail "a file it could not read was replaced"
        quit_cleanly
        ;;

    collection)
        # Two libraries opened, so their patterns are in the collection; one
        # of them tagged. On the Collection page the tag typed into the search
        # box finds it; dragged over the Library tab and onto User 05, then
        # saved, the library holds it there.
        write_library "$work/Zeros.vsk"
        "$vesk" new "$work/Song.vsk" > /dev/null || fail "vesk new failed"
        cp Song.vsk Opened.vsk
        start_app Zeros.vsk
        quit_cleanly
        # What the window put into the collection by itself, tagged with vesk beside it.
        # (Its 21 records are alike: one pattern, seen 21 times.)
        id=$("$vesk" collection search Zeros --json | jq -r 'select(.total == 1) | .patterns[0].id')
        [ -n "$id" ] || fail "opening Zeros.vsk did not put its one pattern into the collection"
        start_app Song.vsk
        "$vesk" collection tag "$id" nightbass > /dev/null || fail "vesk collection tag failed"

        click_on Collection
        shot collection-page
        click_on collectionSearch
        press "$main" n i g h t b
        # Both libraries' patterns are listed until the search narrows them to the tagged one.
        one_row() { place "collectionList/Row 1" > /dev/null && ! place "collectionList/Row 2" > /dev/null; }
        wait_for 5 one_row || fail "typing the tag did not find its one pattern: $(cut -f1 "$layout" | grep collectionList | tr '\n' ' ')"
        shot collection-found

        from=$(place "collectionList/Row 1")
        tab=$(place Library) || fail "the layout report lists no Library tab"
        to=$(place "ourList/User 05") || fail "the layout report lists no row User 05"
        fx=${from% *} fy=${from#* } tx=${tab% *} ty=${tab#* }
        xdotool mousemove --window "$main" "$fx" "$fy" mousedown 1 2> /dev/null
        for xy in "$fx $((fy + 4))" "$fx $((fy + 10))" "$(((fx + tx) / 2)) $(((fy + ty) / 2))" "$tx $ty"; do
            sleep 0.1
            xdotool mousemove --window "$main" $xy 2> /dev/null
        done
        # Held over the Library tab, the page comes to the front; then onto User 05.
        sleep 0.5
        tx=${to% *} ty=${to#* }
        for xy in "$tx $((ty - 40))" "$tx $((ty - 10))" "$tx $ty"; do
            sleep 0.1
            xdotool mousemove --window "$main" $xy 2> /dev/null
        done
        sleep 0.2
        xdotool mouseup 1 2> /dev/null
        sleep 0.5
        shot collection-dropped
        press "$main" ctrl+s
        no_window "$app_pid" '^Save$' || fail "Ctrl+S asked for a file, though the library came from one"

        saved_slot_is Song.vsk 4 Zeros.vsk 2 Opened.vsk
        quit_cleanly
        ;;

    steps)
        # Rotate Right on the step grid with its key: the grid follows, the
        # melody moves one step later; Ctrl+Z takes it back, and the library
        # saved each time says so.
        start_on_melody_grid
        shoot_settled grid
        shot steps-grid-before

        before=$(lines_in "$VESKEDIT_MIDI_LOG")
        press "$main" ctrl+bracketright
        wait_for 5 has_lines_at_least "$VESKEDIT_MIDI_LOG" $((before + 4)) || fail "Ctrl+] sent no steps to the unit"
        wait_for 5 eval '! same_as grid' || fail "the step grid did not follow Rotate Right"
        shot steps-grid-rotated
        press "$main" ctrl+s
        wait_for 10 notes_are Song.vsk "60 62 64 65" 1,5,9,13 \
            || fail "after Rotate Right steps 2, 6, 10 and 14 hold $(notes_of Song.vsk 1,5,9,13), not the melody"

        press "$main" ctrl+z
        expect_as_before grid "Ctrl+Z"
        press "$main" ctrl+s
        wait_for 10 notes_are Song.vsk "60 62 64 65" || fail "after Ctrl+Z steps 1, 5, 9 and 13 hold $(notes_of Song.vsk), not the melody"
        quit_cleanly
        ;;

    variations)
        # The Variations window: the third heard and cancelled leaves the
        # library byte for byte as it was; the third heard and kept is one
        # step of the steps alone, saved, and Ctrl+Z takes it back.
        start_on_melody_grid
        shoot_settled page

        for ending in Escape Return; do
            press "$main" ctrl+shift+v
            wait_for 10 has_window "$app_pid" '^Variations$' || fail "Ctrl+Shift+V opened no Variations window"
            dialog=$(window '^Variations$')
            before=$(lines_in "$VESKEDIT_MIDI_LOG")
            press "$dialog" 3
            wait_for 5 has_lines_at_least "$VESKEDIT_MIDI_LOG" $((before + 1)) || fail "choosing the third variation sent nothing"
            sleep 0.5
            # The README's picture, with the third chosen.
            [ $ending = Escape ] && [ -n "${VESK_E2E_SHOTS:-}" ] && import -window "$dialog" "$VESK_E2E_SHOTS/variations.png"
            heard=$(lines_in "$VESKEDIT_MIDI_LOG")
            press "$dialog" $ending
            wait_for 5 no_window "$app_pid" '^Variations$' || fail "$ending did not close the Variations window"

            if [ $ending = Escape ]; then
                wait_for 5 has_lines_at_least "$VESKEDIT_MIDI_LOG" $((heard + 1)) || fail "Cancel did not send the pattern back"
                expect_as_before page "the Variations window was cancelled"
                press "$main" ctrl+s
                sleep 1
                files_same Song.vsk opened.vsk || fail "after Cancel the library differs: $(changes opened.vsk Song.vsk)"
            fi
        done

        press "$main" ctrl+s
        wait_for 10 files_differ Song.vsk opened.vsk || fail "Keep and Ctrl+S left the library as it was"
        kept=$(changes opened.vsk Song.vsk)
        [ -n "$kept" ] && ! grep -qv '^temporaryPattern\.steps\.' <<< "$kept" \
            || fail "Keep changed more than the pattern's steps: $kept"

        press "$main" ctrl+z
        press "$main" ctrl+s
        wait_for 10 files_same Song.vsk opened.vsk || fail "after Ctrl+Z the library differs: $(changes opened.vsk Song.vsk)"
        quit_cleanly
        ;;

    # Two cases for both builds: tests/e2e/windows-e2e.sh runs them under Wine too.
    command-line-save)
        # The library named on the command line is the window's document, as
        # it was read: Ctrl+S writes it back to its place, byte for byte.
        write_library "$work/Zeros.vsk"
        cp Zeros.vsk Opened.vsk
        start_app Opened.vsk
        rm Opened.vsk
        press "$main" ctrl+s
        wait_for 10 test -s Opened.vsk || fail "Ctrl+S did not write the library named on the command line"
        no_window "$app_pid" '^Save$' || fail "Ctrl+S asked for a file"
        files_same Zeros.vsk Opened.vsk || fail "the library saved differs from the one opened: $(changes Zeros.vsk Opened.vsk | head)"
        quit_cleanly
        ;;

    knob-save)
        # A knob turned with the mouse and saved: exactly its field changes.
        # With VESK_E2E_SAVED naming a file, the library saved is kept there
        # (tests/e2e/windows-e2e.sh compares Linux's with Windows').
        "$vesk" new "$work/Song.vsk" > /dev/null || fail "vesk new failed"
        cp Song.vsk defaults.vsk
        start_app Song.vsk
        turn_knob_slowly 268 279 # filterCutoffSlider
        press "$main" ctrl+s
        wait_for 10 files_differ Song.vsk defaults.vsk || fail "Ctrl+S did not save the turned knob"
        quit_cleanly
        actual=$(changes defaults.vsk Song.vsk)
        turned=$(sed -n 's/^temporaryPattern\.filterCutoffOrBdLevel //p' <<< "$actual")
        [ -n "$turned" ] && [ "$turned" -ge 95 ] && [ "$turned" -le 110 ] && [ "$(wc -l <<< "$actual")" -eq 1 ] \
            || fail "the library changed in '$actual', not in the knob's field alone (about 103)"
        [ -z "${VESK_E2E_SAVED:-}" ] || cp Song.vsk "$VESK_E2E_SAVED"
        ;;

    *)
        echo "unknown case $case_name"
        exit 2
        ;;
esac

echo "PASS ($case_name)"
