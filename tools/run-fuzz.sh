#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz": clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a bounded time, starting from the seed
# corpus in fuzz/corpus/<target>. Fails when a target crashes or a sanitizer reports.
# FUZZ_SECONDS sets the time per target (default 20), JOBS the build parallelism.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${FUZZ_SECONDS:-20}
jobs=${JOBS:-2}
targets=(profile axis calibration lokparser currenttrain zusi3)

cd "$root"
cmake --preset fuzz >/dev/null || exit 1
cmake --build --preset fuzz -j "$jobs" --target "${targets[@]/#/fuzz_}" >/dev/null || {
    echo "run-fuzz: build failed" >&2
    exit 1
}

artifacts="$root/build/fuzz/artifacts"
mkdir -p "$artifacts"
passed=0
failed=0
# The targets write their files below TMPDIR on every run; memory-backed storage keeps
# the atomic saves' flushes cheap.
tmpbase=/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && tmpbase=/dev/shm
for t in "${targets[@]}"; do
    work=$(mktemp -d "$tmpbase/kordan-fuzz.XXXXXX")
    # The seeds are copied: libFuzzer adds what it finds to its first corpus directory,
    # and the source tree is to stay as it is.
    mkdir -p "$work/corpus"
    cp "fuzz/corpus/$t"/* "$work/corpus/"
    echo "run-fuzz: $t for ${seconds}s"
    if (cd "$work" && TMPDIR="$work" "$root/build/fuzz/fuzz/fuzz_$t" "$work/corpus" \
            -max_total_time="$seconds" -artifact_prefix="$artifacts/$t-" \
            -print_final_stats=1 >"$work/log" 2>&1) &&
        ! grep -qE "runtime error:|ERROR: (Address|Leak|UndefinedBehavior)Sanitizer" "$work/log"; then
        grep -E "^(#[0-9]+ +DONE|stat::number_of_executed_units)" "$work/log" | tail -1
        passed=$((passed + 1))
    else
        echo "run-fuzz: $t FAILED; the input is in $artifacts" >&2
        tail -40 "$work/log" >&2
        failed=$((failed + 1))
    fi
    rm -rf "$work"
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
