#!/usr/bin/env bash
# Start-to-exit time of `kelnor-calc --conditions` on a four-condition file (with and without
# the calculation book) against a single `kelnor-calc` run writing its report to a file,
# pinned to one core. Each figure is the median of RUNS runs, in milliseconds of wall time.
#
# Usage: bench/conditions.sh [KELNOR_CALC] [RUNS]   (default build/bin/kelnor-calc, 201)
set -euo pipefail
cd "$(dirname "$0")/.."
calc=$(realpath "${1:-build/bin/kelnor-calc}")
runs=${2:-201}
core=$(($(nproc) - 1))
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat > "$work/four.csv" <<'CSV'
case,level,depth,wind,fetch,slope,roughness,grade,operation,formula,extra
正常蓄水位,100,30,21,3,3,0.8,2,normal,putian,
设计洪水位,101.5,31.5,21,3.2,3,0.8,2,normal,putian,
校核洪水位,102.3,32.3,14,3.3,3,0.8,2,abnormal,hedi,
正常蓄水位+地震,100,30,14,3,3,0.8,2,abnormal,guanting,0.8
CSV

# median_ms COMMAND...: the median wall time of $runs runs
median_ms() {
  for ((i = 0; i < runs; i++)); do
    local t0 t1
    t0=$(date +%s%N)
    taskset -c "$core" "$@" >/dev/null
    t1=$(date +%s%N)
    echo $(((t1 - t0) / 1000))
  done | sort -n | awk '{ a[NR] = $1 } END { printf "%.3f", a[int((NR + 1) / 2)] / 1000 }'
}

single=$(median_ms "$calc" --output "$work/tavoout.txt")
four=$(median_ms "$calc" --conditions "$work/four.csv")
book=$(median_ms "$calc" --conditions "$work/four.csv" --book "$work/book.html")
echo "single run, report to a file:          $single ms"
echo "four conditions, results CSV:          $four ms ($(awk -v a="$four" -v b="$single" 'BEGIN { printf "%.2f", a / b }')x)"
echo "four conditions, CSV and the book:     $book ms ($(awk -v a="$book" -v b="$single" 'BEGIN { printf "%.2f", a / b }')x)"
