#!/usr/bin/env bash
# tools/setup.sh on a machine where nothing is installed yet, with dpkg-query and apt-get
# standing in: the demo mode (make run) must ask for the program's libraries and Xvfb and for
# none of the tests' tools, while the full mode (make test) asks for those as well.
#   setup_demo_test.sh SOURCE_DIR
set -euo pipefail
src=$1
stubs=$(mktemp -d)
trap 'rm -rf "$stubs"' EXIT
printf '#!/bin/sh\nexit 1\n' >"$stubs/dpkg-query" # nothing is installed
printf '#!/bin/sh\necho "$*" >>"%s/apt-get.log"\n' "$stubs" >"$stubs/apt-get"
printf '#!/bin/sh\nexec "$@"\n' >"$stubs/sudo"
chmod +x "$stubs"/*
fail=0
# The packages one run of setup.sh asks apt-get to install, one a line.
asked() {
    rm -f "$stubs/apt-get.log"
    PATH="$stubs:$PATH" "$src/tools/setup.sh" "$@" >/dev/null
    sed -n 's/^install //p' "$stubs/apt-get.log" | tr ' ' '\n' | grep -v '^-'
}
demo=$(asked --demo)
full=$(asked)
for wanted in qt6-base-dev libhidapi-dev libx11-dev libxtst-dev xvfb; do
    grep -qx "$wanted" <<<"$demo" || { echo "FAIL: the demo needs $wanted"; fail=1; }
done
for heavy in wine mingw clang gcovr benchmark; do
    if grep -q "$heavy" <<<"$demo"; then
        echo "FAIL: the demo asks for $(grep "$heavy" <<<"$demo" | tr '\n' ' ')"
        fail=1
    fi
    grep -q "$heavy" <<<"$full" || { echo "FAIL: make test no longer gets $heavy"; fail=1; }
done
echo "demo: $(wc -l <<<"$demo") packages, make test: $(wc -l <<<"$full")"
exit "$fail"
