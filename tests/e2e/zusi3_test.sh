#!/bin/sh
# End to end over TCP, without a window system: the stand-in serves the simulator's TCP
# interface, the program connects with the virtual controller in active mode with the
# train's profile and plays a scenario. The stand-in's log shows the
# handshake and every input; the LED shows the speed the stand-in reported last.
#   zusi3_test.sh KORDAN ZUSI_STANDIN SOURCE_DIR KORDAN_REPLAY
set -u
kordan=$1 standin=$2 source=$3 replay=$4
tmp=$(mktemp -d)
spid=
trap 'kill $spid 2>/dev/null; rm -rf "$tmp"' EXIT
fail() {
    echo "FAILED: $*"
    for f in standin.out kordan.out kordan.err; do echo "--- $f"; tail -n 40 "$tmp/$f"; done
    exit 1
}
dir=$tmp/kordan
"$source/tools/demo-install.sh" "$tmp/prefix" "$dir" >/dev/null || fail "demo install"
{
    printf '1.0\r\n[Kalibrierung]\r\n'
    for i in 1 2 3 4 5 6 7; do printf '[Hebel%s]\r\n 4 \r\n 0 \r\n 255 \r\n' "$i"; done
} >"$dir/Kalibrierung.dat"
export XDG_CONFIG_HOME=$tmp/config QT_QPA_PLATFORM=offscreen
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$XDG_CONFIG_HOME/ZusiKordan"
printf '[Settings]\nAutoLoad=1\nPolling=10\nSpeaker=0\nLed=1\nModus=Test\n' >"$XDG_CONFIG_HOME/ZusiKordan/ZusiKordan.ini"

"$standin" --zusi3 0 --loco "BR 101" >"$tmp/standin.out" 2>&1 &
spid=$!
for _ in $(seq 100); do grep -q '^zusi3 ' "$tmp/standin.out" && break; sleep 0.1; done
port=$(sed -n 's/^zusi3 //p' "$tmp/standin.out")
[ -n "$port" ] || fail "the stand-in does not listen"

# SiFa and PZB Wachsam held briefly, forward, the emergency brake, the brake valve's
# release zone held, the throttle through its regulator zone and back to its zero zone.
printf '%s\n' 'lever 1 128' 'lever 3 20' 'wait 2000' 'press 2' 'wait 100' 'release 2' \
    'press 3' 'wait 100' 'release 3' 'lever 1 255' 'wait 300' 'press 29' 'wait 1000' \
    'lever 3 0' 'wait 2500' 'lever 3 20' 'wait 300' 'lever 2 128' 'wait 3000' 'lever 2 0' \
    'wait 1500' >"$tmp/scenario.txt"
"$kordan" --virtual --dir "$dir" --zusi3 "127.0.0.1:$port" --profile "BR 101_1.cfr" --mode aktiv \
    --scenario "$tmp/scenario.txt" --quit >"$tmp/kordan.out" 2>"$tmp/kordan.err" || fail "kordan ended with $?"
for _ in $(seq 50); do grep -q '^disconnected' "$tmp/standin.out" && break; sleep 0.1; done

# The inputs (Zuordnung Kommando Aktion Position): Sifa Down/Up, PZB Wachsam by its
# commands, the reverser one step up, ten brake-valve steps and their release, the valve
# stepped down while held, the power controller to notch 9 absolutely, its zero command
# and notch 0.
{
    printf '%s\n' connected 'hello 2 Kordan für Zusi' 'needed 1 97 100' 'input 16 0 1 0' \
        'input 16 0 2 0' 'input 15 51 0 0' 'input 15 52 0 0' 'input 7 0 3 0' 'input 7 0 4 0'
    for _ in $(seq 10); do echo 'input 4 0 3 0'; done
    printf '%s\n' 'input 4 0 4 0' 'input 4 0 5 0' 'input 4 0 6 0' 'input 1 0 7 9' \
        'input 1 5 0 0' 'input 1 0 7 0'
} >"$tmp/expected"
grep -v '^zusi3 \|^disconnected' "$tmp/standin.out" >"$tmp/seen"
cmp -s "$tmp/expected" "$tmp/seen" || { diff "$tmp/expected" "$tmp/seen"; fail "unexpected inputs"; }

# The LED's speed against the stand-in's last report: the train coasts, nearly constant.
led=$(sed -n 's/^LED: \[ *\([0-9]*\)\]$/\1/p' "$tmp/kordan.out")
speed=$(sed -n 's/^disconnected //p' "$tmp/standin.out")
[ -n "$led" ] && [ -n "$speed" ] && [ "$led" -gt 0 ] || fail "LED '$led', stand-in '$speed'"
[ $((speed - led)) -ge -2 ] && [ $((speed - led)) -le 2 ] || fail "LED $led km/h, stand-in $speed km/h"
# kordan-replay against the same server: SiFa as an input, Info-Fenster still as a key.
printf 'press 2\nwait 10\nrelease 2\npress 11\nwait 10\n' >"$tmp/replay.txt"
out=$("$replay" --dir "$dir" --zusi3 "127.0.0.1:$port" "BR 101_1.cfr" "$tmp/replay.txt") ||
    fail "kordan-replay ended with $?"
[ "$out" = "$(printf '20 down 123\n20 up 123')" ] || fail "kordan-replay printed: $out"
for _ in $(seq 50); do [ "$(grep -c '^disconnected' "$tmp/standin.out")" -eq 2 ] && break; sleep 0.1; done
[ "$(grep '^input' "$tmp/standin.out" | tail -n 2 | tr '\n' ,)" = 'input 16 0 1 0,input 16 0 2 0,' ] ||
    fail "the replay's SiFa did not arrive"
echo "1 passed, 0 failed (LED $led km/h, stand-in $speed km/h)"
