#!/usr/bin/env bash
# "*IDN?" round trips per second through libvisa32 (HiSLIP and VXI-11 INSTR, raw SOCKET), side
# by side with `lxi benchmark` against the same listforge-sim. Runs everything in a private
# network namespace (the simulator needs ports 111, 4880 and 5025) and reports the median of RUNS
# runs.
#   bench-visalib-idn.sh BUILD_DIR [COUNT] [RUNS]
set -euo pipefail
build=$(realpath "${1:-build}")
count=${2:-2000}
runs=${3:-5}
if [ "${LISTFORGE_IN_NETNS:-}" != 1 ]; then
    if ! unshare -n -u true 2>/dev/null; then
        echo "network namespaces are not permitted here; benchmark skipped" >&2
        exit 0
    fi
    exec env LISTFORGE_IN_NETNS=1 unshare -n -u -- "$0" "$build" "$count" "$runs"
fi
ip link set lo up
for f in listforge-sim libvisa32.so visalib-idn-bench; do
    [ -e "$build/$f" ] || { echo "missing $build/$f (build it first)" >&2; exit 1; }
done
have_lxi=1
command -v lxi >/dev/null || have_lxi=0

log=$(mktemp)
"$build/listforge-sim" --model ZOY550X >"$log" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null; rm -f "$log"' EXIT
for _ in $(seq 100); do grep -q '^ready' "$log" && break; sleep 0.1; done
grep -q '^ready' "$log" || { echo "simulator did not start" >&2; cat "$log" >&2; exit 1; }

rate() { sed -n 's/.*Result: \([0-9.]*\) requests\/second.*/\1/p' | tail -1; }
median() { sort -n | awk '{a[NR]=$1} END {if (NR % 2) print a[(NR+1)/2]; else printf "%.1f\n", (a[NR/2]+a[NR/2+1])/2}'; }
measure() { # label command...
    local label=$1; shift
    local values=()
    for _ in $(seq "$runs"); do values+=("$("$@" 2>&1 | rate)"); done
    printf '%-28s median %10s req/s   runs: %s\n' "$label" "$(printf '%s\n' "${values[@]}" | median)" "${values[*]}"
}

echo "*IDN? round trips, $count per run, $runs runs, listforge-sim on 127.0.0.1"
measure "libvisa32 HiSLIP INSTR" "$build/visalib-idn-bench" "$build/libvisa32.so" "TCPIP0::127.0.0.1::hislip0::INSTR" "$count"
measure "libvisa32 VXI-11 INSTR" "$build/visalib-idn-bench" "$build/libvisa32.so" "TCPIP0::127.0.0.1::inst0::INSTR" "$count"
[ $have_lxi = 1 ] && measure "lxi benchmark VXI-11" lxi benchmark -a 127.0.0.1 -c "$count"
measure "libvisa32 SOCKET" "$build/visalib-idn-bench" "$build/libvisa32.so" "TCPIP0::127.0.0.1::5025::SOCKET" "$count"
[ $have_lxi = 1 ] && measure "lxi benchmark raw" lxi benchmark -a 127.0.0.1 -r -c "$count"
exit 0
