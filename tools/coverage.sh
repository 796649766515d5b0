#!/usr/bin/env bash
# Line coverage of src/ by the unit and window tests: a separate gcov build, then gcovr.
set -euo pipefail
cd "$(dirname "$0")/.."
# No compiler launcher: a cache that rewrites paths to relative ones leaves gcov unable to find
# the sources again.
cmake --preset coverage -DCMAKE_CXX_COMPILER_LAUNCHER= >/dev/null
cmake --build --preset coverage -j "${JOBS:-2}"
find build/coverage -name '*.gcda' -delete
# A failing test still leaves its coverage; the report is what this is for.
ctest --preset coverage -j "${JOBS:-2}" -E 'e2e|packaging|win32' >build/coverage/ctest.log ||
    echo "coverage: some tests failed, see build/coverage/ctest.log"
gcovr -r . --object-directory build/coverage --filter 'src/' --exclude '.*_autogen.*' \
      --print-summary -o build/coverage/coverage.txt | grep -E '^(lines|functions):'
