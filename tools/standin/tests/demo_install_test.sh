#!/bin/sh
# tools/demo-install.sh: installs the demo, keeps the user's files, never writes outside.
set -u
script=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failed=0 passed=0
check() { # name, then a command that must succeed
    name=$1
    shift
    if "$@"; then passed=$((passed + 1)); else echo "FAILED: $name"; failed=$((failed + 1)); fi
}

"$script" "$tmp/p" "$tmp/k" >/dev/null 2>&1
check "installs" test -f "$tmp/p/drive_c/Zusi/Loks/Elektrisch/BR 101.lok"
check "links drive c" test "$(readlink "$tmp/p/dosdevices/c:")" = ../drive_c
check "makes temp" test -d "$tmp/p/drive_c/Zusi/temp"
check "copies profiles" test -f "$tmp/k/automatisch.cfr"
check "no generated axes" test ! -e "$tmp/k/automatisch_FS.axr"

echo "my own" >"$tmp/k/BR 101_1.cfr"
"$script" "$tmp/p" "$tmp/k" >/dev/null 2>&1
check "second run succeeds" test $? -eq 0
check "keeps the user's file" test "$(cat "$tmp/k/BR 101_1.cfr")" = "my own"

mkdir -p "$tmp/wine" "$tmp/outside"
touch "$tmp/wine/system.reg"
"$script" "$tmp/wine" "$tmp/k2" >/dev/null 2>&1
check "refuses a real prefix" test $? -ne 0
check "nothing in a real prefix" test ! -e "$tmp/wine/drive_c"

echo secret >"$tmp/outside/file"
mkdir -p "$tmp/k3"
ln -s "$tmp/outside/file" "$tmp/k3/Richtung.axr"
"$script" "$tmp/p3" "$tmp/k3" >/dev/null 2>&1
check "refuses a link leading out" test $? -ne 0
check "outside file untouched" test "$(cat "$tmp/outside/file")" = secret

mkdir -p "$tmp/p4/dosdevices"
ln -s "$tmp/outside" "$tmp/p4/dosdevices/c:"
"$script" "$tmp/p4" "$tmp/k4" >/dev/null 2>&1
check "refuses a drive leading out" test $? -ne 0
check "nothing written through it" test ! -e "$tmp/outside/Zusi"

"$script" "$tmp/only-one" >/dev/null 2>&1
check "needs two arguments" test $? -eq 2

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
