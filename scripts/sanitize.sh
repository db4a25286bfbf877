#!/bin/bash
# Builds the host tests with AddressSanitizer and UBSan in build/asan and
# runs them; any report, leaks included, fails the run.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build/asan"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

"$ROOT/scripts/build.sh" asan
ctest --test-dir "$BUILD" -j "$(nproc)" --output-on-failure
