#!/bin/sh
# tools/demo-install.sh: installs the demo, keeps the user's files, never writes outside.
set -u
script=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failed=0 passed=0
check() { # name, then a command that must succeed
    name=$1 && shift
    if "$@"; then passed=$((passed + 1)); else echo "FAILED: $name"; failed=$((failed + 1)); fi
}
run() { "$script" "$@" >/dev/null 2>&1; }
refused() { ! run "$@"; }

run "$tmp/p" "$tmp/k"
check "installs" test -f "$tmp/p/drive_c/Zusi/Loks/Elektrisch/BR 101.lok"
check "links drive c" test "$(readlink "$tmp/p/dosdevices/c:")" = ../drive_c
check "copies profiles" test -f "$tmp/k/automatisch.cfr"
check "no generated axes" test ! -e "$tmp/k/automatisch_FS.axr"
echo "my own" >"$tmp/k/BR 101_1.cfr"
check "second run succeeds" run "$tmp/p" "$tmp/k"
check "keeps the user's file" test "$(cat "$tmp/k/BR 101_1.cfr")" = "my own"

mkdir -p "$tmp/wine" "$tmp/outside" "$tmp/k3" "$tmp/p4/dosdevices"
touch "$tmp/wine/system.reg"
check "refuses a real prefix" refused "$tmp/wine" "$tmp/k2"
check "nothing in a real prefix" test ! -e "$tmp/wine/drive_c"
echo secret >"$tmp/outside/file"
ln -s "$tmp/outside/file" "$tmp/k3/Richtung.axr"
check "refuses a link leading out" refused "$tmp/p3" "$tmp/k3"
check "outside file untouched" test "$(cat "$tmp/outside/file")" = secret
ln -s "$tmp/outside" "$tmp/p4/dosdevices/c:"
check "refuses a drive leading out" refused "$tmp/p4" "$tmp/k4"
check "nothing written through it" test ! -e "$tmp/outside/Zusi"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
