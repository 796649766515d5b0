# Sourced by the end-to-end scripts: a wait for a condition and a private X server.
# Needs $tmp; sets xpid and DISPLAY.

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
