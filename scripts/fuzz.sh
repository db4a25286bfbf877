#!/bin/bash
# Builds the libFuzzer targets with clang in build/fuzz and runs each one for
# a bounded time from its checked-in seeds. A crash, a leak or a failed check
# fails the run; the input that caused it is left under build/fuzz/crashes/.
# FUZZ_SECONDS sets the time per target (default 20).
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build/fuzz"
SECONDS_EACH=${FUZZ_SECONDS:-20}
INPUT_TIMEOUT_SECONDS=10
RSS_LIMIT_MB=2048

# Each target with the longest input it is given.
TARGETS=(fuzz_text_title:512 fuzz_parse_options:256 fuzz_clipboard_change:4096 fuzz_text_reading:2048
    fuzz_line_copy_marker:1024)

"$ROOT/scripts/build.sh" fuzz

mkdir -p "$BUILD/crashes"
for entry in "${TARGETS[@]}"; do
    target=${entry%%:*}
    max_len=${entry##*:}
    # The working corpus grows from run to run; the seeds stay as checked in.
    corpus="$BUILD/corpus/$target"
    log="$BUILD/$target.log"
    mkdir -p "$corpus"
    echo "fuzz: $target for ${SECONDS_EACH} s"
    if ! "$BUILD/tests/fuzz/$target" -max_total_time="$SECONDS_EACH" -max_len="$max_len" \
        -timeout="$INPUT_TIMEOUT_SECONDS" -rss_limit_mb="$RSS_LIMIT_MB" -print_final_stats=1 \
        -artifact_prefix="$BUILD/crashes/$target-" "$corpus" "$ROOT/tests/fuzz/corpus/$target" \
        >"$log" 2>&1; then
        tail -n 40 "$log"
        echo "fuzz: $target failed; the input is under $BUILD/crashes/" >&2
        exit 1
    fi
    grep -E '^stat::number_of_executed_units' "$log" | sed "s/^/fuzz: $target /"
done
