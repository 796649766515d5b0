#!/bin/sh
# `make bench`: every speed figure of the program in one table (see docs/performance.md).
#   bench/run.sh [BUILD_DIR]    BUILD_DIR is the release build (build/release) holding
#                               kordan, zusi-standin and the bench/ programs
# Runs on a private Xvfb display; takes about three minutes (more on the first run with
# Wine, which sets up the bridge's prefix).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/release}" && pwd)
kordan=$build/src/app/kordan
standin=$build/tools/standin/zusi-standin
idle_s=${KORDAN_BENCH_IDLE_S:-20}
tmp=$(mktemp -d)
xpid= spid= kpid= load=
cleanup() {
    for p in $load; do kill "$p" 2>/dev/null; done
    [ -n "$kpid" ] && kill "$kpid" 2>/dev/null
    [ -n "$spid" ] && kill "$spid" 2>/dev/null
    [ -n "$xpid" ] && kill "$xpid" 2>/dev/null
    rm -rf "$tmp"
    return 0
}
trap cleanup EXIT
trap 'exit 130' INT TERM

wait_for() { # tenths of a second, condition
    limit=$1
    shift
    i=0
    while ! "$@"; do
        i=$((i + 1))
        [ $i -gt "$limit" ] && return 1
        sleep 0.1
    done
}
stop() { # pid: asks the program to end as a logout does; one that does not is a fault
    kill "$1" 2>/dev/null || return 0
    wait_for 50 sh -c "! kill -0 $1 2>/dev/null" || {
        echo "the program did not end within 5 s of SIGTERM" >&2
        exit 1
    }
    wait "$1" || { echo "the program ended with status $? on SIGTERM" >&2; exit 1; }
}
row() { printf '%-44s %9s %9s %s\n' "$1" "$2" "$3" "$4"; }
# The standing load that stands in for the simulator: two CPU-bound processes at normal
# priority, for as long as the rows after load_on run.
load_on() {
    for i in 1 2; do
        sh -c 'while :; do :; done' &
        load="$load $!"
    done
    sleep 1
}
load_off() {
    for p in $load; do
        kill "$p"
        wait "$p" 2>/dev/null || true # ended by the signal, as meant
    done
    load=
}
# Each latency row twice: on the quiet machine, then beside the standing load.
tag() { if [ "$1" = load ]; then sed 's/^/load  /'; else sed 's/^/quiet /'; fi; }
latency() { # kordan_loop_latency arguments
    for state in quiet load; do
        [ $state = load ] && load_on
        "$build/bench/kordan_loop_latency" "$@" | tail -n +2 | tag $state
        [ $state = load ] && load_off
    done
}

echo "Machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)," \
    "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "Priority: $("$build/bench/kordan_loop_latency" --priority)"
echo

# Dispatch and tick: the program's own poll and tick, timed by Google Benchmark.
"$build/bench/kordan_bench" --benchmark_format=csv >"$tmp/dispatch.csv" 2>/dev/null
row "dispatch, CPU time per call" "time" "target" ""
awk -F, '/^name,/ { for (i = 1; i <= NF; i++) { gsub(/"/, "", $i); col[$i] = i }; next }
    /^"BM_/ {
        gsub(/"/, "", $1)
        keys = ""
        if (col["keys"] && $col["keys"] != "") keys = sprintf("  (%.0f keys sent)", $col["keys"])
        target = "<= 5 us"
        if ($1 == "BM_Tick") target = ""
        printf "%-44s %7.2f us %9s%s\n", $1, $col["cpu_time"] / 1000, target, keys
    }' "$tmp/dispatch.csv"
echo

# Report to key inside the process: waiting for the report against sleeping then reading.
echo "quiet:"
"$build/bench/kordan_loop_latency"
echo "beside the standing load (2 busy processes):"
load_on
"$build/bench/kordan_loop_latency" | tail -n +2
load_off
echo

# Over TCP to a server on the loopback interface, each design quiet and under load.
printf '%-50s %9s %9s %9s %9s %9s %6s\n' "report -> INPUT read (us)" p50 p90 p99 max mean n
latency --tcp --reports 200
latency --tcp --sleep --reports 200
echo

# A private X server for the rest.
exec 3>"$tmp/displayfd"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
xpid=$!
exec 3>&-
wait_for 100 test -s "$tmp/displayfd" || { echo "Xvfb did not start" >&2; exit 1; }
DISPLAY=:$(head -n1 "$tmp/displayfd")
export DISPLAY QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

# The demo data, a calibration with the initial values and settings of our own.
prefix=$tmp/prefix dir=$tmp/kordan
"$root/tools/demo-install.sh" "$prefix" "$dir" >/dev/null
printf '1.0\r\n[Kalibrierung]\r\n' >"$dir/Kalibrierung.dat"
for i in 1 2 3 4 5 6 7; do
    printf '[Hebel%s]\r\n 4 \r\n 0 \r\n 255 \r\n' "$i" >>"$dir/Kalibrierung.dat"
done
export XDG_CONFIG_HOME=$tmp/config WINEPREFIX=$prefix XDG_RUNTIME_DIR=$tmp/run
mkdir -m 700 "$XDG_RUNTIME_DIR"
ini=$XDG_CONFIG_HOME/ZusiKordan/ZusiKordan.ini
mkdir -p "$(dirname "$ini")"
settings() { # mode
    printf '[Settings]\nAutoLoad=2\nPolling=10\nSpeaker=0\nLed=1\nModus=%s\n' "$1" >"$ini"
}

# The stand-in in front, timing every key it receives.
"$standin" --prefix "$prefix" --log "$tmp/keys.log" --log-times --loco "BR 218" \
    >"$tmp/standin.out" 2>&1 &
spid=$!
wait_for 100 test -s "$prefix/user.reg" || { echo "the stand-in did not start" >&2; exit 1; }
printf '%-50s %9s %9s %9s %9s %9s %6s\n' "report -> key at the window (us)" p50 p90 p99 max mean n
for design in "" --sleep; do
    for state in quiet load; do
        [ $state = load ] && load_on
        "$build/bench/kordan_loop_latency" --x11 "$tmp/keys.log" --reports 200 $design |
            tail -n 2 | tag $state
        [ $state = load ] && load_off
    done
done
echo

# Through kordan-bridge.exe to a window under Wine, which times the key messages it gets
# (where wine and the cross-built bridge are; the prefix is the bridge test's).
bridges=$build/bridge-win32/tools/bridge
if command -v wine >/dev/null && [ -f "$bridges/kordan-bridge.exe" ]; then
    (
        export WINEPREFIX=$build/bridge-e2e-wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
        [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
        wine "$bridges/kordan-testwindow.exe" "$(winepath -w "$tmp/wine-keys.log")" times \
            >/dev/null 2>&1 &
        wait_for 300 grep -q ready "$tmp/wine-keys.log" 2>/dev/null
        for design in "" --sleep; do
            for state in quiet load; do
                [ $state = load ] && load_on
                "$build/bench/kordan_loop_latency" --bridge "$bridges/kordan-bridge.exe" \
                    "$tmp/wine-keys.log" --reports 200 $design | tail -n 4 | tag $state
                [ $state = load ] && load_off
            done
        done
        wineserver -k
    )
    echo
fi

# Idle: CPU time and resident memory of the running program, left alone.
hz=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# Each time a thread of the program went to sleep and was woken again.
wakeups() { cat /proc/"$1"/task/*/status | awk '/^voluntary_ctxt_switches/ { n += $2 } END { print n }'; }
idle() { # caption, mode, arguments
    caption=$1 mode=$2
    shift 2
    settings "$mode"
    "$kordan" --dir "$dir" "$@" >"$tmp/kordan.out" 2>&1 &
    kpid=$!
    sleep 3 # start-up done
    t0=$(cpu_ticks "$kpid") w0=$(wakeups "$kpid")
    sleep "$idle_s"
    t1=$(cpu_ticks "$kpid") w1=$(wakeups "$kpid")
    rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$kpid/status")
    stop "$kpid"
    kpid=
    awk -v c="$caption" -v d=$((t1 - t0)) -v hz="$hz" -v s="$idle_s" -v rss="$rss" \
        -v w=$((w1 - w0)) 'BEGIN {
        printf "%-44s %7.2f %% %7.1f/s %6.1f MB  (targets <= 0.2 %%, <= 20/s, <= 60 MB)\n", c,
            100 * d / hz / s, w / s, rss / 1024 }'
}
printf '%-44s %9s %9s %9s\n' "idle ${idle_s} s" CPU wake-ups RSS
idle "active, connected, virtual controller" Run --virtual
idle "test mode, virtual controller" Test --virtual
idle "active, no controller" Run
echo

# Start to window shown, five starts.
row "start to main window shown" "" "" ""
settings Run
for i in 1 2 3 4 5; do
    "$build/bench/kordan_start_time" "Kordan" "$kordan" --dir "$dir"
done >"$tmp/start.txt"
sort -n "$tmp/start.txt" | awk '{ v[NR] = $1 } END {
    printf "%-44s %7.0f ms  (target <= 300 ms; min %.0f, max %.0f of %d)\n", "median of 5 starts",
        v[int((NR + 1) / 2)], v[1], v[NR], NR }'
echo
echo "Load after: $(cut -d' ' -f1-3 /proc/loadavg)"
