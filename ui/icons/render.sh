#!/usr/bin/env bash
# Renders kelnor.svg to the PNG sizes desktops ask for and packs them into kelnor.ico.
# Needs librsvg2-bin (rsvg-convert) and icoutils (icotool).
set -euo pipefail
cd "$(dirname "$0")"
sizes=(16 24 32 48 64 128 256)
for size in "${sizes[@]}"; do
    rsvg-convert -w "$size" -h "$size" kelnor.svg -o "kelnor-$size.png"
done
# The 256-pixel image stays PNG inside the icon, as Windows expects of that size.
icotool -c -o kelnor.ico kelnor-{16,24,32,48,64,128}.png --raw=kelnor-256.png
