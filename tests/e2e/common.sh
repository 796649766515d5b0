# Sourced by the end-to-end scripts: a wait for a condition, a private X server, a failure
# that shows the logs, and the program's calibration and settings of our own, so that
# neither the wizard nor a user's settings come into play.
# Needs $tmp; start_xvfb sets xpid and DISPLAY.

# Waits up to $1 tenths of a second for a condition.
wait_for() {
    limit=$1 i=0
    shift
    while ! "$@"; do
        i=$((i + 1)) && [ $i -gt "$limit" ] && return 1
        sleep 0.1
    done
}

# Starts Xvfb on a free display; a test without one is skipped (exit 77).
start_xvfb() {
    command -v Xvfb >/dev/null || { echo "SKIPPED: Xvfb is not installed"; exit 77; }
    exec 3>"$tmp/displayfd"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
    xpid=$!
    exec 3>&-
    wait_for 100 test -s "$tmp/displayfd" ||
        { echo "SKIPPED: Xvfb could not start:"; cat "$tmp/xvfb.log"; exit 77; }
    export DISPLAY=:$(head -n1 "$tmp/displayfd")
}

# Fails the test, with the end of each log named in $logs (files in $tmp) and the name of
# the run in $run, where there is one.
fail() {
    echo "FAILED${run:+ ($run)}: $*"
    for f in $logs; do
        [ -f "$tmp/$f" ] && { echo "--- $f"; tail -n 40 "$tmp/$f"; }
    done
    exit 1
}

# A calibration with the initial values in the program's directory $1.
write_calibration() {
    {
        printf '1.0\r\n[Kalibrierung]\r\n'
        for i in 1 2 3 4 5 6 7; do printf '[Hebel%s]\r\n 4 \r\n 0 \r\n 255 \r\n' "$i"; done
    } >"$1/Kalibrierung.dat"
}

# The settings in $XDG_CONFIG_HOME: load mode $1 (AutoLoad), mode $2 (Modus).
write_settings() {
    mkdir -p "$XDG_CONFIG_HOME/ZusiKordan"
    printf '[Settings]\nAutoLoad=%s\nPolling=10\nSpeaker=0\nLed=1\nModus=%s\n' "$1" "$2" \
        >"$XDG_CONFIG_HOME/ZusiKordan/ZusiKordan.ini"
}
