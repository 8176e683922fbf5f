#!/usr/bin/env bash
# Soak: long runs against one listforge-sim that watch for leaks. soak-instrument runs CYCLES
# rounds of query, path setting and a 1 MB data list upload over the raw socket, then over HiSLIP
# and VXI-11 (LINK_CYCLES rounds each, slower transports); soak-window runs WINDOW_CYCLES
# assign/release cycles in the offscreen main window. Each reports resident memory after warm-up
# and at the end, and open descriptors before and after, of itself and of the simulator. Runs in
# a private network namespace (the simulator needs ports 111, 4880 and 5025).
#   bench-soak.sh BUILD_DIR [CYCLES] [WINDOW_CYCLES] [LINK_CYCLES]
set -euo pipefail
build=$(realpath "${1:-build}")
cycles=${2:-10000}
window_cycles=${3:-1000}
link_cycles=${4:-$cycles}
source "$(dirname "$0")/../netns-enter.sh" "$build" "$cycles" "$window_cycles" "$link_cycles"
source "$(dirname "$0")/../simbench.sh" bench/soak-instrument bench/soak-window
serial=106070
"$build/listforge-sim" --model ZOY550X --serial $serial --preset-time 50 --no-mdns \
    --storage "$work/storage" >"$work/sim.out" 2>&1 &
sim=$!
for _ in $(seq 100); do grep -q '^ready' "$work/sim.out" && break; sleep 0.1; done
grep -q '^ready' "$work/sim.out" || { echo "simulator did not start" >&2; cat "$work/sim.out" >&2; exit 1; }

status=0
run() { "$@" || status=1; }
run "$build/bench/soak-instrument" "TCPIP0::127.0.0.1::5025::SOCKET" "$cycles" "$sim"
run "$build/bench/soak-instrument" "TCPIP0::127.0.0.1::hislip0::INSTR" "$link_cycles" "$sim"
run "$build/bench/soak-instrument" "TCPIP0::127.0.0.1::inst0::INSTR" "$link_cycles" "$sim"
run env QT_QPA_PLATFORM=offscreen "$build/bench/soak-window" "TCPIP0::127.0.0.1::5025::SOCKET" $serial \
    "$window_cycles" "$sim"
exit $status
