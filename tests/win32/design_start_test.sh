#!/usr/bin/env bash
# kelnor-design.exe as a user starts it, under Wine on a virtual X display, driven from the
# keyboard alone: it opens the conditions file named on its command line (GBK, as Excel saves
# it), starts in the first condition's first cell, takes a typed depth and recomputes, keeps
# the change in the autosave, saves the file with Ctrl+S (which kelnor-calc then computes),
# writes the calculation book beside it with Ctrl+B and hands it to the desktop's viewer, asks
# before closing with a change, and ends with status 0.
# Usage: design_start_test.sh KELNOR_DESIGN_EXE KELNOR_CALC [SCREENSHOT.png]
#   KELNOR_CALC is kelnor-calc or kelnor-calc.exe (run under Wine); SCREENSHOT, when given,
#   receives the window as it starts. Needs wine, xvfb, xauth, xdotool, imagemagick and
#   fonts-wqy-microhei (scripts/windows installs them).
set -euo pipefail
exe=$(realpath "$1")
calc=$2
[[ $calc == */* ]] && calc=$(realpath "$calc")
shot=${3:+$(realpath -m "$3")}
examples=$(realpath "$(dirname "$0")/../../docs/book-example.csv")

if [ "${4:-}" != --on-display ]; then
    exec xvfb-run -a -s "-screen 0 1366x768x24 -nolisten tcp" bash "$0" "$exe" "$calc" "$shot" \
        --on-display
fi

desktop=1366x768
source "$(dirname "$(realpath "$0")")/wine_desktop.sh"
title='^坝顶高程计算（规范方法） - 工况\.csv'

# The desktop's viewer for a book: a copy of it where the test can see it.
wine reg add 'HKCR\.html' /ve /d KelnorBookTest /f >/dev/null 2>&1
wine reg add 'HKCR\KelnorBookTest\shell\open\command' /ve \
    /d 'cmd.exe /c copy "%1" C:\opened.html' /f >/dev/null 2>&1

mkdir "$work/app"
cp "$exe" "$work/app/kelnor-design.exe"
iconv -f UTF-8 -t GBK "$examples" >"$work/app/工况.csv"
(
    cd "$work/app"
    wine kelnor-design.exe 工况.csv >"$work/program.log" 2>&1 && echo 0 >"$work/status" ||
        echo $? >"$work/status"
) &
await '[ "$(windows)" -ge 1 ]' 30 || fail "no window for 工况.csv appeared"
xdotool mousemove 0 0
sleep 1  # the first frame painted
if [ -n "$shot" ]; then
    mkdir -p "$(dirname "$shot")"
    import -window root -crop "${desktop/x/x}+0+0" +repage "$work/desktop.png"
    convert "$work/desktop.png" -trim +repage "$shot"
fi

# The first condition's depth: two rows down from its name; typing replaces the cell, Enter
# commits it. The title marks the change, and the autosave keeps it a second later.
keys Down Down
xdotool type --delay 80 35
keys Return
await "named '工况\\.csv\\*\$'" || fail "the title does not mark the change"
autosave=$(printf '%s/drive_c/users/%s/AppData/Local/Kelnor/design-autosave.csv' "$WINEPREFIX" \
    "$(id -un)")
await "grep -qs '^正常蓄水位,100.00,35,' '$autosave'" 5 || fail "no autosave with the change"

# Ctrl+S: UTF-8 with a byte-order mark, the change in it, the mark gone; the command line
# computes the saved file as it computes the example with that depth.
keys ctrl+s
await "! named '\\*\$'" || fail "the title still marks the change after Ctrl+S"
[ "$(head -c 3 "$work/app/工况.csv" | od -An -tx1 | tr -d ' ')" = efbbbf ] ||
    fail "the saved file does not start with the byte-order mark"
sed 's/^正常蓄水位,100.00,30.0,/正常蓄水位,100.00,35,/' "$examples" >"$work/expected.csv"
conditions "$work/app/工况.csv" "$work/saved.out" || fail "kelnor-calc cannot compute the saved file"
conditions "$work/expected.csv" "$work/expected.out"
cmp -s "$work/saved.out" "$work/expected.out" || fail "the saved file computes differently"

# Ctrl+B: the book beside the conditions, with the sketch, handed to the viewer.
keys ctrl+b
book="$work/app/工况-计算书.html"
await "[ -s '$book' ]" || fail "Ctrl+B wrote no book"
grep -q '<svg' "$book" || fail "the book has no sketch"
grep -q '104.223' "$book" || fail "the book lacks the governing crest elevation"
await "cmp -s '$book' '$WINEPREFIX/drive_c/opened.html'" 20 || fail "the book was not opened"
# Back from the viewer, as a user clicks the window's title bar.
sleep 1
xdotool mousemove 400 12 click 1 mousemove 0 0

# A formula chosen from the cell's list (F2 opens it, Down and Enter choose), then Alt+F4: the
# question comes, Escape keeps the window; undoing the choice leaves nothing to save, and Alt+F4
# closes without asking.
keys Down Down Down Down Down Down Down F2
sleep 0.5
keys Down Return
await "named '\\*\$'" || fail "the formula chosen is not marked as a change"
keys alt+F4
await '[ "$(windows)" -ge 2 ]' || fail "closing with a change asked nothing"
keys Escape
await '[ "$(windows)" -eq 1 ]' || fail "Escape did not keep the window"
keys ctrl+z
await "! named '\\*\$'" || fail "undo did not take the choice back"
keys alt+F4
await '[ -s "$work/status" ]' 20 || fail "the window did not close"
[ "$(cat "$work/status")" -eq 0 ] || fail "kelnor-design.exe ended with status $(cat "$work/status")"
[ ! -e "$autosave" ] || fail "the autosave was left after a clean close"
echo "kelnor-design.exe opened, computed, saved, wrote the book and closed in $((SECONDS - started)) s"
