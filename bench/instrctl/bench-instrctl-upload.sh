#!/usr/bin/env bash
# Upload of the largest data list (31,250,130 bytes) to listforge-sim with
# "listforge-cli upload --overwrite", i.e. through ClsInstrControl, ClsVisaControl and libvisa32,
# over raw SOCKET, HiSLIP and VXI-11. Reports the median throughput of RUNS runs (whole command:
# start, identification, catalog, deletion of the previous copy and the transfer) and the peak
# resident memory of the uploading process. Beside it, in the same run, pyvisa-py's
# write_binary_values of the same file over the same transport (pyvisa_upload.py, timed as a whole
# process as well). The CPU seconds of the uploader and of the simulator show where time goes on a
# loaded machine, where wall times mostly measure waiting for a core. Runs in a private network
# namespace, because the VXI-11 connection test needs the portmapper on port 111.
#   bench-instrctl-upload.sh BUILD_DIR [RUNS]
set -euo pipefail
build=$(realpath "${1:-build}")
here=$(cd "$(dirname "$0")" && pwd)
runs=${2:-5}
source "$(dirname "$0")/../netns-enter.sh" "$build" "$runs"
source "$(dirname "$0")/../simbench.sh" listforge-cli
size=31250130
head -c "$size" /dev/urandom >"$work/big.dm_iqd"
"$build/listforge-sim" --model GKR550X --storage "$work/storage" >"$work/sim.out" 2>&1 &
sim=$!
for _ in $(seq 100); do grep -q '^ready' "$work/sim.out" && break; sleep 0.1; done
grep -q '^ready' "$work/sim.out" || { echo "simulator did not start" >&2; cat "$work/sim.out" >&2; exit 1; }

median() { sort -n | awk '{a[NR]=$1} END {if (NR % 2) print a[(NR+1)/2]; else printf "%.2f\n", (a[NR/2]+a[NR/2+1])/2}'; }
simcpu() { awk '{print $14 + $15}' "/proc/$sim/stat"; }
measure() { # label stored-name command...
    local label=$1 stored=$2 rates=() peaks=() cpus=() simcpus=()
    shift 2
    for _ in $(seq "$runs"); do
        local start end s0 s1
        s0=$(simcpu)
        start=$(date +%s.%N)
        /usr/bin/time -f '%M %U %S' -o "$work/rss" "$@" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
        end=$(date +%s.%N)
        s1=$(simcpu)
        cmp -s "$work/big.dm_iqd" "$work/storage/DataLists/$stored" || { echo "stored copy differs" >&2; exit 1; }
        rm -f "$work/storage/DataLists/$stored"
        rates+=("$(awk -v s="$size" -v a="$start" -v b="$end" 'BEGIN {printf "%.1f", s / (b - a) / 1e6}')")
        peaks+=("$(awk '{printf "%.1f", $1 / 1024}' "$work/rss")")
        cpus+=("$(awk '{printf "%.3f", $2 + $3}' "$work/rss")")
        simcpus+=("$(awk -v a="$s0" -v b="$s1" -v hz="$(getconf CLK_TCK)" 'BEGIN {printf "%.3f", (b - a) / hz}')")
    done
    printf '%-26s %7s MB/s  %6s MiB  client %6s s CPU  simulator %6s s CPU   runs MB/s: %s\n' "$label" \
        "$(printf '%s\n' "${rates[@]}" | median)" "$(printf '%s\n' "${peaks[@]}" | median)" \
        "$(printf '%s\n' "${cpus[@]}" | median)" "$(printf '%s\n' "${simcpus[@]}" | median)" "${rates[*]}"
}

echo "Upload of $size bytes, medians of $runs runs, listforge-sim on 127.0.0.1 (load: $(cut -d' ' -f1-3 /proc/loadavg))"
cp "$work/big.dm_iqd" "$work/py.dm_iqd"
for t in "SOCKET TCPIP0::127.0.0.1::5025::SOCKET" "HiSLIP TCPIP0::127.0.0.1::hislip0::INSTR" \
    "VXI-11 TCPIP0::127.0.0.1::inst0::INSTR"; do
    read -r label resource <<<"$t"
    measure "$label listforge-cli" big.dm_iqd "$build/listforge-cli" upload --resource "$resource" --overwrite \
        "$work/big.dm_iqd"
    if /usr/bin/python3 -c 'import pyvisa_py' 2>/dev/null; then
        measure "$label pyvisa-py" py.dm_iqd /usr/bin/python3 "$here/pyvisa_upload.py" "$resource" "$work/py.dm_iqd"
    else
        echo "$label pyvisa-py: not installed (package python3-pyvisa-py)"
    fi
done
# For scale: the same command with a 9-byte file shows the fixed cost of start-up and identification.
head -c 9 /dev/urandom >"$work/small.dm_iqd"
start=$(date +%s.%N)
"$build/listforge-cli" upload --resource "TCPIP0::127.0.0.1::5025::SOCKET" --overwrite "$work/small.dm_iqd" >/dev/null
end=$(date +%s.%N)
awk -v a="$start" -v b="$end" 'BEGIN {printf "fixed cost (9-byte upload over SOCKET): %.0f ms\n", (b - a) * 1000}'
exit 0
