#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) into build-fuzz/ and
# runs each for a bounded time (as many at once as there are cores), starting
# from the committed seed corpus.
# A crash or a broken invariant fails the run; the input that caused it is kept
# in build-fuzz/crashes/. FUZZ_SECONDS sets the time per target (default 30).
#
# Usage: fuzz.sh [build|run]: both by default; "build" only builds the
# targets, "run" only runs those built (scripts/test does both in the
# background, niced, beside the tests).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-30}
targets=(fuzz_library_file fuzz_sysex fuzz_syx_file fuzz_bounded_xml fuzz_midi_file)
what=${1:-all}

case $what in
    all | build | run) ;;
    *) echo "usage: $0 [build|run]" >&2; exit 2 ;;
esac

if [ "$what" != run ]; then
    if [ ! -f build-fuzz/build.ninja ]; then
        cmake -S tests/fuzz -B build-fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
    fi

    cmake --build build-fuzz --parallel "$(nproc 2>/dev/null || echo 2)"
fi

[ "$what" = build ] && exit 0

for target in "${targets[@]}"; do
    [ -x build-fuzz/"$target" ] || { echo "build-fuzz/$target is not built: run $0 build first" >&2; exit 2; }
done

mkdir -p build-fuzz/crashes
jobs=$(nproc 2>/dev/null || echo 2)

# One target: new inputs go to its work folder; the committed seeds stay as they are.
fuzz_one()
{
    local target=$1
    local seeds=tests/fuzz/corpus/${target#fuzz_} work=build-fuzz/corpus/$target
    local rc=0
    mkdir -p "$work"
    build-fuzz/"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="build-fuzz/crashes/$target-" \
        "$work" "$seeds" 2> build-fuzz/$target.log || rc=$?
    echo $rc > build-fuzz/$target.status
}

# As many at once as there are cores, each for its whole time.
running=0
for target in "${targets[@]}"; do
    echo "== $target (${seconds} s)"
    fuzz_one "$target" &
    running=$((running + 1))
    if [ $running -ge "$jobs" ]; then
        wait -n
        running=$((running - 1))
    fi
done
wait

status=0
for target in "${targets[@]}"; do
    if [ "$(cat build-fuzz/$target.status)" != 0 ]; then
        echo "== $target"
        tail -n 60 build-fuzz/$target.log
        echo "$target FAILED: reproducer in build-fuzz/crashes/ (run build-fuzz/$target FILE to replay)"
        status=1
    else
        echo "== $target: $(grep -E '^stat::number_of_executed_units' build-fuzz/$target.log | tail -n 1)"
    fi
done

exit $status
