#!/usr/bin/env bash
# kelnor-design.exe with a dike's sections, under Wine on a virtual X display, driven from the
# keyboard alone: it opens the README's reach of 24 sections (GBK, as Excel saves it) with the
# sections as rows, moves along a section with Right and down the sections with Down, takes a
# typed design level in the second section, saves with Ctrl+S a file kelnor-calc computes as
# the same reach with that level, undoes and redoes the change, and closes with status 0.
# Usage: design_dike_test.sh KELNOR_DESIGN_EXE KELNOR_CALC [SCREENSHOT.png]
set -euo pipefail
exe=$(realpath "$1")
calc=$2
[[ $calc == */* ]] && calc=$(realpath "$calc")
shot=${3:+$(realpath -m "$3")}
example=$(realpath "$(dirname "$0")/../../docs/dike-example.csv")

if [ "${4:-}" != --on-display ]; then
    exec xvfb-run -a -s "-screen 0 1366x768x24 -nolisten tcp" bash "$0" "$exe" "$calc" "$shot" \
        --on-display
fi

desktop=1366x768
source "$(dirname "$(realpath "$0")")/wine_desktop.sh"
title='^堤顶高程计算（GB 50286） - 堤防\.csv'

mkdir "$work/app"
cp "$exe" "$work/app/kelnor-design.exe"
iconv -f UTF-8 -t GBK "$example" >"$work/app/堤防.csv"
(
    cd "$work/app"
    wine kelnor-design.exe 堤防.csv >"$work/program.log" 2>&1 && echo 0 >"$work/status" ||
        echo $? >"$work/status"
) &
await '[ "$(windows)" -ge 1 ]' 30 || fail "no window for 堤防.csv appeared"
xdotool mousemove 0 0
sleep 1  # the first frame painted
if [ -n "$shot" ]; then
    mkdir -p "$(dirname "$shot")"
    import -window root -crop "${desktop/x/x}+0+0" +repage "$work/desktop.png"
    convert "$work/desktop.png" -trim +repage "$shot"
fi

# The second section's level: one section down, one field right; typing replaces the cell and
# Enter commits it.
keys Down Right
xdotool type --delay 80 24.75
keys Return
await "named '堤防\\.csv\\*\$'" || fail "the title does not mark the change"
keys ctrl+s
await "! named '\\*\$'" || fail "the title still marks the change after Ctrl+S"
head -c 3 "$work/app/堤防.csv" | od -An -tx1 | tr -d ' ' | grep -qx efbbbf ||
    fail "the saved file does not start with the byte-order mark"
grep -q '^code,GB 50286' <(tail -c +4 "$work/app/堤防.csv" | tr -d '\r') ||
    fail "the saved file lost its code row"
sed 's/^K0+500,24.53,/K0+500,24.75,/' "$example" >"$work/expected.csv"
# A section stands short in both: status 1.
conditions "$work/app/堤防.csv" "$work/saved.out" || true
conditions "$work/expected.csv" "$work/expected.out" || true
[ -s "$work/expected.out" ] || fail "kelnor-calc computed nothing of the expected reach"
cmp -s "$work/saved.out" "$work/expected.out" || fail "the saved file computes differently"

keys ctrl+z
await "named '\\*\$'" || fail "undo did not mark the sheet changed from the saved one"
keys ctrl+y
await "! named '\\*\$'" || fail "redo did not come back to the saved sheet"
keys alt+F4
await '[ -s "$work/status" ]' 20 || fail "the window did not close"
[ "$(cat "$work/status")" -eq 0 ] || fail "kelnor-design.exe ended with status $(cat "$work/status")"
echo "kelnor-design.exe opened the reach, took a level, saved it and closed in $((SECONDS - started)) s"
