#!/usr/bin/env bash
# Starts a simulated ZOY550X generator on loopback, then ListForge from the build tree given as
# first argument; closing ListForge stops the simulator. Further arguments go to ListForge.
#
# The simulator serves TCPIP0::127.0.0.1::5025::SOCKET always, and TCPIP0::127.0.0.1::INSTR when
# it may open the portmapper port 111 (as root). Its mass memory is a temporary folder.
set -euo pipefail
build=$(realpath "${1:-build}")
shift || true

log=$(mktemp "${TMPDIR:-/tmp}/listforge-sim.XXXXXX")
"$build/listforge-sim" --model ZOY550X --address 127.0.0.1 --port 5025 >"$log" 2>&1 &
sim=$!
cleanup() {
    kill "$sim" 2>/dev/null || true
    wait "$sim" 2>/dev/null || true
    rm -f "$log"
}
trap cleanup EXIT

for _ in $(seq 100); do
    grep -q '^ready' "$log" && break
    if ! kill -0 "$sim" 2>/dev/null; then
        echo "The simulated generator did not start:" >&2
        cat "$log" >&2
        exit 1
    fi
    sleep 0.1
done
echo "Simulated generator:"
grep -E '^TCPIP' "$log" | sed 's/^/  /'

"$build/listforge" "$@"
