#!/bin/bash
# Installs what is missing, builds every configuration and runs every test:
# host tests, the same under sanitizers and memcheck, a bounded fuzzing run,
# and the end-to-end suite of the real Varnelo.exe under Wine on Xvfb.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"

step() { echo "=== $* ==="; }

step "installing what is missing"
scripts/install-deps.sh

step "host tests"
scripts/build.sh host
ctest --test-dir build/host --output-on-failure

step "host tests under AddressSanitizer and UBSan"
scripts/sanitize.sh

# Memcheck runs one program at a time on one core, and each fuzz target for a
# fixed time on one core, so the two share the machine's two cores.
step "host tests under valgrind memcheck, and fuzzing beside it"
mkdir -p build
scripts/fuzz.sh >build/fuzz.log 2>&1 &
fuzz_pid=$!
if ! scripts/memcheck.sh; then
    kill "$fuzz_pid" 2>/dev/null
    exit 1
fi
fuzz_status=0
wait "$fuzz_pid" || fuzz_status=$?
step "fuzzing"
cat build/fuzz.log
[ "$fuzz_status" -eq 0 ]

step "Windows builds"
scripts/build.sh win32
scripts/build.sh win64

step "end-to-end suite under Wine"
scripts/with-display.sh scripts/e2e.sh

step "all tests passed"
