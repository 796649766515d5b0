#!/bin/sh
# The stand-in under a real X server: it takes the focus, and every key setting that the
# program's X11 backend delivers comes back in its log as the same virtual-key code.
#   standin_x11_test.sh ZUSI_STANDIN SEND_KEYS
set -u
standin=$1 send=$2
failed() { echo "$*"; echo "0 passed, 1 failed"; exit 1; }
command -v Xvfb >/dev/null || failed "Xvfb missing"
tmp=$(mktemp -d)
xpid= spid=
trap 'for p in $spid $xpid; do kill "$p" 2>/dev/null; done; rm -rf "$tmp"' EXIT
wait_for() { # up to 10 s for a condition
    i=0
    while ! "$@"; do i=$((i + 1)) && [ $i -gt 100 ] && return 1; sleep 0.1; done
}

exec 3>"$tmp/displayfd"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
xpid=$!
exec 3>&-
wait_for test -s "$tmp/displayfd" || failed "Xvfb did not start"
# A real window on that server, whatever platform the test runner asks the others to use.
export DISPLAY=:$(head -n1 "$tmp/displayfd") QT_QPA_PLATFORM=xcb
"$standin" --prefix "$tmp/prefix" --log "$tmp/keys.log" >"$tmp/standin.log" 2>&1 &
spid=$!
wait_for test -s "$tmp/prefix/user.reg" || failed "no user.reg: $(cat "$tmp/standin.log")"

# Every value T0-T34 as published, then the typed "^m".
keys=$(sed -n 's/^"T[0-9]*"="\([0-9]*\)"$/\1/p' "$tmp/prefix/user.reg")
count=$(echo "$keys" | wc -l)
"$send" $keys || failed "sending failed"
for k in $keys; do printf 'down %s\nup %s\n' "$k" "$k"; done >"$tmp/expected"
printf 'down 17\ndown 77\nup 77\nup 17\n' >>"$tmp/expected"
log_complete() { [ -f "$tmp/keys.log" ] && [ "$(wc -l <"$tmp/keys.log")" -ge "$(wc -l <"$tmp/expected")" ]; }
wait_for log_complete
[ "$count" -eq 35 ] && cmp -s "$tmp/expected" "$tmp/keys.log" && { echo "1 passed, 0 failed"; exit 0; }
failed "published $count key settings; received: $(diff "$tmp/expected" "$tmp/keys.log" | head -20)"
