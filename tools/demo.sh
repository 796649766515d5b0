#!/bin/sh
# The demo behind `make run`: the program with a virtual controller and its panel, and the
# simulator stand-in, on demo data under BUILD/demo/ (never the user's own Wine prefix,
# program directory or settings).
#   tools/demo.sh [BUILD_DIR]      BUILD_DIR holds kordan and zusi-standin (build/default)
# With a display both windows open; closing the program ends the stand-in too. Without a
# display a scripted run plays headless on a private Xvfb display and prints the keys the
# stand-in received and what the controller's LED display showed.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/default}
build=$(cd "$build" && pwd)
kordan=$build/src/app/kordan
standin=$build/tools/standin/zusi-standin
for exe in "$kordan" "$standin"; do
    [ -x "$exe" ] || {
        echo "$0: $exe missing (build the targets kordan and zusi-standin first)" >&2
        exit 1
    }
done

demo=$build/demo
prefix=$demo/prefix dir=$demo/kordan
# A demo prefix that Wine set up as a real one (Lok -> Info before the guard below) is the
# demo's own, not the user's: it is made anew instead of refused.
if [ -e "$prefix/system.reg" ]; then
    echo "$0: Wine had set up the demo's prefix as its own; making it anew" >&2
    rm -rf "$prefix"
fi
"$root/tools/demo-install.sh" "$prefix" "$dir" >/dev/null
# A calibration with the initial values: the virtual levers need no wizard.
if [ ! -e "$dir/Kalibrierung.dat" ]; then
    {
        printf '1.0\r\n[Kalibrierung]\r\n'
        for i in 1 2 3 4 5 6 7; do printf '[Hebel%s]\r\n 4 \r\n 0 \r\n 255 \r\n' "$i"; done
    } >"$dir/Kalibrierung.dat"
fi
# Settings of the demo's own: profiles follow the locomotive by name, the LED shows the
# speed, the program starts active. Kept between runs, so changes made in the demo stay.
export XDG_CONFIG_HOME=$demo/config
ini=$XDG_CONFIG_HOME/ZusiKordan/ZusiKordan.ini
if [ ! -e "$ini" ]; then
    mkdir -p "$(dirname "$ini")"
    printf '[Settings]\nAutoLoad=1\nPolling=10\nSpeaker=1\nLed=1\nModus=Run\n' >"$ini"
fi
export WINEPREFIX=$prefix
unset WAYLAND_DISPLAY
# Lok -> Info starts the simulator's vehicle editor through Wine. The demo has no editor, and
# Wine would first set the demo's prefix up as a real one (system.reg, and a user.reg of its
# own over the stand-in's), which the installer and the stand-in then refuse, so `make run`
# failed until the prefix was deleted. The program's "wine" here fails for the editor as a
# missing one does, without touching the prefix; anything else goes to the real Wine.
realwine=$(command -v wine || echo false)
mkdir -p "$demo/bin"
cat >"$demo/bin/wine" <<WINE
#!/bin/sh
case "\${1:-}" in
*ZusiFahrzeugEditor) echo "demo: no vehicle editor in the demo (\$1)" >&2; exit 53 ;;
esac
exec "$realwine" "\$@"
WINE
chmod +x "$demo/bin/wine"
export PATH="$demo/bin:$PATH"

spid= xpid= kpid=
cleanup() {
    [ -n "$kpid" ] && kill "$kpid" 2>/dev/null
    [ -n "$spid" ] && kill "$spid" 2>/dev/null
    [ -n "$xpid" ] && kill "$xpid" 2>/dev/null
    return 0
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The stand-in's key log ("down 65") with the key and the command beside each code
# ("down  65 A  Fahrschalter auf"): the key settings T0-T34 are read from the prefix's
# user.reg, the names are the program's command texts of those settings.
annotate_keys() {
    awk -v reg="$prefix/user.reg" '
        BEGIN {
            split("Fahrschalter auf|Fahrschalter ab|Fahrschalter null|Hauptschalter ein/aus|" \
                  "PZB Wachsam|PZB Frei|PZB Befehl|SiFa|Sand ein/aus|Pfeife|Dyn Bremse auf|" \
                  "Dyn Bremse ab|Dyn Bremse null|Bremsventil loesen|Bremsventil Bremsen|||" \
                  "Signalzoom|AFB auf|AFB ab|AFB null|AFB ein/aus|Zusatzbremse loesen|" \
                  "Zusatzbremse bremsen|Magnetbremse ein/aus|Motor ein/aus||Glocke|Türen|" \
                  "Schleuderschutz|Fahrtrichtung vor|Fahrtrichtung zurück|" \
                  "Fahrmotorenlüfter ein/aus|Licht|Block, bis Strecke frei ist", setting, "|")
            while ((getline line < reg) > 0)
                if (match(line, /^"T[0-9]+"="[0-9]+"$/)) {
                    split(line, f, "\"")
                    name[f[4] + 0] = setting[substr(f[2], 2) + 1]
                }
            split("113 F2 Pause|114 F3 Autopilot|115 F4 Reiner Streckenblick|118 F7 Fahrplan|" \
                  "120 F9 Zeitraffer|122 F11 Zeitsprung bis Abfahrt|123 F12 Info-Fenster|" \
                  "17 Strg", fixed, "|")
            for (i in fixed) {
                n = split(fixed[i], f, " ")
                key[f[1]] = f[2]
                rest = ""
                for (j = 3; j <= n; j++) rest = rest (j > 3 ? " " : "") f[j]
                if (rest != "") name[f[1]] = rest
            }
            key[32] = "Leer"; key[38] = "Hoch"; key[40] = "Runter"
        }
        {
            vk = $2 + 0
            k = (vk in key) ? key[vk] : (vk >= 48 && vk <= 90) ? sprintf("%c", vk) : "?"
            printf "  %-4s %3d %-6s %s\n", $1, vk, k, name[vk]
        }'
}

# The stand-in's TCP inputs ("input 1 0 7 7") with the control and what was done to it
# ("Fahrschalter → Stufe 7"), after the Zuordnung and Aktion values of the interface.
annotate_inputs() {
    awk '
        BEGIN {
            split("1 Fahrschalter|2 Dyn Bremse|3 AFB|4 Führerbremsventil|5 Zusatzbremse|" \
                  "7 Richtungsschalter|9 Sand|10 Türen|11 Licht|12 Pfeife|13 Glocke|" \
                  "14 Fahrmotorenlüfter|15 PZB|16 SiFa|17 Hauptschalter|19 Schleuderschutz|" \
                  "20 Magnetbremse", z, "|")
            for (i in z) { n = index(z[i], " "); control[substr(z[i], 1, n - 1)] = substr(z[i], n + 1) }
            split("Kommando|Down|Up|Auf|Auf los|Ab|Ab los", action, "|")
        }
        {
            c = ($2 in control) ? control[$2] : "Zuordnung " $2
            if ($4 == 7) what = "→ Stufe " $5
            else if ($4 == 0) what = "Kommando " $3
            else what = action[$4 + 1]
            printf "  %-20s %s %s\n", $0, c, what
        }'
}

# Waits up to $1 tenths of a second for a condition.
wait_for() {
    limit=$1
    shift
    i=0
    while ! "$@"; do
        i=$((i + 1))
        [ $i -gt "$limit" ] && return 1
        sleep 0.1
    done
}

# ZUSI3=1: the same over the simulator's TCP interface; the stand-in serves it on a free
# port and logs every input, and no window system is needed for the scripted run.
if [ -n "${ZUSI3:-}" ]; then
    "$standin" --zusi3 0 --loco "BR 111" >"$demo/standin.out" 2>&1 &
    spid=$!
    wait_for 100 grep -q '^zusi3 ' "$demo/standin.out" || { echo "$0: the stand-in did not start" >&2; exit 1; }
    server=127.0.0.1:$(sed -n 's/^zusi3 //p' "$demo/standin.out")
    echo "Demo over Zusi 3 (TCP) at $server, program directory $dir"
    if [ -n "${DISPLAY:-}" ]; then
        "$kordan" --virtual --dir "$dir" --zusi3 "$server" || true
        exit 0
    fi
    printf '%s\n' 'lever 1 128' 'lever 3 20' 'wait 2500' 'lever 1 255' 'wait 300' 'lever 2 80' \
        'wait 2500' 'press 1' 'wait 500' 'release 1' 'wait 1000' 'lever 2 0' 'wait 1000' >"$demo/scenario.txt"
    QT_QPA_PLATFORM=offscreen "$kordan" --virtual --dir "$dir" --zusi3 "$server" \
        --scenario "$demo/scenario.txt" --quit >"$demo/kordan.out" || { echo "$0: kordan failed" >&2; exit 1; }
    sleep 0.5
    echo "Inputs received by the stand-in (ZUORDNUNG KOMMANDO AKTION POSITION):"
    grep '^input' "$demo/standin.out" | annotate_inputs
    cat "$demo/kordan.out"
    exit 0
fi

if [ -n "${DISPLAY:-}" ]; then
    echo "Demo: WINEPREFIX=$prefix, program directory $dir"
    echo "Move the levers and press the buttons on the panel. The keys go to the window in"
    echo "front: the stand-in has the focus once everything is up; after working in the"
    echo "program's window, click the stand-in before moving the levers again."
    rm -f "$prefix/user.reg" "$demo/standin.in"
    mkfifo "$demo/standin.in"
    "$standin" --prefix "$prefix" --loco "BR 111" --commands <"$demo/standin.in" &
    spid=$!
    exec 4>"$demo/standin.in"
    # The program reads the simulator's directory from user.reg when it starts.
    wait_for 100 test -s "$prefix/user.reg" || { echo "$0: the stand-in did not start" >&2; exit 1; }
    "$kordan" --virtual --dir "$dir" &
    kpid=$!
    # The program's window comes up in front of the stand-in; once it and the panel are
    # there (and the window manager has done with them), the stand-in takes the focus back.
    windows() { xwininfo -root -tree | grep '("kordan"'; }
    shown() { windows | grep -q Fahrpult && windows | grep -v Fahrpult | grep -q 'Kordan f'; }
    if command -v xwininfo >/dev/null; then wait_for 100 shown || true; else sleep 2; fi
    sleep 0.5
    echo focus >&4
    wait "$kpid" || true
    kpid=
    exit 0
fi

# Headless: a private X server on a free display, the scripted scenario, then the results.
command -v Xvfb >/dev/null || { echo "$0: no display and no Xvfb to run the demo on" >&2; exit 1; }
log=$demo/keys.log
rm -f "$log" "$prefix/user.reg"
exec 3>"$demo/displayfd"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$demo/xvfb.log" 2>&1 &
xpid=$!
exec 3>&-
wait_for 100 test -s "$demo/displayfd" || { echo "$0: Xvfb did not start" >&2; cat "$demo/xvfb.log" >&2; exit 1; }
DISPLAY=:$(head -n1 "$demo/displayfd")
export DISPLAY QT_QPA_PLATFORM=xcb
echo "Headless demo on Xvfb display $DISPLAY: WINEPREFIX=$prefix, program directory $dir"
"$standin" --prefix "$prefix" --log "$log" --loco "BR 111" >"$demo/standin.out" 2>&1 &
spid=$!
wait_for 100 test -s "$prefix/user.reg" || { echo "$0: the stand-in did not start" >&2; exit 1; }
# The profile "BR 111_1.cfr": reverser forward, throttle up by a quarter of its notches, the
# whistle and the sander, the brake valve into its service range and out again, then the
# throttle back to zero while the train coasts.
cat >"$demo/scenario.txt" <<'SCENARIO'
lever 1 128
lever 2 0
lever 3 20
lever 6 128
lever 7 128
wait 2500
lever 1 255
wait 300
lever 2 80
wait 2500
press 1
wait 500
release 1
press 6
wait 200
release 6
wait 1500
lever 3 100
wait 800
lever 3 20
wait 500
lever 2 0
wait 1000
SCENARIO
"$kordan" --virtual --dir "$dir" --scenario "$demo/scenario.txt" --quit >"$demo/kordan.out" &
kpid=$!
wait "$kpid" || { kpid=; echo "$0: kordan failed" >&2; exit 1; }
kpid=
echo "Keys received by the stand-in (virtual-key code, key, command):"
annotate_keys <"$log"
speed=$(sed -n 's/^"km\/h"="\(.*\)"$/\1/p' "$prefix/user.reg")
echo "Stand-in speed: $speed km/h"
cat "$demo/kordan.out"
