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

started=$SECONDS
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
finish() {
    wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap finish EXIT
fail() {
    echo "FAIL: $*" >&2
    [ -f "$work/kelnor.log" ] && cat "$work/kelnor.log" >&2
    exit 1
}
# Waits up to `2` (default 10) seconds for command `1` to succeed.
await() {
    for _ in $(seq $((${2:-10} * 10))); do
        eval "$1" && return 0
        sleep 0.1
    done
    return 1
}
title='^土石坝Kelnor计算$'  # the window's and its messages' title
windows() { xdotool search --name "$title" 2>/dev/null | wc -l; }
keys() { xdotool key --delay 80 "$@"; }
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

# A fresh prefix: the Windows desktop 800 × 600 in one X window, and fonts with Chinese glyphs
# for the dialog faces, which Wine's own fonts lack.
wineboot -i >"$work/boot.log" 2>&1 || fail "wineboot: $(cat "$work/boot.log")"
cat >"$work/setup.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="800x600"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Tahoma"="WenQuanYi Micro Hei"
"MS Shell Dlg"="WenQuanYi Micro Hei"
"MS Shell Dlg 2"="WenQuanYi Micro Hei"
"Segoe UI"="WenQuanYi Micro Hei"

[HKEY_CURRENT_USER\Control Panel\Colors]
"Background"="58 110 165"
REG
wine regedit /S "$work/setup.reg"
wineserver -k  # the desktop wineboot started ends: the next one is the 800 × 600 one
# The title bar's buttons are drawn in Marlett.
cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
echo "prefix ready after $((SECONDS - started)) s"

# A folder of its own, without the help text, so the report lands there.
mkdir "$work/app"
cp "$exe" "$work/app/kelnor.exe"
(
    cd "$work/app"
    wine kelnor.exe >"$work/kelnor.log" 2>&1 && echo 0 >"$work/status" || echo $? >"$work/status"
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
