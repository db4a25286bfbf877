#!/bin/bash
# Builds the host tests (build/host, no sanitizers) and runs every test
# program under valgrind memcheck; any error or leak fails the run.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build/host"

"$ROOT/scripts/build.sh" host

programs=$(find "$BUILD/tests/host" -maxdepth 1 -type f -executable | sort)
if [ -z "$programs" ]; then
    echo "memcheck: no test programs in $BUILD/tests/host" >&2
    exit 1
fi
for program in $programs; do
    echo "memcheck: $(basename "$program")"
    valgrind --quiet --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,indirect,possible \
        "$program" --gtest_brief=1
done
