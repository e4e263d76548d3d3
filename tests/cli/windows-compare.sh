#!/usr/bin/env bash
# Runs the same vesk commands with the Linux vesk and with vesk.exe under Wine,
# each in a folder of its own holding the same inputs (the fuzz corpus's
# libraries, .syx and MIDI files), and compares after every command: the exit
# status, stdout byte for byte, stderr with Windows' paths read as Linux's,
# and every file in both folders byte for byte. Prints each difference.
# Usage: windows-compare.sh LINUX-vesk WINDOWS-vesk.exe
# (WINEPREFIX: the Wine prefix; by default the Windows build's, beside vesk.exe)
set -uo pipefail

linux=$(readlink -f "$1")
windows=$(readlink -f "$2")
corpus=$(readlink -f "$(dirname "$0")/../fuzz/corpus")
export WINEPREFIX=${WINEPREFIX:-$(dirname "$windows")/wine}
# Wine names Linux files in the locale's encoding: UTF-8, as the tests write them.
export LC_ALL=C.UTF-8
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

work=$(mktemp -d /tmp/vesk_windows_compare.XXXXXX)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
# Each side works in its files/ folder, with its collection beside it.
mkdir -p "$work/linux/files" "$work/windows/files" "$work/out"
for side in linux windows; do
    cp "$corpus"/library_file/*.vsk "$corpus"/syx_file/*.syx "$corpus"/midi_file/*.mid "$work/$side/files/"
done
run_windows=("$windows")
[[ $windows == *.exe ]] && run_windows=(wine "$windows")

commands=0
failures=0
differs()
{
    echo "DIFFERS: vesk $command: $1"
    failures=$((failures + 1))
}

# stderr names files by full path: Z:\tmp\...\windows\x as /tmp/.../linux/x.
as_linux_paths()
{
    sed -e 's|[A-Za-z]:\\\([^ :]*\)|/\1|g' -e 's|\\|/|g' -e "s|$work/windows/|$work/linux/|g" "$1"
}

# both ARGS...: the command with each program, then the comparisons.
both()
{
    command="$*"
    commands=$((commands + 1))
    local out=$work/out/$commands
    (cd "$work/linux/files" && "$linux" "$@" > "$out.linux.out" 2> "$out.linux.err")
    echo $? > "$out.linux.status"
    (cd "$work/windows/files" && "${run_windows[@]}" "$@" > "$out.windows.out" 2> "$out.windows.err")
    echo $? > "$out.windows.status"

    cmp -s "$out.linux.status" "$out.windows.status" \
        || differs "exit status $(cat "$out.linux.status") on Linux, $(cat "$out.windows.status") on Windows"
    cmp -s "$out.linux.out" "$out.windows.out" \
        || differs "stdout, at $(cmp "$out.linux.out" "$out.windows.out" 2>&1 | sed 's/.* differ: //; s|.*/||')
$(diff <(od -c "$out.linux.out") <(od -c "$out.windows.out") | head -8)"
    cmp -s "$out.linux.err" <(as_linux_paths "$out.windows.err") \
        || differs "stderr:
$(diff "$out.linux.err" <(as_linux_paths "$out.windows.err") | head -8)"

    local files
    files=$(diff <(ls "$work/linux/files") <(ls "$work/windows/files")) || differs "the files differ: $files"
    for file in $(ls "$work/linux/files"); do
        [ -f "$work/windows/files/$file" ] && ! cmp -s "$work/linux/files/$file" "$work/windows/files/$file" \
            && differs "$file, at $(cmp "$work/linux/files/$file" "$work/windows/files/$file" 2>&1 | sed 's/.* differ: //; s|.*/||')"
    done
}

# Copies in both folders, not compared as commands.
copy() { cp "$work/linux/files/$1" "$work/linux/files/$2" && cp "$work/windows/files/$1" "$work/windows/files/$2"; }

both --version
both new new.vsk
both show default.vsk
both show edited.vsk
both show edited.vsk --json
both show short.vsk
both diff default.vsk edited.vsk
both export-syx edited.vsk edited-out.syx
both export-syx default.vsk edited-out.syx
for slot in temp 1 2 3 20; do
    both export-mid edited.vsk $slot "edited-$slot.mid"
done
both import-syx edited.syx imported.vsk
both import-syx damaged.syx imported.vsk
both import-mid lead.mid imported.vsk temp
both import-mid type1.mid imported.vsk 4 --track 2
both import-mid rythm.mid imported.vsk 5 --channel 10

copy edited.vsk tools.vsk
both transform tools.vsk 3 mutate 25 --seed 7
both transform tools.vsk 3 randomize --seed 11 --scale minor --root D --density 80
both transform tools.vsk 4 humanize 10 --seed 3
both transform tools.vsk temp rotate -1
both transform tools.vsk temp transpose 5
both generate tools.vsk 5 euclid 3 8 --note 36
both generate tools.vsk 6 euclid 5 16 --rotate 2
# Decimals typed as vesk show prints them, which must read back exactly.
both set tools.vsk system masterTune 434.8
both get tools.vsk system masterTune
both set tools.vsk 3 tempo 121.7
both get tools.vsk 3 tempo
both set tools.vsk 3 "stepNote 3" 61

# A name beyond ASCII, with a space, as given on the command line and in what is printed.
copy edited.vsk "Bässe für Ümit.vsk"
both show "Bässe für Ümit.vsk"
both export-syx "Bässe für Ümit.vsk" "Bässe für Ümit.syx"
both copy "Bässe für Ümit.vsk" 3 7 --from "Bässe für Ümit.syx"
both show "nicht da.vsk"

both collection add --collection ../collection.db .
both collection search --collection ../collection.db --json
both collection search --collection ../collection.db default --json
both collection search --collection ../collection.db --type Lead --limit 2

echo "$commands commands, $failures difference(s)"
[ $failures -eq 0 ]
