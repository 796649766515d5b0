#!/bin/sh
# End to end through the bridge: a window titled "Zusi Testfenster" under Wine (with a window
# manager, under a private X server) in front, the program started with "--delivery bridge"
# and a scenario on the virtual controller. The window writes down the key messages it
# gets; after the first it puts another window in front, so the rest must come posted.
#   bridge_test.sh KORDAN BRIDGE_EXE TESTWINDOW_EXE SOURCE_DIR PREFIX_DIR
# PREFIX_DIR keeps the Wine prefix between runs, so only the first run waits for wineboot.
set -u
kordan=$1 bridge=$2 testwindow=$3 source=$4
export WINEPREFIX=$5 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
tmp=$(mktemp -d)
xpid= kpid= wpid= bpid=
trap 'kill -CONT $bpid 2>/dev/null; kill $kpid $wpid 2>/dev/null; wineserver -k 2>/dev/null; kill $xpid 2>/dev/null; rm -rf "$tmp"' EXIT
logs="keys.log kordan.out kordan.err wine.log"
. "$(dirname "$0")/common.sh"
for tool in Xvfb openbox wine wineboot wineserver; do
    command -v $tool >/dev/null || { echo "SKIPPED: $tool is not installed"; exit 77; }
done
[ -f "$bridge" ] && [ -f "$testwindow" ] || { echo "SKIPPED: the bridge was not built"; exit 77; }

start_xvfb
export QT_QPA_PLATFORM=offscreen
openbox --sm-disable >/dev/null 2>&1 &
xpid="$! $xpid"

# A fresh prefix takes its time (a minute on a slow machine), once.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    timeout 300 wineboot -i >"$tmp/wine.log" 2>&1 || fail "wineboot did not finish within 300 s"
    # The registry files are written when the server ends; the program looks for them.
    timeout 120 wineserver -w
    [ -f "$WINEPREFIX/system.reg" ] || fail "wineboot left no system.reg"
fi
{
    printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\zusi\\zusi]\r\n'
    for i in $(seq 0 34); do printf '"T%s"="%s"\r\n' "$i" $((65 + i)); done
} >"$tmp/keys.reg"
timeout 60 wine reg import "$(winepath -w "$tmp/keys.reg")" >>"$tmp/wine.log" 2>&1 || fail "reg import"

wine "$testwindow" "$(winepath -w "$tmp/keys.log")" >>"$tmp/wine.log" 2>&1 &
wpid=$!
wait_for 300 grep -qx ready "$tmp/keys.log" 2>/dev/null || fail "the test window did not open"

dir=$tmp/kordan
mkdir -p "$dir"
cp "$source/demo/kordan/"* "$dir/"
write_calibration "$dir"
export XDG_CONFIG_HOME=$tmp/config
write_settings 0 Run
# The whistle, the combined lever to its end, the emergency brake, F2 (Pause).
printf 'load BR 218_1.cfr\nwait 1000\npress 1\nwait 300\nrelease 1\nwait 1000\nlever 2 255\nwait 300\npress 29\nwait 100\nrelease 29\nwait 1000\npress 14\nwait 100\nrelease 14\nwait 4000\n' >"$tmp/scenario.txt"
"$kordan" --virtual --delivery bridge --dir "$dir" --scenario "$tmp/scenario.txt" --quit >"$tmp/kordan.out" 2>"$tmp/kordan.err" &
kpid=$!
wait_for 200 grep -qx 'other in front' "$tmp/keys.log" || fail "no key arrived while the window was in front"
wait "$kpid"
status=$? kpid=
[ "$status" -eq 0 ] || fail "kordan ended with $status"

printf 'ready\n' >"$tmp/expected"
exp() { for _ in $(seq "$3"); do printf '%s %s\n' "$1" "$2"; done >>"$tmp/expected"; }
# The whistle; the combined lever pushed to its end through its two regulator zones (6 and
# 15 notches, each a row of key-downs and one key-up); the emergency brake; F2.
exp down 74 1 && echo 'other in front' >>"$tmp/expected" && exp up 74 1
for n in 6 15; do exp down 65 $n && exp up 65 1; done
exp down 79 10 && exp up 79 1 && exp down 113 1 && exp up 113 1
cmp -s "$tmp/expected" "$tmp/keys.log" || { diff "$tmp/expected" "$tmp/keys.log"; fail "unexpected key lines"; }

# The bridge killed or stopped while the whistle is held, the whistle let go meanwhile: the
# key-up comes with the next bridge (within 5 s of its start, Wine's own start-up included),
# not only with the next press; the restart is logged.
printf 'load BR 218_1.cfr\nwait 2000\npress 1\nwait 3000\nrelease 1\nwait 16000\npress 1\nwait 500\nrelease 1\nwait 1000\n' >"$tmp/held.txt"
for fault in KILL STOP; do
    kill $wpid 2>/dev/null
    wait $wpid 2>/dev/null
    rm -f "$tmp/keys.log"
    wine "$testwindow" "$(winepath -w "$tmp/keys.log")" >>"$tmp/wine.log" 2>&1 &
    wpid=$!
    wait_for 300 grep -qx ready "$tmp/keys.log" 2>/dev/null || fail "$fault: the test window did not open"
    "$kordan" --virtual --delivery bridge --dir "$dir" --scenario "$tmp/held.txt" --quit >"$tmp/kordan.out" 2>"$tmp/kordan.err" &
    kpid=$!
    wait_for 200 grep -qx 'down 74' "$tmp/keys.log" || fail "$fault: the whistle was not pressed"
    bpid=$(ps -o pid= --ppid "$kpid" | head -n1 | tr -d ' ')
    [ -n "$bpid" ] || fail "$fault: no bridge process"
    kill -s "$fault" "$bpid"
    # A stopped bridge is given up after twenty unanswered requests, some ten seconds.
    wait_for 200 grep -qx 'kordan: Brücke neu gestartet' "$tmp/kordan.err" || fail "$fault: no restart"
    wait_for 50 grep -qx 'up 74' "$tmp/keys.log" || fail "$fault: the whistle stayed down after the restart"
    wait "$kpid"
    status=$? kpid=
    [ "$status" -eq 0 ] || fail "$fault: kordan ended with $status"
    # The held whistle's down may come again with the new bridge: the old one may have
    # died before anything vouched for it.
    printf 'ready\ndown 74\nup 74\ndown 74\nup 74\n' >"$tmp/expected"
    grep -vx 'other in front' "$tmp/keys.log" | uniq >"$tmp/keys.seen"
    cmp -s "$tmp/expected" "$tmp/keys.seen" || { diff "$tmp/expected" "$tmp/keys.seen"; fail "$fault: key lines"; }
done
echo "3 passed, 0 failed"
