#!/usr/bin/env bash
# Installs VeskEdit for Windows silently (/S) under Wine, in a new Wine prefix
# with a HOME of its own, and checks what a Windows user gets: the programs in
# %LOCALAPPDATA%\Programs\VeskEdit, the Start-menu entry, .vsk with its icon
# and "Open with VeskEdit" under HKCU\Software\Classes,
# the uninstaller's entry; that the installed VeskEdit.exe opens the library
# named on its command line (e2e.sh command-line-save) and that a running one
# refuses to be uninstalled; then uninstalls silently and checks that the
# prefix holds nothing more than before but the user's own files (settings in
# %APPDATA%\VeskEdit, the collection in %LOCALAPPDATA%\VeskEdit). With ZIP, the
# portable zip's contents and its vesk.exe too.
# Usage: windows-install.sh INSTALLER.exe [ZIP]
set -uo pipefail

installer=$(readlink -f "$1")
zip=${2:+$(readlink -f "$2")}
tests=$(dirname "$(readlink -f "$0")")/..
work=$(mktemp -d /tmp/vesk_windows_install.XXXXXX)
export HOME=$work/home WINEPREFIX=$work/wine WINEDEBUG=-all
# winemenubuilder would put the Start-menu entry and the file type into HOME's desktop menus.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
mkdir -p "$HOME"
cleanup() { wineserver -k 2> /dev/null; rm -rf "$work"; }
trap cleanup EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }
# on_x COMMAND...: with an X server of its own, and Wine's processes ended after.
on_x() { "$tests/with-xvfb.sh" bash -c '"$@"; status=$?; wineserver -w; exit $status' _ "$@"; }

started=$SECONDS
on_x bash -c 'wineboot --init && wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f' > "$work/wineboot.log" 2>&1 \
    || { cat "$work/wineboot.log"; fail "no Wine prefix"; exit 1; }
echo "== (the new Wine prefix took $((SECONDS - started)) s)"

user_folder=$WINEPREFIX/drive_c/users/$(id -un)
programs=$user_folder/AppData/Local/Programs/VeskEdit
start_menu=$user_folder/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs

# What the prefix holds: its files (but the temporary folder) and its registry.
snapshot()
{
    (cd "$WINEPREFIX/drive_c" && find . -path "./users/*/Temp" -prune -o -print | sort) > "$work/$1.files"
    wine reg export HKCU "$work/$1.hkcu" /y > /dev/null && wine reg export HKLM "$work/$1.hklm" /y > /dev/null \
        || fail "the registry could not be read ($1)"
    # Key headers and values, without the dates Wine writes beside them.
    for hive in hkcu hklm; do
        iconv -f UTF-16 -t UTF-8 "$work/$1.$hive" | tr -d '\r' | grep -v '^$' > "$work/$1.$hive.txt"
    done
}
snapshot before

started=$SECONDS
on_x wine "$installer" /S || fail "the installer ended with exit status $?"
echo "== (the silent install took $((SECONDS - started)) s)"

for file in VeskEdit.exe vesk.exe VeskEdit.ico README.txt LICENSE.txt Uninstall.exe docs/promises.md docs/main-window.png; do
    [ -f "$programs/$file" ] || fail "no $file in %LOCALAPPDATA%\\Programs\\VeskEdit"
done
[ -f "$programs/VeskEdit.exe" ] && ok "the programs in %LOCALAPPDATA%\\Programs\\VeskEdit"
# The icon of .vsk files and of the Start-menu entry, at the sizes Explorer asks for.
icon=$(identify -format '%wx%h ' "$programs/VeskEdit.ico" 2> /dev/null)
[ "$icon" = "256x256 48x48 32x32 16x16 " ] && ok "the icon holds 256, 48, 32 and 16 pixels" || fail "the icon holds '$icon'"

installed='C:\users\'"$(id -un)"'\AppData\Local\Programs\VeskEdit'
strings -a "$start_menu/VeskEdit.lnk" 2> /dev/null | grep -qiF "$installed\\VeskEdit.exe" \
    && ok "the Start-menu entry starts the installed VeskEdit.exe" \
    || fail "no Start-menu entry VeskEdit.lnk for $installed\\VeskEdit.exe: $(ls "$start_menu")"
# It starts in the user's folder, where MidiSettings.xml then goes, not the program's.
strings -a -el "$start_menu/VeskEdit.lnk" 2> /dev/null | grep -qixF "C:\users\\$(id -un)" \
    && ok "the Start-menu entry starts VeskEdit in the user's folder" \
    || fail "the Start-menu entry starts VeskEdit elsewhere than the user's folder: $(strings -a -el "$start_menu/VeskEdit.lnk" | tr '\n' ' ')"

# reg_value KEY [NAME]: the data of a value (the key's default without NAME); fails where there is none.
reg_value()
{
    local which=(/ve)
    [ $# -eq 2 ] && which=(/v "$2")
    wine reg query "$1" "${which[@]}" 2> /dev/null | tr -d '\r' | sed -n 's/^    .*    REG_[A-Z_]*    //p'
}
expect_value()
{
    local actual
    actual=$(reg_value "$1" ${3:+"$3"}) || { fail "no value ${3:-(default)} in $1"; return; }
    [ "$actual" = "$2" ] && ok "$1 ${3:-(default)} = $2" || fail "$1 ${3:-(default)} is '$actual', not '$2'"
}
# Windows reads the user's classes through HKEY_CLASSES_ROOT, over the
# machine's; Wine 8 does not (its bug 14771), so they are read where they lie.
classes='HKCU\Software\Classes'
expect_value "$classes\.vsk" VeskEdit.Library
expect_value "$classes\VeskEdit.Library\DefaultIcon" "\"$installed\\VeskEdit.ico\",0"
expect_value "$classes\VeskEdit.Library\shell\open" "Open with VeskEdit"
expect_value "$classes\VeskEdit.Library\shell\open\command" "\"$installed\\VeskEdit.exe\" \"%1\""
expect_value "$classes\.vsk\OpenWithProgids" "" VeskEdit.Library
expect_value "$classes\Applications\VeskEdit.exe\shell\open\command" "\"$installed\\VeskEdit.exe\" \"%1\""
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\VeskEdit'
expect_value "$uninstall_key" "\"$installed\\Uninstall.exe\"" UninstallString
expect_value "$uninstall_key" "\"$installed\\Uninstall.exe\" /S" QuietUninstallString
expect_value "$uninstall_key" VeskEdit DisplayName
snapshot installed

# Installing again (as a newer version would) goes over the same install.
on_x wine "$installer" /S || fail "the installer run again ended with exit status $?"
snapshot again
cmp -s "$work/installed.files" "$work/again.files" && cmp -s "$work/installed.hkcu.txt" "$work/again.hkcu.txt" \
    && ok "installing again changed no file name or registry key" \
    || fail "installing again left another install: $(diff "$work/installed.files" "$work/again.files"; diff "$work/installed.hkcu.txt" "$work/again.hkcu.txt" | head)"
grep -iE 'vesk' "$work/installed.hklm.txt" && fail "the per-user install wrote to HKEY_LOCAL_MACHINE" || ok "nothing in HKEY_LOCAL_MACHINE"
wineserver -w

# The installed program opens a library named on its command line; it leaves
# settings and a collection behind, the user's own.
started=$SECONDS
"$tests/e2e/e2e.sh" command-line-save "$programs/VeskEdit.exe" || fail "the installed VeskEdit.exe did not open the library it was given"
wineserver -w
echo "== (the installed program's case took $((SECONDS - started)) s)"

# A running VeskEdit.exe cannot be removed: the uninstaller says so (exit
# status 2) and leaves everything as it was. "_?=" runs it where it lies, not
# from a copy, so that Wine returns its exit status.
on_x bash -c '
    wine "$1/VeskEdit.exe" > /dev/null 2>&1 & program=$!
    for _ in $(seq 300); do [ -n "$(xdotool search --onlyvisible --pid $program --name "^Vesk Edit\$" 2> /dev/null)" ] && break; sleep 0.1; done
    wine "$1/Uninstall.exe" /S "_?=$2"
    status=$?
    kill $program
    exit $status' _ "$programs" "$installed" > /dev/null 2>&1
status=$?
[ $status -eq 2 ] && [ -f "$programs/VeskEdit.exe" ] && [ -f "$programs/Uninstall.exe" ] && [ -n "$(reg_value "$uninstall_key" DisplayName)" ] \
    && ok "with VeskEdit running the uninstaller refused and removed nothing" \
    || fail "with VeskEdit running the uninstaller ended with $status (not 2) and left: $(ls "$programs" 2>&1)"

started=$SECONDS
# The uninstaller runs from a copy in the temporary folder: on_x waits for Wine's processes to end.
on_x wine "$programs/Uninstall.exe" /S || fail "the uninstaller ended with exit status $?"
echo "== (the silent uninstall took $((SECONDS - started)) s)"
snapshot after

# What is new is the user's own and nothing else; what was there stays.
own='^\./users/[^/]*/AppData/(Roaming|Local)/VeskEdit(/|$)'
left=$(comm -13 "$work/before.files" "$work/after.files" | grep -vE "$own")
[ -z "$left" ] && ok "no file left behind but the user's own" || fail "left behind: $left"
kept=$(comm -13 "$work/before.files" "$work/after.files" | grep -E "$own" | sed 's|^\./users/[^/]*/AppData/||' | tr '\n' ' ')
[ -n "$kept" ] && ok "the user's own files kept: $kept" || fail "the user's settings and collection were not kept (or never written)"
gone=$(comm -23 "$work/before.files" "$work/after.files")
[ -z "$gone" ] || fail "gone since the install: $gone"

# Keys and values new since before the install that name the program or its
# file type (Wine adds keys of its own as programs run).
left=$(comm -13 <(sort "$work/before.hkcu.txt") <(sort "$work/after.hkcu.txt") | grep -i 'vesk')
[ -z "$left" ] && ok "no registry key or value left behind" || fail "left in the registry: $left"
for key in "$classes\.vsk" "$classes\VeskEdit.Library" "$uninstall_key" "$classes\Applications\VeskEdit.exe"; do
    wine reg query "$key" > /dev/null 2>&1 && fail "$key is still there"
done
[ -e "$programs" ] && fail "%LOCALAPPDATA%\\Programs\\VeskEdit is still there: $(ls "$programs")"
[ -e "$start_menu/VeskEdit.lnk" ] && fail "the Start-menu entry is still there"
wineserver -w

if [ -n "$zip" ]; then
    listed=$(unzip -Z1 "$zip" | LC_ALL=C sort | tr '\n' ' ')
    expected=$( (printf '%s\n' LICENSE.txt README.txt VeskEdit.exe vesk.exe; cd "$(dirname "$0")/../.." && ls docs/*.md docs/*.png) \
        | sed 's|^|VeskEdit-*/|' | LC_ALL=C sort | tr '\n' ' ')
    # shellcheck disable=SC2053 # the expected list is a pattern
    [[ $listed == $expected ]] && ok "the zip holds both programs, README, licence and the README's pages" || fail "the zip holds $listed"
    mkdir "$work/portable"
    unzip -q "$zip" -d "$work/portable"
    version=$(wine "$work"/portable/VeskEdit-*/vesk.exe --version 2>&1 | tr -d '\r')
    [[ $version == "vesk "[0-9]* ]] && ok "the zip's vesk.exe runs: $version" || fail "the zip's vesk.exe --version printed '$version'"
fi

[ $failures -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "PASS (Windows install)"
