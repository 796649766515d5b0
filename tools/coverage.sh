#!/usr/bin/env bash
# Line coverage of src/ by the unit and window tests: a separate gcov build, then gcovr.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset coverage >/dev/null
cmake --build --preset coverage -j "${JOBS:-2}"
find build/coverage -name '*.gcda' -delete
ctest --preset coverage -j "${JOBS:-2}" -E 'e2e|Package|win32' || true
gcovr -r . --object-directory build/coverage --filter 'src/' --exclude '.*_autogen.*' \
      --gcov-ignore-errors=no_working_dir_found --print-summary -o build/coverage/coverage.txt \
      2>/dev/null | tail -3
