#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) into build-fuzz/ and
# runs each for a bounded time, starting from the committed seed corpus.
# A crash or a broken invariant fails the run; the input that caused it is kept
# in build-fuzz/crashes/. FUZZ_SECONDS sets the time per target (default 30).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-30}
targets=(fuzz_library_file fuzz_sysex fuzz_syx_file fuzz_bounded_xml fuzz_midi_file)

if [ ! -f build-fuzz/build.ninja ]; then
    cmake -S tests/fuzz -B build-fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
fi

cmake --build build-fuzz --parallel "$(nproc 2>/dev/null || echo 2)"

mkdir -p build-fuzz/crashes
status=0

for target in "${targets[@]}"; do
    seeds=tests/fuzz/corpus/${target#fuzz_}
    work=build-fuzz/corpus/$target
    mkdir -p "$work"
    echo "== $target (${seconds} s)"

    # New inputs go to the work folder; the committed seeds stay as they are.
    if ! build-fuzz/"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
            -print_final_stats=1 -artifact_prefix="build-fuzz/crashes/$target-" \
            "$work" "$seeds" 2>build-fuzz/$target.log; then
        tail -n 60 build-fuzz/$target.log
        echo "$target FAILED: reproducer in build-fuzz/crashes/ (run build-fuzz/$target FILE to replay)"
        status=1
    else
        grep -E '^stat::number_of_executed_units|^#[0-9]+ *DONE' build-fuzz/$target.log | tail -n 2
    fi
done

exit $status
