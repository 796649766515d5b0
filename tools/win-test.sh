#!/usr/bin/env bash
# Cross-builds the core, the Windows backends and their tests with MinGW-w64 and runs the
# tests under Wine in a throwaway prefix, headless (under an Xvfb of its own). Installs
# what it needs with apt-get, only when missing. Ends with "win32: N passed, N failed".
#   tools/win-test.sh            build directory build/win32
#   KORDAN_WIN_BUILD=dir tools/win-test.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${KORDAN_WIN_BUILD:-build/win32}
mkdir -p "$build"
build=$(cd "$build" && pwd)
jobs=${JOBS:-2}

packages=(cmake make g++-mingw-w64-x86-64 wine wine64 googletest xvfb xauth)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

toolchain=$root/cmake/mingw-w64.cmake

# GoogleTest from Debian's sources, built once for Windows.
gtest_prefix=$build/googletest
if [ ! -f "$gtest_prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
    echo "Building GoogleTest for Windows"
    cmake -S /usr/src/googletest -B "$build/googletest-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$gtest_prefix" -DBUILD_GMOCK=ON \
        -Dgtest_force_shared_crt=ON >/dev/null
    cmake --build "$build/googletest-build" -j "$jobs" >/dev/null
    cmake --install "$build/googletest-build" >/dev/null
fi

echo "Building the Windows tests"
cmake -S "$root" -B "$build/kordan" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Debug \
    -DKORDAN_GUI=OFF -DKORDAN_TESTS=ON -DKORDAN_WERROR=ON -DGTest_DIR="$gtest_prefix/lib/cmake/GTest" >/dev/null
cmake --build "$build/kordan" -j "$jobs" --target kordan_win32_tests

tests_dir=$build/kordan/tests/win32

# A fresh prefix each run: no state of an earlier run or of the user's own Wine.
export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/kordan-wine.XXXXXX)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
xvfb_pid=""
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

# A display number nobody uses; Xvfb tells its choice through -displayfd.
exec {fd}< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null & echo "pid $!")
read -r -u "$fd" line; xvfb_pid=${line#pid }
read -r -u "$fd" display
export DISPLAY=:$display

wineboot -i >/dev/null 2>&1
log=$build/win32-tests.log
set +e
(cd "$tests_dir" && wine kordan_win32_tests.exe) 2>&1 | tr -d '\r' | tee "$log"
status=${PIPESTATUS[0]}
set -e

passed=$(grep -c '^\[       OK \]' "$log" || true)
failed=$(grep -c '^\[  FAILED  \] [^ ]*\.[^ ]* (' "$log" || true)
skipped=$(grep -c '^\[  SKIPPED \] [^ ]*\.[^ ]* (' "$log" || true)
if [ "$failed" -eq 0 ] && { [ "$passed" -eq 0 ] || [ "$status" -ne 0 ]; }; then
    failed=1 # the test program did not run, or ended before reporting (a crash)
fi
echo "win32: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ] && [ "$status" -eq 0 ]
