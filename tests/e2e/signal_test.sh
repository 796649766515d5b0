#!/bin/sh
# SIGTERM, SIGINT and SIGHUP end the program through its normal shutdown however it was
# started: exit status 0 within a second (two with the bridge), the calibration written back. Under a private
# X server, one row per way of starting it; each row waits until the program has its signal
# handlers and has settled (three seconds), then signals it. With a Wine prefix the bridge
# test has set up, the bridge is a row too.
#   signal_test.sh KORDAN ZUSI_STANDIN SOURCE_DIR [BRIDGE_PREFIX]
set -u
kordan=$1 standin=$2 source=$3 bridge_prefix=${4:-}
tmp=$(mktemp -d)
xpid= spid= zpid= kpid=
cleanup() {
    for p in $kpid $zpid $spid $xpid; do kill "$p" 2>/dev/null; done
    rm -rf "$tmp"
}
trap cleanup EXIT
logs=kordan.err
. "$(dirname "$0")/common.sh"
start_xvfb
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
# The leak check at the end costs a sanitised build about a second; other tests do it.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

prefix=$tmp/prefix dir=$tmp/kordan
"$source/tools/demo-install.sh" "$prefix" "$dir" >/dev/null || fail "demo install"
write_calibration "$dir"
export XDG_CONFIG_HOME=$tmp/config XDG_RUNTIME_DIR=$tmp/run
mkdir -m 700 "$XDG_RUNTIME_DIR"

# The stand-in's server for the TCP row; its window in front for the X11 rows.
"$standin" --zusi3 0 --loco "BR 101" >"$tmp/server.out" 2>&1 &
zpid=$!
wait_for 300 grep -q '^zusi3 ' "$tmp/server.out" || fail "the stand-in does not listen"
port=$(sed -n 's/^zusi3 //p' "$tmp/server.out")

caught() { # pid signal-number: the program has its handler for the signal
    mask=$(sed -n 's/^SigCgt:[[:space:]]*//p' "/proc/$1/status" 2>/dev/null)
    [ -n "$mask" ] && [ $(((0x$mask >> ($2 - 1)) & 1)) -eq 1 ]
}
ended() { ! kill -0 "$1" 2>/dev/null; }
passed=0 seconds=1
# name | signal | stored mode | stand-in window | options
row() {
    name=$1 sig=$2 mode=$3 window=$4
    shift 4
    write_settings 2 "$mode"
    if [ "$window" = yes ] && [ -z "$spid" ]; then
        "$standin" --prefix "$prefix" --log "$tmp/keys.log" --loco "BR 218" >"$tmp/standin.out" 2>&1 &
        spid=$!
        wait_for 100 test -s "$prefix/user.reg" || fail "$name: the stand-in did not start"
    fi
    touch -d 2000-01-01 "$dir/Kalibrierung.dat"
    "$kordan" --dir "$dir" "$@" >"$tmp/kordan.out" 2>"$tmp/kordan.err" &
    kpid=$!
    case $sig in TERM) number=15 ;; INT) number=2 ;; HUP) number=1 ;; esac
    wait_for 300 caught "$kpid" "$number" || fail "$name: no handler for SIG$sig"
    sleep 3
    ended "$kpid" && fail "$name: ended before the signal"
    kill -s "$sig" "$kpid"
    wait_for "$((10 * seconds))" ended "$kpid" || fail "$name: still running $seconds s after SIG$sig"
    wait "$kpid"
    status=$? kpid=
    [ "$status" -eq 0 ] || fail "$name: exit status $status after SIG$sig"
    [ "$dir/Kalibrierung.dat" -nt "$tmp/displayfd" ] || fail "$name: no calibration written"
    passed=$((passed + 1))
}

row "virtual controller, test mode" INT Test no --virtual
# No controller: "Kein Kordan angeschlossen." is open when the signal comes, as it was in
# the runs of make bench without --virtual.
row "no controller, its message open, hang-up" HUP Run no
row "TCP to the stand-in's server" TERM Run no --virtual --zusi3 "127.0.0.1:$port"
row "TCP, nothing listening" TERM Run no --virtual --zusi3 127.0.0.1:1
row "the stand-in's window in front, virtual controller" TERM Run yes --virtual --delivery x11
row "the stand-in's window in front, no controller (make bench)" TERM Run yes --delivery x11
if [ -n "$bridge_prefix" ] && [ -f "$bridge_prefix/system.reg" ] && command -v wine >/dev/null; then
    # The bridge is given a second of its own to carry out the last key-ups and end.
    export WINEPREFIX="$bridge_prefix" WINEDEBUG=-all
    seconds=2
    row "the bridge under Wine" TERM Run no --virtual --delivery bridge
fi
echo "$passed passed, 0 failed"
