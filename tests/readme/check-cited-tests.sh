#!/usr/bin/env bash
# Every test the documents cite as holding a promise exists: each `Suite.Name`
# and `e2e.case` among the tests CTest knows, each fuzz target among those
# built. A folder stands for the *.md files in it.
# Usage: check-cited-tests.sh BUILD-DIR FUZZ-CMAKELISTS DOCUMENT-OR-FOLDER...
set -euo pipefail
build=$1 fuzz=$2
shift 2

source "$(dirname "$0")/documents.sh"

known=$(cd "$build" && ctest -N | sed -n 's/^ *Test *#[0-9]*: //p')
missing=0 count=0
for document in "${documents[@]}"; do
    cited=$(grep -o '`[A-Za-z0-9_-]*\.[A-Za-z0-9_-]*`' "$document" | tr -d '`' \
        | grep -E '^([A-Z][A-Za-z0-9]*\.[A-Z][A-Za-z0-9]+|(e2e|cli|layers|package|readme)\.[a-z0-9-]+)$' \
        | sort -u || true)
    targets=$(grep -o 'fuzz target `[a-z_]*`' "$document" | sed 's/.*`\(.*\)`/\1/' | sort -u || true)
    for name in $cited; do
        count=$((count + 1))
        grep -qxF "$name" <<< "$known" || { echo "$document cites $name, which is no test"; missing=1; }
    done
    for target in $targets; do
        count=$((count + 1))
        grep -q "\b$target\b" "$fuzz" || { echo "$document cites fuzz target $target, which is not built"; missing=1; }
    done
done

[ $missing -eq 0 ] && echo "all $count tests the ${#documents[@]} documents cite exist"
exit $missing
