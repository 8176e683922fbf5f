#!/usr/bin/env bash
# Latency and memory of the list management dialog with the largest data list (bench_lstdialog):
# Apply PRBS, the table views and the offset, save, load back, uploads into listforge-sim over
# SOCKET, VXI-11 and HiSLIP, a 31 MB binary data file import, append up to the limit and the
# refused append beyond it. Offscreen; medians of RUNS runs (default 5), each run a fresh process.
# Columns: wall time; CPU time of the whole process; longest gap, the longest time a 5 ms timer
# on the GUI thread waited for its tick; peak, VmHWM reset before each operation through
# /proc/self/clear_refs; resident size before the operation. Runs in a private network namespace
# so that the simulator can take its standard ports (the VXI-11 resource needs the portmapper).
#   bench-gui.sh BUILD_DIR [RUNS]
set -euo pipefail
build=$(realpath "${1:-build}")
runs=${2:-${RUNS:-5}}
source "$(dirname "$0")/../netns-enter.sh" "$build" "$runs"
source "$(dirname "$0")/../simbench.sh" bench/bench_lstdialog
export QT_QPA_PLATFORM=offscreen
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$work/run" "$HOME"
"$build/listforge-sim" --model GKR550X --storage "$work/storage" >"$work/sim.out" 2>&1 &
sim=$!
for _ in $(seq 100); do grep -q '^ready' "$work/sim.out" && break; sleep 0.1; done
grep -q '^ready' "$work/sim.out" || { echo "simulator did not start" >&2; cat "$work/sim.out" >&2; exit 1; }

echo "List management dialog, 250,000,000-bit list, medians of $runs runs (load before: $(cut -d' ' -f1-3 /proc/loadavg))"
for r in $(seq "$runs"); do
    "$build/bench/bench_lstdialog" "$work/run" \
        "TCPIP0::127.0.0.1::5025::SOCKET" "$work/storage" \
        "TCPIP0::127.0.0.1::inst0::INSTR" "$work/storage" \
        "TCPIP0::127.0.0.1::hislip0::INSTR" "$work/storage" | sed "s/^/$r\t/" >>"$work/all.tsv"
done
# Median of each column per operation, operations in the order of the first run.
awk -F'\t' '
    function median(s,   a, n, i, j, x) {
        n = split(s, a, " ")
        for (i = 2; i <= n; i++) { x = a[i] + 0; for (j = i - 1; j >= 1 && a[j] + 0 > x; j--) a[j + 1] = a[j]; a[j + 1] = x }
        return a[int((n + 1) / 2)]
    }
    $1 == 1 { order[++ops] = $2 }
    { for (c = 3; c <= 7; ++c) v[$2, c] = v[$2, c] " " $c }
    END {
        printf "| %-38s | %8s | %6s | %6s | %7s | %9s |\n", "operation", "total ms", "CPU ms", "gap ms", "peak MB", "before MB"
        printf "|%s|%s|%s|%s|%s|%s|\n", "---", "---:", "---:", "---:", "---:", "---:"
        for (i = 1; i <= ops; i++) {
            o = order[i]
            printf "| %-38s | %8.0f | %6.0f | %6.1f | %7.1f | %9.1f |\n", o, median(v[o, 3]), median(v[o, 4]),
                median(v[o, 5]), median(v[o, 6]), median(v[o, 7])
        }
    }' "$work/all.tsv"
echo "(load after: $(cut -d' ' -f1-3 /proc/loadavg); goals: gap <= 50 ms, peak <= 312.5 MB = 1.25 x 250,000,000 bytes, Apply PRBS <= 500 ms)"
