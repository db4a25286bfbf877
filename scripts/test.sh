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

step "host tests under valgrind memcheck"
scripts/memcheck.sh

step "fuzzing"
scripts/fuzz.sh

step "Windows builds"
scripts/build.sh win32
scripts/build.sh win64

step "end-to-end suite under Wine"
scripts/with-display.sh scripts/e2e.sh

step "all tests passed"
