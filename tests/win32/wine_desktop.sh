# Sourced by the Windows start tests, on a virtual X display: a fresh Wine prefix in a
# temporary folder ($work, removed at exit) whose Windows desktop of ${desktop:-800x600} is one X
# window, with Chinese glyphs for the dialog faces, which Wine's own fonts lack. The program
# under test writes its output to $work/program.log, shown when a check fails.
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
    [ -f "$work/program.log" ] && cat "$work/program.log" >&2
    exit 1
}
keys() { xdotool key --delay 80 "$@"; }
# Waits up to `2` (default 10) seconds for command `1` to succeed.
await() {
    for _ in $(seq $((${2:-10} * 10))); do
        eval "$1" && return 0
        sleep 0.1
    done
    return 1
}
wineboot -i >"$work/boot.log" 2>&1 || fail "wineboot: $(cat "$work/boot.log")"
cat >"$work/setup.reg" <<REG
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="${desktop:-800x600}"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Tahoma"="WenQuanYi Micro Hei"
"MS Shell Dlg"="WenQuanYi Micro Hei"
"MS Shell Dlg 2"="WenQuanYi Micro Hei"
"Segoe UI"="WenQuanYi Micro Hei"

[HKEY_CURRENT_USER\Control Panel\Colors]
"Background"="58 110 165"
REG
wine regedit /S "$work/setup.reg"
wineserver -k  # the desktop wineboot started ends: the next one has the size above
# The title bar's buttons are drawn in Marlett.
cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
echo "prefix ready after $((SECONDS - started)) s"

# The window titled `$title` and its boxes: how many stand; whether one is named as given.
windows() { xdotool search --name "$title" 2>/dev/null | wc -l; }
named() { xdotool search --name "$1" >/dev/null 2>&1; }
# conditions CSV OUT: what $calc (kelnor-calc, or kelnor-calc.exe run under Wine) computes of
# the conditions file CSV; its exit status.
conditions() {
    if [[ $calc == *.exe ]]; then
        wine "$calc" --conditions "Z:${1//\//\\}" >"$2" 2>/dev/null
    else
        "$calc" --conditions "$1" >"$2" 2>/dev/null
    fi
}
