#!/usr/bin/env bash
# The layer check on small trees: one that keeps the rules passes, and each
# case below adds one file that breaks (or keeps) them to that tree.
set -euo pipefail

check="$(cd "$(dirname "$0")" && pwd)/check-includes.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A tree that keeps every rule, with the allowed exceptions in use.
base()
{
    local src=$1
    mkdir -p "$src"/{model,midi,unit,editors,app,cli}
    printf '#include <juce_core/juce_core.h>\n#include <vector>\n' > "$src/model/VeskImage.h"
    printf '#include "VeskImage.h"\n#include <juce_gui_extra/juce_gui_extra.h>\n// not a juce::Component\n' > "$src/model/VeskModel.h"
    printf '#include "model/VeskModel.h"\n#include <juce_audio_devices/juce_audio_devices.h>\n' > "$src/midi/Receiver.h"
    printf '#include "midi/Receiver.h"\n#include <vector>\n' > "$src/unit/Transfer.h"
    printf '#include "unit/Transfer.h"\n#include <sys/stat.h>\n#if defined(__linux__)\n#endif\n' > "$src/unit/TransferPosix.cpp"
    mkdir -p "$src/platform/windows"
    printf '#include <juce_core/juce_core.h>\n' > "$src/platform/Files.h"
    printf '#include "platform/Files.h"\n#include <windows.h>\n#if JUCE_WINDOWS\n#endif\n' > "$src/platform/windows/FilesWindows.cpp"
    printf '#include "unit/Transfer.h"\n#include "VeskPanelPictures.h"\njuce::Component c;\n' > "$src/editors/Page.cpp"
    printf '#include "editors/Page.h"\n' > "$src/app/Window.cpp"
    printf '#include "editors/Page.h"\n#include <juce_events/native/juce_linux_EventLoopInternal.h>\n' > "$src/app/WindowLinux.cpp"
    printf '#include "model/VeskImage.h"\n' > "$src/cli/Cli.cpp"
    touch "$src/editors/Page.h"
}

# file | its text | pass or fail | what the report names
cases=(
    'model/VeskImage.cpp|#include "VeskImage.h"|pass|'
    'model/VeskDecoder.h|#include "midi/Receiver.h"|fail|src/model/VeskDecoder.h:1'
    'model/VeskDecoder.h|  #  include <midi/Receiver.h>|fail|src/model/VeskDecoder.h:1'
    'model/VeskDecoder.h|#include "../midi/Receiver.h"|fail|climbs'
    'model/VeskDecoder.h|#include "model/../midi/Receiver.h"|fail|climbs'
    'model/VeskDecoder.h|#include "Receiver.h"|fail|is not in src/model'
    'model/VeskDecoder.h|#include <juce_gui_basics/juce_gui_basics.h>|fail|juce_gui_basics'
    'model/VeskDecoder.h|#include <juce_gui_extra/juce_gui_extra.h>|fail|juce_gui_extra'
    'model/VeskDecoder.h|#include <juce_audio_devices/juce_audio_devices.h>|fail|juce_audio_devices'
    'model/VeskDecoder.cpp|void f (juce::Graphics& g);|fail|juce::Graphics'
    'midi/Log.h|#include "app/Window.h"|fail|src/app is not below'
    'midi/Log.h|#include "editors/Page.h"|fail|src/editors is not below'
    'midi/Selector.h|struct Selector : juce::ListBox {};|fail|juce::ListBox'
    'midi/Log.h|#include "VeskPanelPictures.h"|fail|made for src/editors'
    'unit/Finder.h|#include "session/Session.h"|fail|src/session is not below'
    'unit/Finder.h|#include "editors/Page.h"|fail|src/editors is not below'
    'unit/Finder.h|#include "midi/Receiver.h"|pass|'
    'session/Session.h|#include "unit/Transfer.h"|pass|'
    'session/Session.h|#include "editors/Page.h"|fail|src/editors is not below'
    'session/History.h|#include <juce_gui_basics/juce_gui_basics.h>|fail|juce_gui_basics'
    'editors/Grid.h|#include "app/Window.h"|fail|src/app is not below'
    'editors/Grid.h|#include "midi/Receiver.h"|pass|'
    'app/Menu.h|#include "cli/Cli.h"|fail|src/cli is not below'
    'cli/Main.cpp|#include "midi/Receiver.h"|fail|src/midi is not below'
    'cli/Main.cpp|#include <juce_gui_basics/juce_gui_basics.h>|fail|juce_gui_basics'
    'tools/Extra.h|#include "model/VeskImage.h"|fail|src/tools: in no layer'
    'model/VeskDecoder.cpp|#include <unistd.h>|fail|system-specific (#include <unistd.h>)'
    'collection/Store.cpp|  #  include <sys/stat.h>|fail|system-specific'
    'app/Clip.cpp|#include <juce_events/native/juce_linux_EventLoopInternal.h>|fail|system-specific'
    'editors/Font.cpp|#if JUCE_LINUX|fail|system-specific (JUCE_LINUX)'
    'cli/Main.cpp|#ifdef _WIN32|fail|system-specific (_WIN32)'
    'cli/Main.cpp|// unistd.h and _WIN32 named in a comment|pass|'
    'app/ClipLinux.cpp|#include <X11/Xlib.h>|pass|'
    'midi/PortsWindows.cpp|#include <windows.h>|pass|'
    'platform/posix/FilesPosix.cpp|#include <fcntl.h>|pass|'
    'platform/Files.h|#include "model/VeskImage.h"|fail|src/model is not below'
    'model/VeskDecoder.h|#include "platform/Files.h"|pass|'
)

failures=0
n=0

for c in "${cases[@]}"; do
    IFS='|' read -r file text expected names <<< "$c"
    n=$((n + 1))
    src="$work/$n/src"
    base "$src"
    mkdir -p "$(dirname "$src/$file")"
    printf '%s\n' "$text" >> "$src/$file"

    status=0
    output=$("$check" "$src" 2>&1) || status=$?
    got=pass
    [ $status -eq 0 ] || got=fail

    if [ "$got" != "$expected" ] || { [ -n "$names" ] && ! grep -qF -- "$names" <<< "$output"; }; then
        echo "FAIL: $file with '$text': expected $expected${names:+ naming '$names'}, got $got (exit $status):"
        sed 's/^/    /' <<< "$output"
        failures=$((failures + 1))
    fi
done

# The base tree must pass alone too, or every fail case above proves nothing.
base "$work/base/src"
"$check" "$work/base/src" > /dev/null || { echo "FAIL: the base tree breaks the rules"; failures=$((failures + 1)); }

echo "$((n + 1 - failures)) passed, $failures failed"
[ $failures -eq 0 ]
