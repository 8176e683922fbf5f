#!/usr/bin/env bash
# Upload of the largest data list (31,250,130 bytes) to listforge-sim with
# "listforge-cli upload --overwrite", i.e. through ClsInstrControl, ClsVisaControl and libvisa32,
# over raw SOCKET, HiSLIP and VXI-11. Reports the median throughput of RUNS runs (whole command:
# start, identification, catalog, deletion of the previous copy and the transfer) and the peak
# resident memory of the uploading process. Runs in a private network namespace, because the
# VXI-11 connection test needs the portmapper on port 111.
#   bench-instrctl-upload.sh BUILD_DIR [RUNS]
set -euo pipefail
build=$(realpath "${1:-build}")
runs=${2:-5}
if [ "${LISTFORGE_IN_NETNS:-}" != 1 ]; then
    if ! unshare -n -u true 2>/dev/null; then
        echo "network namespaces are not permitted here; benchmark skipped" >&2
        exit 0
    fi
    exec env LISTFORGE_IN_NETNS=1 unshare -n -u -- "$0" "$build" "$runs"
fi
ip link set lo up
for f in listforge-sim libvisa32.so listforge-cli; do
    [ -e "$build/$f" ] || { echo "missing $build/$f (build it first)" >&2; exit 1; }
done
export LISTFORGE_VISA_LIBRARY="$build/libvisa32.so"

work=$(mktemp -d)
sim=
cleanup() { [ -n "$sim" ] && kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
size=31250130
head -c "$size" /dev/urandom >"$work/big.dm_iqd"
"$build/listforge-sim" --model GKR550X --storage "$work/storage" >"$work/sim.out" 2>&1 &
sim=$!
for _ in $(seq 100); do grep -q '^ready' "$work/sim.out" && break; sleep 0.1; done
grep -q '^ready' "$work/sim.out" || { echo "simulator did not start" >&2; cat "$work/sim.out" >&2; exit 1; }

median() { sort -n | awk '{a[NR]=$1} END {if (NR % 2) print a[(NR+1)/2]; else printf "%.2f\n", (a[NR/2]+a[NR/2+1])/2}'; }
measure() { # label resource
    local label=$1 resource=$2 rates=() peaks=()
    for _ in $(seq "$runs"); do
        local start end
        start=$(date +%s.%N)
        /usr/bin/time -f '%M' -o "$work/rss" "$build/listforge-cli" upload --resource "$resource" --overwrite \
            "$work/big.dm_iqd" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
        end=$(date +%s.%N)
        cmp -s "$work/big.dm_iqd" "$work/storage/DataLists/big.dm_iqd" || { echo "stored copy differs" >&2; exit 1; }
        rates+=("$(awk -v s="$size" -v a="$start" -v b="$end" 'BEGIN {printf "%.1f", s / (b - a) / 1e6}')")
        peaks+=("$(awk '{printf "%.1f", $1 / 1024}' "$work/rss")")
    done
    printf '%-16s median %7s MB/s   peak RSS median %6s MiB   runs: %s\n' "$label" \
        "$(printf '%s\n' "${rates[@]}" | median)" "$(printf '%s\n' "${peaks[@]}" | median)" "${rates[*]}"
}

echo "Upload of $size bytes, $runs runs, listforge-sim on 127.0.0.1"
measure "SOCKET" "TCPIP0::127.0.0.1::5025::SOCKET"
measure "HiSLIP INSTR" "TCPIP0::127.0.0.1::hislip0::INSTR"
measure "VXI-11 INSTR" "TCPIP0::127.0.0.1::inst0::INSTR"
# For scale: the same command with a 9-byte file shows the fixed cost of start-up and identification.
head -c 9 /dev/urandom >"$work/small.dm_iqd"
start=$(date +%s.%N)
"$build/listforge-cli" upload --resource "TCPIP0::127.0.0.1::5025::SOCKET" --overwrite "$work/small.dm_iqd" >/dev/null
end=$(date +%s.%N)
awk -v a="$start" -v b="$end" 'BEGIN {printf "fixed cost (9-byte upload over SOCKET): %.0f ms\n", (b - a) * 1000}'
exit 0
