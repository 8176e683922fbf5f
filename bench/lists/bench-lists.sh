#!/usr/bin/env bash
# Data list benchmarks: medians of RUNS runs (default 5).
#   1. listforge-cli datalist --prbs 23 --bits 250000000 -o x.dm_iqd   wall time, peak memory
#   2. listforge-cli info --bits x.dm_iqd > /dev/null                   wall time, peak memory
#   3. PRBS generation alone into an allocated, touched buffer          (bench_prbs)
# Usage: bench-lists.sh BUILD_DIR
set -euo pipefail
build=$(realpath "${1:-build}")
runs=${RUNS:-5}
cli="$build/listforge-cli"
prbs="$build/bench/bench_prbs"
for exe in "$cli" "$prbs"; do
    [ -x "$exe" ] || { echo "missing $exe (build first)" >&2; exit 1; }
done
[ -x /usr/bin/time ] || { echo "missing /usr/bin/time (package 'time')" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Runs "$@" $runs times; prints "median-seconds median-CPU-seconds median-MB" (CPU: user +
# system, which a machine busy with other work inflates far less than the wall time).
measure() {
    : > "$work/times"
    for _ in $(seq "$runs"); do
        /usr/bin/time -f "%e %U %S %M" -o "$work/one" "$@" > /dev/null
        cat "$work/one" >> "$work/times"
    done
    local secs cpu mb
    secs=$(awk '{ print $1 }' "$work/times" | median)
    cpu=$(awk '{ printf "%.2f\n", $2 + $3 }' "$work/times" | median)
    mb=$(awk '{ printf "%.0f\n", $4 / 1024 }' "$work/times" | median)
    echo "$secs $cpu $mb"
}

echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
read -r s c m < <(measure "$cli" datalist --prbs 23 --bits 250000000 -o "$work/x.dm_iqd")
echo "datalist --prbs 23 --bits 250000000: median ${s} s wall, ${c} s CPU, ${m} MiB peak (goals 0.08 s, 64 MB)"

read -r s c m < <(measure "$cli" info --bits "$work/x.dm_iqd")
echo "info --bits (250,000,000 bits) > /dev/null: median ${s} s wall, ${c} s CPU, ${m} MiB peak (limit 0.8 s)"

"$prbs" "$runs" 23 | tail -n 1 | sed 's/$/ (limit 150 ms)/'
