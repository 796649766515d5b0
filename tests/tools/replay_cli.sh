#!/usr/bin/env bash
# kordan-replay and, when given, kordan from the outside: exit statuses, stdout and stderr as
# other tools see them. kordan runs without a display.
#   replay_cli.sh KORDAN_REPLAY [KORDAN]
set -u
replay="$1" kordan="${2:-}"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

printf '1.0\r\n[Buttons]\r\nSiFa\r\n 29 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n' > "$dir/p.cfr"
for _ in $(seq 2 44); do printf '#\r\n' >> "$dir/p.cfr"; done
printf '[Axis]\r\n' >> "$dir/p.cfr"
for _ in $(seq 1 7); do printf '#\r\n' >> "$dir/p.cfr"; done
cat > "$dir/user.reg" <<'REG'
WINE REGISTRY Version 2
;; All keys relative to \\User\\S-1-5-21-0-0-0-1000

[Software\\zusi\\zusi] 1700000000
"T7"="83"
REG
printf 'press 1\nwait 20   # two polls\nrelease 1\nwait 10\n' > "$dir/ok.txt"

out=$("$replay" --dir "$dir" --registry "$dir/user.reg" p.cfr "$dir/ok.txt") || fail "status $?"
[ "$out" = $'10 down 83\n10 up 83' ] || fail "unexpected output: $out"
out=$("$replay" --poll 5 --dir "$dir" --registry "$dir/user.reg" p.cfr "$dir/ok.txt") || fail "poll 5"
[ "$out" = $'5 down 83\n5 up 83' ] || fail "unexpected output with --poll 5: $out"

err=$("$replay" --dir "$dir" --calibration "$dir/none.dat" p.cfr "$dir/ok.txt" 2>&1 >/dev/null) ||
    fail "a missing calibration stopped the run"
[ "$err" = "message: $dir/none.dat kann nicht gelesen werden" ] || fail "calibration: $err"

printf 'wait 10\npress 45\n' > "$dir/bad.txt"
err=$("$replay" --dir "$dir" p.cfr "$dir/bad.txt" 2>&1 >/dev/null); status=$?
[ $status -eq 2 ] || fail "malformed scenario gave status $status"
[[ "$err" == *":2:"* ]] || fail "the error names no line number: $err"

printf '1.1\r\n' > "$dir/old.cfr"
err=$("$replay" --dir "$dir" old.cfr "$dir/ok.txt" 2>&1 >/dev/null); status=$?
[ $status -eq 1 ] || fail "rejected profile gave status $status"
[ "$err" = "message: Falsche Version der Datei" ] || fail "message: $err"

"$replay" p.cfr >/dev/null 2>&1; [ $? -eq 2 ] || fail "missing SCENARIO accepted"
# No connection, and why: no such host, nothing listening.
for row in "kordan.invalid:1436|Rechner nicht gefunden" "127.0.0.1:1|Verbindung abgelehnt"; do
    err=$("$replay" --dir "$dir" --zusi3 "${row%|*}" p.cfr "$dir/ok.txt" 2>&1); status=$?
    [ $status -eq 3 ] || fail "${row%|*}: status $status"
    [ "$err" = "kordan-replay: Zusi 3 ${row%|*}: ${row#*|}" ] || fail "${row%|*}: $err"
done
echo "kordan-replay: all checks passed"
[ -n "$kordan" ] || exit 0

unset DISPLAY WAYLAND_DISPLAY
export XDG_CONFIG_HOME="$dir/config" QT_QPA_PLATFORM=offscreen
"$kordan" --help | grep -q -- '--sheet PROFIL AUSGABE' || fail "--help"
[[ "$("$kordan" --version)" =~ ^kordan\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "--version"
# A profile and a mode for this run.
mkdir -p "$XDG_CONFIG_HOME/ZusiKordan"
printf '[Settings]\nAutoLoad=0\nModus=Run\n' >"$XDG_CONFIG_HOME/ZusiKordan/ZusiKordan.ini"
{
    printf '1.0\r\n[Kalibrierung]\r\n'
    for i in 1 2 3 4 5 6 7; do printf '[Hebel%s]\r\n 4 \r\n 0 \r\n 255 \r\n' "$i"; done
} >"$dir/Kalibrierung.dat"
echo 'wait 200' >"$dir/s.txt"
run() { "$kordan" --virtual --dir "$dir" --scenario "$dir/s.txt" --quit "$@" 2>"$dir/err" | sed 1d; }
[ "$(run --profile "$dir/p.cfr" --mode test)" = $'Profil: p.cfr\nModus: Test' ] || fail "--profile"
echo 'wait 1000' >"$dir/long.txt" # room for the first attempt on a loaded machine
"$kordan" --virtual --dir "$dir" --scenario "$dir/long.txt" --quit --zusi3 127.0.0.1:1 >/dev/null 2>"$dir/err"
grep -qx 'kordan: Zusi 3 127.0.0.1:1: Verbindung abgelehnt' "$dir/err" || fail "zusi3: $(cat "$dir/err")"
"$kordan" --mode schnell >/dev/null 2>&1; [ $? -eq 2 ] || fail "bad --mode accepted"
out=$(WINEPREFIX="$dir" "$kordan" --diagnose 2>/dev/null) || fail "--diagnose status $?"
[[ "$out" == "Kordan für Zusi "*"Fahrpulte"*"user.reg: $dir/user.reg - geändert "* ]] || fail "--diagnose: $out"

# A relative profile is found in --dir, from wherever the program is started; the sheet
# names its button.
(cd / && "$kordan" --dir "$dir" --sheet p.cfr "$dir/d.pdf" 2>"$dir/err") || fail "--sheet in --dir: $(cat "$dir/err")"
command -v pdftotext >/dev/null || fail "pdftotext is missing (poppler-utils, tools/setup.sh)"
[[ "$(pdftotext "$dir/d.pdf" -)" == *SiFa* ]] || fail "SiFa is not on the sheet"
"$kordan" --sheet "$dir/old.cfr" "$dir/x.pdf" 2>"$dir/err"; status=$?
[ $status -eq 1 ] && grep -qx 'kordan: Falsche Version der Datei' "$dir/err" || fail "--sheet old.cfr"
echo "kordan: all checks passed"
