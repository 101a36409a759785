#!/usr/bin/env bash
# kelnor.exe as a user starts it, under Wine on a virtual X display: the window opens centred
# with its frame, calculates from the keyboard (the same bytes as kelnor-calc), names a bad box
# in a message and takes the focus back to it, moves through the form with Tab and the arrow
# keys, ignores Enter and Esc, and ends on the exit button with status 0.
# Usage: start_test.sh KELNOR_EXE KELNOR_CALC [SCREENSHOT.png]
#   KELNOR_CALC is kelnor-calc or kelnor-calc.exe (run under Wine); SCREENSHOT, when given,
#   receives the window as it starts. Needs wine, xvfb, xauth, xdotool, imagemagick and
#   fonts-wqy-microhei (scripts/windows installs them).
set -euo pipefail
exe=$(realpath "$1")
calc=$2
[[ $calc == */* ]] && calc=$(realpath "$calc")
shot=${3:+$(realpath -m "$3")}

if [ "${4:-}" != --on-display ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash "$0" "$exe" "$calc" "$shot" \
        --on-display
fi

source "$(dirname "$(realpath "$0")")/wine_desktop.sh"
title='^土石坝Kelnor计算$'  # the window's and its messages' title
windows() { xdotool search --name "$title" 2>/dev/null | wc -l; }
expect() {  # expect NAME OPTIONS…: the report equals kelnor-calc's for OPTIONS
    local name=$1
    shift
    if [[ $calc == *.exe ]]; then
        wine "$calc" "$@" --output 'Z:'"${work//\//\\}"'\expected.txt' || fail "kelnor-calc failed"
    else
        "$calc" "$@" --output "$work/expected.txt"
    fi
    await "cmp -s '$work/app/tavoout.txt' '$work/expected.txt'" ||
        fail "$name: report differs from kelnor-calc $*"
}

# A folder of its own, without the help text, so the report lands there.
mkdir "$work/app"
cp "$exe" "$work/app/kelnor.exe"
(
    cd "$work/app"
    wine kelnor.exe >"$work/program.log" 2>&1 && echo 0 >"$work/status" || echo $? >"$work/status"
) &
await '[ "$(windows)" -ge 1 ]' 30 || fail "no window appeared"
xdotool mousemove 0 0  # no button under the pointer, lit up
sleep 1                # the first frame painted

# Centred on the desktop with its frame: the desktop's colour is all that is left around it.
import -window root -crop 800x600+0+0 "$work/desktop.png"
read -r w h x y < <(convert "$work/desktop.png" -trim -format '%w %h %X %Y\n' info:)
x=${x#+} y=${y#+}
[ $((2 * x + w - 800)) -ge -2 ] && [ $((2 * x + w - 800)) -le 2 ] &&
    [ $((2 * y + h - 600)) -ge -2 ] && [ $((2 * y + h - 600)) -le 2 ] ||
    fail "window ${w}x$h at $x,$y is not centred on the 800x600 desktop"
if [ -n "$shot" ]; then
    mkdir -p "$(dirname "$shot")"
    convert "$work/desktop.png" -crop "${w}x$h+$x+$y" +repage "$shot"
fi

# The focus starts in the depth box with its text selected: typing replaces it. Tab three
# times to calculate, which the space bar presses.
xdotool type --delay 80 12
keys Tab Tab Tab space
expect "calculate from the keyboard" --depth 12

# A bad roughness (Tab on from calculate past exit): a message, and the last report stays.
cp "$work/app/tavoout.txt" "$work/last.txt"
keys Tab Tab
xdotool type --delay 80 abc
keys shift+Tab shift+Tab space
await '[ "$(windows)" -ge 2 ]' || fail "no message for a bad roughness"
cmp -s "$work/app/tavoout.txt" "$work/last.txt" || fail "a failed calculation changed the report"
keys Return
await '[ "$(windows)" -eq 1 ]' || fail "the message did not close"
# Back in the roughness box with "abc" selected: typing replaces it.
xdotool type --delay 80 0.9
keys shift+Tab shift+Tab space
expect "calculate after the message" --depth 12 --roughness 0.9

# On through the form to the formula group; the down arrow chooses the next formula; back to
# calculate with Shift+Tab.
keys Tab Tab Tab Tab Tab Tab Tab Down
keys shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab space
expect "the arrow keys choose the formula" --formula 2 --depth 12 --roughness 0.9

# Enter and Esc press nothing, also not the button with the focus.
rm "$work/app/tavoout.txt"
keys Return Escape KP_Enter
sleep 1
[ ! -e "$work/app/tavoout.txt" ] || fail "Enter or Esc pressed calculate"
[ "$(windows)" -eq 1 ] || fail "Enter or Esc closed the window or opened a message"

# One more Tab reaches exit.
keys Tab space
await '[ -s "$work/status" ]' 20 || fail "the exit button did not end the program"
[ "$(cat "$work/status")" -eq 0 ] || fail "kelnor.exe ended with status $(cat "$work/status")"
echo "kelnor.exe started, calculated, reported a bad box and exited in $((SECONDS - started)) s"
