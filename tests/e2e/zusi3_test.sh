#!/bin/sh
# End to end over TCP, without a window system: the stand-in serves the simulator's TCP
# interface with the levers of a real cab, the program connects with the virtual controller
# in active mode and the demo's BR 101 profile and plays a scenario. Judged by where the
# stand-in's levers end up, for every cab kind, both step directions and both brake-valve
# numberings.
#   zusi3_test.sh KORDAN ZUSI_STANDIN SOURCE_DIR
set -u
kordan=$1 standin=$2 source=$3
tmp=$(mktemp -d)
spid=
trap 'kill $spid 2>/dev/null; rm -rf "$tmp"' EXIT
# The shared file and settings writers; the waits and the failure report are this script's own.
. "$(dirname "$0")/common.sh"
run=
fail() {
    echo "FAILED ($run): $*"
    for f in standin.out kordan.out kordan.err; do echo "--- $f"; tail -n 40 "$tmp/$f"; done
    exit 1
}
dir=$tmp/kordan
"$source/tools/demo-install.sh" "$tmp/prefix" "$dir" >/dev/null || fail "demo install"
write_calibration "$dir"
export XDG_CONFIG_HOME=$tmp/config QT_QPA_PLATFORM=offscreen
unset DISPLAY WAYLAND_DISPLAY
write_settings 1 Test

# The stand-in reads its commands from a pipe the test keeps open on descriptor 4.
start_standin() {
    rm -f "$tmp/commands" && mkfifo "$tmp/commands"
    "$standin" --zusi3 0 --loco "BR 101" "$@" <"$tmp/commands" >"$tmp/standin.out" 2>&1 &
    spid=$!
    exec 4>"$tmp/commands"
    for _ in $(seq 300); do grep -q '^zusi3 ' "$tmp/standin.out" && break; sleep 0.1; done
    port=$(sed -n 's/^zusi3 //p' "$tmp/standin.out")
    [ -n "$port" ] || fail "the stand-in does not listen"
}
stop_standin() {
    exec 4>&-
    kill "$spid" 2>/dev/null
    wait "$spid" 2>/dev/null
    spid=
}
# The value of NAME in the stand-in's last `final` line.
final() {
    grep '^final ' "$tmp/standin.out" | tail -n 1 | tr ' ' '\n' | sed -n "s/^$1=//p"
}
# The notches lever NAME went through, one line each.
notches() {
    sed -n "s/^lever $1 //p" "$tmp/standin.out"
}

# The demo profile: lever 1 the reverser (Vorwärts zone), lever 2 the power controller (zero
# zone, 20 regulator notches), lever 3 the brake valve (Füllen held, 3 regulator notches,
# Schnellbremsung); button 7 the main breaker, button 29 the emergency brake.
printf '%s\n' 'lever 1 128' 'lever 2 0' 'lever 3 20' 'wait 1500' \
    'lever 1 255' 'wait 600' 'lever 1 128' 'wait 200' 'lever 1 255' 'wait 600' \
    'lever 3 225' 'wait 1000' 'lever 3 20' 'wait 1000' \
    'lever 2 255' 'wait 1500' 'lever 2 0' 'wait 1500' \
    'press 7' 'wait 100' 'release 7' 'wait 1200' \
    'press 29' 'wait 100' 'release 29' 'wait 2000' >"$tmp/scenario.txt"

# CAB STEPS VALVE: the cab kind, "reversed" steps, "reversed" valve numbering. Each kind
# meets both step directions and both numberings.
for combo in "101 - -" "101 reversed reversed" "103 reversed -" "103 - reversed" \
    "tap - reversed" "tap reversed -"; do
    set -- $combo
    cab=$1 steps=$2 valve=$3 run=$combo
    opts="--cab $cab"
    [ "$steps" = reversed ] && opts="$opts --reverse-steps"
    [ "$valve" = reversed ] && opts="$opts --reverse-brake-valve"
    start_standin $opts
    "$kordan" --virtual --dir "$dir" --zusi3 "127.0.0.1:$port" --profile "BR 101_1.cfr" \
        --mode aktiv --scenario "$tmp/scenario.txt" --quit >"$tmp/kordan.out" 2>"$tmp/kordan.err" ||
        fail "kordan ended with $?"
    for _ in $(seq 50); do grep -q '^final ' "$tmp/standin.out" && break; sleep 0.1; done
    stop_standin
    grep -qx 'hello 2 Kordan für Zusi' "$tmp/standin.out" || fail "no HELLO as a cab controller"
    if [ "$valve" = reversed ]; then sb=9 start=1 braked=4; else sb=0 start=8 braked=5; fi
    case $cab in 101) full=11 rest=2 ;; 103) full=40 rest=0 ;; tap) full= rest=2 ;; esac
    # The emergency brake left the valve on Schnellbremsung, confirmed by the program.
    [ "$(final Führerbremsventil)" = $sb ] || fail "brake valve at $(final Führerbremsventil), not $sb"
    grep -q 'Schnellbremsung bestätigt' "$tmp/kordan.err" || fail "no confirmation"
    # The brake zone braked three notches and released them again.
    notches Führerbremsventil | grep -qx $braked || fail "brake zone did not brake to $braked"
    notches Führerbremsventil | sed -n "/^$braked\$/,\$p" | grep -qx $start ||
        fail "brake zone did not release to $start"
    # The power lever at full reached the strongest traction notch, at rest no traction.
    if [ -n "$full" ]; then
        notches Fahrschalter | grep -qx $full || fail "power lever never at notch $full"
    else
        grep -q '^traction 20$' "$tmp/standin.out" || fail "tap changer never at step 20"
    fi
    [ "$(final Fahrschalter)" = $rest ] || fail "power lever at $(final Fahrschalter), not $rest"
    [ "$(final traction)" = 0 ] || fail "traction $(final traction) at rest"
    # The reverser went forward twice, to V; the breaker button switched the breaker off.
    [ "$(final Richtungsschalter)" = 3 ] || fail "reverser at $(final Richtungsschalter)"
    [ "$(final breaker)" = aus ] || fail "breaker $(final breaker)"
done
echo "1 passed, 0 failed (6 cabs)"
