#!/usr/bin/env bash
# Every relative link of the README and docs/ leads somewhere: the file exists,
# and a #heading names a heading of it (as GitHub makes anchors of headings).
# A folder stands for the *.md files in it.
# Usage: check-links.sh DOCUMENT-OR-FOLDER...
set -euo pipefail

source "$(dirname "$0")/documents.sh"

# The anchors of a Markdown file's headings; a heading again gets -1, -2, ...
anchors()
{
    sed -n 's/^#\{1,6\} \(.*\)$/\1/p' "$1" | tr 'A-Z' 'a-z' | sed -E 's/[^a-z0-9 _-]//g; s/ /-/g' \
        | awk '{ n = seen[$0]++; print (n ? $0 "-" n : $0) }'
}

broken=0 count=0
for document in "${documents[@]}"; do
    folder=$(dirname "$document")
    links=$(grep -o '\]([^)]*)' "$document" | sed 's/^](\(.*\))$/\1/' | grep -v '^[a-z]*:' || true)
    for link in $links; do
        count=$((count + 1))
        path=${link%%#*}
        target=$document
        [ -n "$path" ] && target=$folder/$path
        if [ ! -e "$target" ]; then
            echo "$document links to $link: there is no $path"
            broken=1
        elif [[ $link == *#* ]] && ! anchors "$target" | grep -qxF "${link#*#}"; then
            echo "$document links to $link: $target has no such heading"
            broken=1
        fi
    done
done

[ $broken -eq 0 ] && echo "all $count links of the ${#documents[@]} documents lead somewhere"
exit $broken
