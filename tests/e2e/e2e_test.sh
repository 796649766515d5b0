#!/bin/sh
# End to end: the stand-in and the program with the virtual controller under a private X
# server, in active mode with the demo profiles in easy mode. A scenario drives the
# controller; the stand-in's key log and the generated axis files show that the keys
# arrived, none was left down, and the locomotive change was followed.
#   e2e_test.sh KORDAN ZUSI_STANDIN SOURCE_DIR
set -u
kordan=$1 standin=$2 source=$3
tmp=$(mktemp -d)
xpid= spid= kpid=
cleanup() {
    for p in $kpid $spid $xpid; do kill "$p" 2>/dev/null; done
    exec 4>&- 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT
logs="keys.log kordan.out kordan.err standin.out"
. "$(dirname "$0")/common.sh"
start_xvfb
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

prefix=$tmp/prefix dir=$tmp/kordan
"$source/tools/demo-install.sh" "$prefix" "$dir" >/dev/null || fail "demo install"
write_calibration "$dir"
export XDG_CONFIG_HOME=$tmp/config WINEPREFIX=$prefix
write_settings 2 Run

# The stand-in first: the program reads the simulator's directory from user.reg when it
# starts. It takes the keyboard focus when its window appears.
mkfifo "$tmp/commands"
"$standin" --prefix "$prefix" --log "$tmp/keys.log" --loco "BR 218" --commands <"$tmp/commands" >"$tmp/standin.out" 2>&1 &
spid=$!
exec 4>"$tmp/commands"
wait_for 100 test -s "$prefix/user.reg" || fail "the stand-in published no user.reg"
"$kordan" --virtual --dir "$dir" --scenario "$source/tests/e2e/scenario.txt" --quit >"$tmp/kordan.out" 2>"$tmp/kordan.err" &
kpid=$!

# Easy mode: the starting locomotive's axis files, then a change of locomotive.
notches() { sed -n '11p' "$dir/automatisch_FS.axr" 2>/dev/null | tr -d ' \r'; }
has_notches() { [ "$(notches)" = "$1" ]; }
wait_for 50 has_notches -15 || fail "no axis files for BR 218 (regulator: $(notches))"
echo "loco BR 101" >&4
wait_for 50 has_notches -20 || fail "no axis files after the change to BR 101 ($(notches))"
# A locomotive change while the brake valve's zone holds its key lets the key go at once,
# not only when the lever leaves the zone; the change back restores BR 101's notches.
wait_for 150 grep -qx 'down 87' "$tmp/keys.log" || fail "the brake valve's zone held nothing"
echo "loco BR 218" >&4
wait_for 40 grep -qx 'up 87' "$tmp/keys.log" || fail "the held key stayed down through the change"
echo "loco BR 101" >&4
wait_for 40 has_notches -20 || fail "no axis files after the change back to BR 101 ($(notches))"

wait "$kpid"
status=$? kpid=
[ "$status" -eq 0 ] || fail "kordan ended with $status"

# SIGTERM under the held whistle ends the program as closing it does: the whistle goes up.
printf 'wait 3000\npress 1\nwait 60000\n' >"$tmp/held.txt"
"$kordan" --virtual --dir "$dir" --scenario "$tmp/held.txt" >>"$tmp/kordan.out" 2>>"$tmp/kordan.err" &
kpid=$!
held() { [ "$(grep -c '^down 80$' "$tmp/keys.log")" -eq 3 ]; }
wait_for 150 held || fail "the whistle was not pressed for the signal"
kill -TERM "$kpid"
wait "$kpid" || fail "kordan ended with $? on SIGTERM"
kpid=
echo "quit" >&4
wait "$spid"
spid=

# The key lines: forward; the emergency brake's ten brake steps; the brake valve released
# while its zone is held (let go by the locomotive change, once); ten notches up through
# the regulator zone (0 -> 4 -> 10 of 20); the whistle held and let go; the whistle held
# again and released by pulling the controller out; after plugging it in again, ten
# notches down back to 0; the whistle held in a second run and let go by SIGTERM.
for pair in 38:1 81:10 87:1 65:10 80:2 89:10 80:1; do
    for _ in $(seq "${pair#*:}"); do printf 'down %s\nup %s\n' "${pair%:*}" "${pair%:*}"; done
done >"$tmp/expected"
cmp -s "$tmp/expected" "$tmp/keys.log" || { diff "$tmp/expected" "$tmp/keys.log"; fail "unexpected key lines"; }
echo "1 passed, 0 failed"
