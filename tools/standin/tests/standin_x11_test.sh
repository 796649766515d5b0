#!/bin/sh
# The stand-in under a real X server: it takes the focus, and every key setting that the
# program's X11 backend delivers comes back in its log as the same virtual-key code.
#   standin_x11_test.sh ZUSI_STANDIN SEND_KEYS E2E_COMMON_SH
set -u
standin=$1 send=$2
tmp=$(mktemp -d)
xpid= spid= logs=standin.log
trap 'for p in $spid $xpid; do kill "$p" 2>/dev/null; done; rm -rf "$tmp"' EXIT
. "$3"
start_xvfb
# A real window on that server, whatever platform the test runner asks the others to use.
export QT_QPA_PLATFORM=xcb
"$standin" --prefix "$tmp/prefix" --log "$tmp/keys.log" >"$tmp/standin.log" 2>&1 &
spid=$!
wait_for 100 test -s "$tmp/prefix/user.reg" || fail "no user.reg"

# Every value T0-T34 as published.
keys=$(sed -n 's/^"T[0-9]*"="\([0-9]*\)"$/\1/p' "$tmp/prefix/user.reg")
count=$(echo "$keys" | wc -l)
"$send" $keys || fail "sending failed"
for k in $keys; do printf 'down %s\nup %s\n' "$k" "$k"; done >"$tmp/expected"
log_complete() { [ -f "$tmp/keys.log" ] && [ "$(wc -l <"$tmp/keys.log")" -ge "$(wc -l <"$tmp/expected")" ]; }
wait_for 100 log_complete
[ "$count" -eq 35 ] && cmp -s "$tmp/expected" "$tmp/keys.log" && { echo "1 passed, 0 failed"; exit 0; }
fail "published $count key settings; received: $(diff "$tmp/expected" "$tmp/keys.log" | head -20)"
