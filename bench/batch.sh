#!/usr/bin/env bash
# Rate and memory of `kelnor-calc --batch` on generated files, pinned to one core:
#   sweep  a wind-speed sweep for the default dam (formula 1, 10.0 to 40.0 m/s)
#   mixed  the three formulas in turn, depth 5 to 30 m, wind 10 to 40 m/s, fetch 1 to 10.6 km
# For each, rows per second over 1,000,000 rows (the best of three runs, wall clock and CPU
# time), and the peak resident memory for 10,000 and 1,000,000 rows, which should be the same:
# rows are read, computed and written one at a time.
#
# Usage: bench/batch.sh [KELNOR_CALC] [ROWS]   (default build/bin/kelnor-calc, 1000000)
set -euo pipefail
cd "$(dirname "$0")/.."
calc=${1:-build/bin/kelnor-calc}
rows=${2:-1000000}
runs=3
core=$(($(nproc) - 1))

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# generate KIND ROWS
generate() {
  awk -v kind="$1" -v n="$2" 'BEGIN {
    if (kind == "sweep") {
      print "case,wind"
      for (i = 0; i < n; i++) printf "%d,%.1f\n", i + 1, 10 + (i % 301) * 0.1
    } else {
      print "case,formula,depth,wind,fetch"
      for (i = 0; i < n; i++)
        printf "%d,%d,%.1f,%.1f,%.2f\n", i + 1, i % 3 + 1, 5 + (i % 251) * 0.1,
               10 + (i % 301) * 0.1, 1 + (i % 97) * 0.1
    }
  }'
}

# measure FILE: prints "wall user+sys maxrss_kb" of one run, output discarded
measure() {
  local status=0
  /usr/bin/time -o "$work/time" -f "%e %U %S %M" \
    taskset -c "$core" "$calc" --batch "$1" > /dev/null || status=$?
  if [ "$status" -ne 0 ]; then
    echo "kelnor-calc --batch $1 ended with status $status" >&2
    exit 1
  fi
  awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }' "$work/time"
}

printf '%-6s %10s %10s %14s %14s %12s %12s\n' \
  kind rows "wall s" "rows/s wall" "rows/s cpu" "RSS 10k KB" "RSS all KB"
for kind in sweep mixed; do
  generate "$kind" 10000 > "$work/small.csv"
  generate "$kind" "$rows" > "$work/large.csv"
  read -r _ _ small_rss < <(measure "$work/small.csv")
  best_wall="" best_cpu="" rss=0
  for _ in $(seq "$runs"); do
    read -r wall cpu large_rss < <(measure "$work/large.csv")
    best_wall=$(awk -v a="$wall" -v b="$best_wall" 'BEGIN { print (b == "" || a < b) ? a : b }')
    best_cpu=$(awk -v a="$cpu" -v b="$best_cpu" 'BEGIN { print (b == "" || a < b) ? a : b }')
    rss=$((large_rss > rss ? large_rss : rss))
  done
  awk -v k="$kind" -v n="$rows" -v w="$best_wall" -v c="$best_cpu" -v s="$small_rss" -v r="$rss" \
    'BEGIN { printf "%-6s %10d %10.2f %14.0f %14.0f %12d %12d\n", k, n, w, n / w, n / c, s, r }'
done
