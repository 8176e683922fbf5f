#!/usr/bin/env bash
# Simulator throughput: VXI-11 "*IDN?" round trips per second with lxi-tools' own benchmark
# (through the portmapper on port 111, hence a private network namespace), and the time to store
# a 31 MB block over the raw socket, VXI-11 and HiSLIP. Each figure is the median of five runs.
# Usage: bench-sim.sh BUILD_DIR
set -euo pipefail
build=$(realpath "${1:-build}")
here=$(cd "$(dirname "$0")" && pwd)
sim="$build/listforge-sim"
[ -x "$sim" ] || { echo "bench-sim: $sim not built" >&2; exit 1; }

if [ "${LISTFORGE_IN_NETNS:-}" != 1 ]; then
    if ! unshare -n -u true 2>/dev/null; then
        echo "bench-sim: network namespaces are not permitted here; skipped"
        exit 0
    fi
    exec env LISTFORGE_IN_NETNS=1 unshare -n -u -- "$0" "$build"
fi
ip link set lo up

median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }

storage=$(mktemp -d)
out=$(mktemp)
"$sim" --model ZOY550X --storage "$storage" >"$out" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null; rm -rf "$storage" "$out"' EXIT
for _ in $(seq 50); do grep -q '^ready' "$out" && break; sleep 0.1; done
vxi11_port=$(awk '/^# /{print $7; exit}' "$out")
hislip_port=$(awk '/^# /{print $11; exit}' "$out")

if command -v lxi >/dev/null; then
    rates=$(for _ in 1 2 3 4 5; do
        lxi benchmark -a 127.0.0.1 -c 2000 2>&1 | sed -n 's/.*Result: *\([0-9.]*\).*/\1/p'
    done)
    echo "VXI-11 *IDN? round trips (lxi benchmark -c 2000), median of 5: $(echo "$rates" | median) requests/s"
    rates=$(for _ in 1 2 3 4 5; do
        lxi benchmark -a 127.0.0.1 -c 2000 -r 2>&1 | sed -n 's/.*Result: *\([0-9.]*\).*/\1/p'
    done)
    echo "Raw socket *IDN? round trips (lxi benchmark -c 2000 -r), median of 5: $(echo "$rates" | median) requests/s"
else
    echo "lxi-tools missing: VXI-11 round trip benchmark skipped"
fi

size=$((31 * 1000 * 1000))
for transport in socket vxi11 hislip; do
    port=5025
    [ "$transport" = vxi11 ] && port=$vxi11_port
    [ "$transport" = hislip ] && port=$hislip_port
    times=$(for _ in 1 2 3 4 5; do python3 "$here/blockupload.py" "$transport" 127.0.0.1 "$port" "$size"; done)
    echo "31 MB block stored over $transport, median of 5: $(echo "$times" | median) s"
done
