#!/usr/bin/env bash
# check-includes.sh [SOURCE_DIR]: checks every file under SOURCE_DIR (by
# default src/) against the layers, from the bottom: platform (what differs
# from one operating system to the next), model, midi,
# unit, session, editors, app; the collection on the model, beside midi;
# cli on the model and the collection. A file may include its own
# folder and the folders below it, JUCE's modules below the GUI unless its
# layer is a GUI one, and nothing by "..". Headers that no target compiles
# are checked as well. Prints each break and exits 1 if there is any.
set -euo pipefail

src=${1:-"$(dirname "$0")/../../src"}

declare -A below=(
    [platform]=""
    [model]="platform"
    [midi]="platform model"
    [collection]="platform model"
    [unit]="platform model midi"
    [session]="platform model midi unit collection"
    [editors]="platform model midi unit collection session"
    [app]="platform model midi unit collection session editors"
    [cli]="platform model collection")

plain="juce_core juce_events juce_data_structures juce_audio_basics"
declare -A modules=(
    [platform]="$plain"
    [model]="$plain"
    [midi]="$plain juce_audio_devices"
    [collection]="$plain"
    [unit]="$plain juce_audio_devices"
    [session]="$plain juce_audio_devices"
    [editors]="*"
    [app]="*"
    [cli]="$plain")

# The document is a juce::FileBasedDocument: that one header of the model
# sees the GUI's modules, and still uses nothing of them but the base class.
declare -A extraModules=(
    [model/VeskModel.h]="juce_gui_extra")

# Made by the build, beside no source: who may include them.
declare -A generated=(
    [VeskPanelPictures.h]="editors")

# Classes that paint or take input; none belongs below the editors.
gui='juce::(Component|Graphics|Colours?|Image|Font|Path|Rectangle|Point|Justification|LookAndFeel[A-Za-z0-9_]*|Desktop|[A-Za-z]*Window|Drawable[A-Za-z]*|MouseEvent|KeyPress|[A-Za-z]*Button|Slider|ComboBox|Label|TextEditor|ListBox|Viewport|FileChooser|MessageBoxOptions|NativeMessageBox)\b'

# System headers and the tests of which system a file is compiled for.
systemSpecific='#[[:space:]]*include[[:space:]]*<((unistd|fcntl|poll|dlfcn|malloc|pwd|dirent|termios|windows|io|sddl|aclapi|shlobj|ft2build)\.h|(sys|alsa|X11|freetype)/[^>]*|juce_[a-z_]+/native/[^>]*)>|\b(JUCE_LINUX|JUCE_WINDOWS|JUCE_MAC|JUCE_BSD|_WIN32|__linux__|__APPLE__)\b'

failures=0
fail() { echo "$1: $2"; failures=$((failures + 1)); }

has() { [[ " $1 " == *" $2 "* ]]; }

[ -d "$src" ] || { echo "no source folder $src"; exit 2; }

for dir in "$src"/*/; do
    folder=$(basename "$dir")

    if [ -z "${below[$folder]+set}" ]; then
        fail "src/$folder" "in no layer: add it to the layers (CMakeLists.txt) and to this check"
        continue
    fi

    allowedModules=${modules[$folder]}

    while IFS= read -r -d '' file; do
        rel=${file#"$src"/}

        while IFS=: read -r line delimiter include; do
            where="src/$rel:$line"

            if [[ "/$include/" == */../* || "/$include/" == */./* ]]; then
                fail "$where" "\"$include\" climbs folders: name the folder from a layer's root"
                continue
            fi

            if [[ "$include" != */* ]]; then
                if [ -n "${generated[$include]+set}" ]; then
                    has "${generated[$include]}" "$folder" || fail "$where" "$include is made for src/${generated[$include]} only"
                elif [ "$delimiter" = '"' ] && [ ! -f "$(dirname "$file")/$include" ]; then
                    fail "$where" "\"$include\" is not in src/$folder"
                fi
                continue
            fi

            first=${include%%/*}

            if [ -n "${below[$first]+set}" ]; then
                [ "$first" = "$folder" ] || has "${below[$folder]}" "$first" \
                    || fail "$where" "src/$folder may not include $include (src/$first is not below it)"
            elif [[ "$first" == juce_* ]]; then
                [ "$allowedModules" = "*" ] || has "$allowedModules" "$first" || has "${extraModules[$rel]:-}" "$first" \
                    || fail "$where" "src/$folder may not include $first (a GUI module, or one its layer does not use)"
            fi
        done < <(grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]' "$file" \
                     | sed -E 's/^([0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]*([<"])([^>"]*)[>"].*/\1:\2:\3/')

        # What differs between operating systems lives in src/platform and in
        # files named for their system; everything else is the same everywhere.
        if [ "$folder" != platform ] && ! [[ "$(basename "$rel")" =~ (Posix|Linux|Windows)\.(cpp|h)$ ]]; then
            while IFS=: read -r line text; do
                fail "src/$rel:$line" "system-specific ($(grep -o -E "$systemSpecific" <<< "$text" | head -1)): put it behind src/platform or in a file named ...Posix/Linux/Windows.cpp"
            done < <(grep -n -E "$systemSpecific" "$file" | grep -v -E '^[0-9]+:[[:space:]]*(//|/?\*)' || true)
        fi

        if [ "${modules[$folder]}" != "*" ]; then
            while IFS=: read -r line text; do
                fail "src/$rel:$line" "GUI class in src/$folder: $(grep -o -E "$gui" <<< "$text" | head -1)"
            done < <(grep -n -E "$gui" "$file" | grep -v -E '^[0-9]+:[[:space:]]*(//|/?\*)' || true)
        fi
    done < <(find "$dir" -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z)
done

if [ $failures -ne 0 ]; then
    echo "$failures break(s) of the layers"
    exit 1
fi

echo "layers: every include in $src is allowed"
