#!/usr/bin/env bash
# Renders the program's windows into docs/screenshots/*.png on a private Xvfb display.
# Usage: tools/screenshots.sh BUILD_DIR
set -euo pipefail
build=${1:-build/default}
root=$(cd "$(dirname "$0")/.." && pwd)
tool="$build/tools/screenshots/kordan-screenshots"
[ -x "$tool" ] || { echo "missing $tool (build the kordan-screenshots target first)" >&2; exit 1; }

# The first free display from :90 on.
display=90
while [ -e "/tmp/.X${display}-lock" ] || [ -e "/tmp/.X11-unix/X${display}" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X${display}" ] && break
    sleep 0.1
done

DISPLAY=":$display" QT_QPA_PLATFORM=xcb "$tool" "$root/docs/screenshots"
