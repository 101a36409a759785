#!/usr/bin/env bash
# The real kelnor as a user starts it. Without a display it must say so in one line. On a
# virtual X display it must open its window, calculate from the keyboard into the directory
# it was started from (the same bytes as kelnor-calc) and end on the exit button.
# Usage: start_test.sh KELNOR KELNOR_CALC (xvfb-run from Debian's xvfb package)
set -euo pipefail
kelnor=$1
calc=$2
work=$(mktemp -d)
pids=()
finish() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap finish EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
# Waits up to ten seconds for a file to have content.
await() {
    for _ in $(seq 100); do
        [ -s "$1" ] && return 0
        sleep 0.1
    done
    return 1
}

if [ "${3:-}" != --on-display ]; then
    # No display at all: one clear line, no abort.
    if out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$kelnor" 2>&1); then
        fail "started without a display"
    fi
    [ "$(printf '%s\n' "$out" | wc -l)" -eq 1 ] || fail "more than one line without a display: $out"
    [[ $out == "kelnor: no display"* ]] || fail "unexpected message without a display: $out"

    # The rest on a virtual X display of a free number.
    xvfb-run -a -s "-screen 0 800x600x24 -nolisten tcp" bash "$0" "$kelnor" "$calc" --on-display
    exit
fi
unset WAYLAND_DISPLAY QT_QPA_PLATFORM

# A copy of its own, so the report lands in a directory of the test's.
cp "$kelnor" "$work/kelnor"
(
    "$work/kelnor" 2>"$work/kelnor.log" &
    echo $! >"$work/pid"
    wait $! && echo 0 >"$work/status" || echo $? >"$work/status"
) &
await "$work/pid"
pids+=("$(cat "$work/pid")")

window=$(timeout 20 xdotool search --sync --onlyvisible --name '^土石坝Kelnor计算$' | head -n1) ||
    fail "no window appeared: $(cat "$work/kelnor.log")"
xdotool windowfocus --sync "$window"

# Centred on the 800 × 600 screen; without a window manager there is no frame to add.
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$X,$Y,$WIDTH,$HEIGHT" = "193,168,413,264" ] ||
    fail "window at $X,$Y size ${WIDTH}x$HEIGHT, not centred"

# The focus starts in the depth box: type a new depth, Tab three times to the calculate
# button and press it with the space bar.
xdotool key --delay 50 ctrl+a
xdotool type --delay 50 12
xdotool key --delay 50 Tab Tab Tab space
await "$work/tavoout.txt" || fail "no report written: $(cat "$work/kelnor.log")"
"$calc" --depth 12 --output "$work/expected.txt"
cmp "$work/tavoout.txt" "$work/expected.txt" || fail "report differs from kelnor-calc's"

# One more Tab reaches the exit button.
xdotool key --delay 50 Tab space
await "$work/status" || fail "the exit button did not end the program"
[ "$(cat "$work/status")" -eq 0 ] ||
    fail "kelnor ended with status $(cat "$work/status"): $(cat "$work/kelnor.log")"
echo "kelnor started, calculated and exited on $DISPLAY"
