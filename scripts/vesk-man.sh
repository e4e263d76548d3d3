#!/usr/bin/env bash
# Writes vesk's man page (gzipped) from its own --help: the overview, then each
# command's help as a section. Usage: vesk-man.sh PATH-TO-vesk OUTPUT.1.gz
set -euo pipefail
vesk=$1
output=$2
include=$(mktemp)
trap 'rm -f "$include" "${output%.gz}"' EXIT

# One command's --help as a tagged paragraph: its usage, then what it does.
section() {
    local help
    help=$("$vesk" "$@" --help)
    echo ".TP"
    echo "\\fB$(sed -n '1s/^Usage: //p' <<< "$help" | sed 's/-/\\-/g')\\fR"
    sed '1,2d' <<< "$help" | sed 's/-/\\-/g'
}

{
    echo "[COMMANDS]"
    for command in new show export-syx import-syx diff copy swap init export-mid import-mid transform generate set get; do
        section "$command"
    done
    echo "[COLLECTION]"
    "$vesk" collection --help | sed -n '3,/^$/p' | sed 's/-/\\-/g'
    for command in add search show put name tag untag favourite check; do
        section collection "$command"
    done
    # The table --help ends with, as a section of its own.
    echo "[EXIT STATUS]"
    "$vesk" --help | sed -n '/^Exit status:/,$p' | sed '1d; s/-/\\-/g' |
        awk '/^  [0-9]  / { print ".TP"; print "\\fB" $1 "\\fR"; sub(/^  [0-9]  /, ""); print; next }
             { sub(/^ +/, ""); print }'
    echo "[SEE ALSO]"
    echo "\\fBVeskEdit\\fR, the editor, and \\fBamidi\\fR(1) to send and receive .syx files."
} > "$include"

help2man --no-info --section 1 \
    --name "librarian for the Vesk groovebox's library and sysex files" \
    --include "$include" --output "${output%.gz}" "$vesk"

# One usage per line, as --help prints them (help2man runs them together);
# the exit status table is dropped from the description, it has its section.
awk '/^\.SS "Usage:"/ { usage = 1 } usage && /^\.PP/ { usage = 0 }
     /^\.SS "Exit status:"/ { table = 1 } table && /^\.(SH|SS|PP)/ && !/Exit status/ { table = 0 }
     table { next }
     { print } usage && !/^\./ { print ".br" }' "${output%.gz}" > "$include"
mv "$include" "${output%.gz}"
gzip -9nf "${output%.gz}"
trap 'rm -f "$include"' EXIT
