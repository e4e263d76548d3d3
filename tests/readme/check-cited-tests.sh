#!/usr/bin/env bash
# Every test the README cites as holding a promise exists: each `Suite.Name`
# and `e2e.case` among the tests CTest knows, each fuzz target among those
# built. Usage: check-cited-tests.sh README.md BUILD-DIR FUZZ-CMAKELISTS
set -euo pipefail
readme=$1 build=$2 fuzz=$3

known=$(cd "$build" && ctest -N | sed -n 's/^ *Test *#[0-9]*: //p')
cited=$(grep -o '`[A-Za-z0-9_-]*\.[A-Za-z0-9_-]*`' "$readme" | tr -d '`' \
    | grep -E '^([A-Z][A-Za-z0-9]*\.[A-Z][A-Za-z0-9]+|(e2e|cli|layers|package|readme)\.[a-z0-9-]+)$' | sort -u)
targets=$(grep -o 'fuzz target `[a-z_]*`' "$readme" | sed 's/.*`\(.*\)`/\1/' | sort -u)

missing=0
for name in $cited; do
    grep -qxF "$name" <<< "$known" || { echo "README cites $name, which is no test"; missing=1; }
done
for target in $targets; do
    grep -q "\b$target\b" "$fuzz" || { echo "README cites fuzz target $target, which is not built"; missing=1; }
done

[ $missing -eq 0 ] && echo "all $(wc -w <<< "$cited $targets") tests the README cites exist"
exit $missing
